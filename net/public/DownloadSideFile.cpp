#include "net/public/DownloadSideFile.h"

#include <windows.h>

#include "net/public/HttpResponseInfo.h"
#include "sys/Handles.h"
#include "sys/SysUtils.h"

namespace {

const wchar_t kSection[] = L"server";
constexpr size_t kMaxLines = 2;

// GetPrivateProfileString cuts what does not fit: read again with room to spare.
std::wstring ReadKey(const std::wstring& file, const std::wstring& key) {
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD got = GetPrivateProfileStringW(kSection, key.c_str(), L"", value.data(),
                                                   static_cast<DWORD>(value.size()), file.c_str());
        if (got + 2 < value.size() || value.size() >= (1u << 24)) {
            value.resize(got);
            return value;
        }
        value.assign(value.size() * 4, L'\0');
    }
}

bool KeyPresent(const std::wstring& file, const wchar_t* key) {
    wchar_t probe[2] = {};
    return GetPrivateProfileStringW(kSection, key, L"\x1", probe, 2, file.c_str()) != 1 || probe[0] != L'\x1';
}

std::wstring LineKey(size_t index, const wchar_t* what) { return L"Line" + std::to_wstring(index + 1) + what; }

}  // namespace

bool ReadSideFile(const std::wstring& name, TSideRecord& record) {
    record = TSideRecord();
    if (!sys::PathExists(name)) return false;
    record.ContentLen = ParseDecimal(sys::ToUtf8(ReadKey(name, L"ContentLen")));
    if (record.ContentLen <= 0) return false;
    record.LastModified = ReadKey(name, L"LastModified");
    for (size_t i = 0; i < kMaxLines; ++i) {
        TLineValidators line{ReadKey(name, LineKey(i, L"")), ReadKey(name, LineKey(i, L"ETag")),
                             ReadKey(name, LineKey(i, L"LastModified"))};
        if (line.Host.empty()) break;
        record.Lines.push_back(line);
    }
    record.HasRanges = KeyPresent(name, L"Have");
    return !record.HasRanges || TByteRanges::Parse(ReadKey(name, L"Have"), record.ContentLen, record.Have);
}

bool WriteSideFile(const std::wstring& name, const TSideRecord& record) {
    std::wstring text = L"[server]\r\nContentLen=" + std::to_wstring(record.ContentLen) + L"\r\nLastModified=" +
                        record.LastModified + L"\r\n";
    for (size_t i = 0; i < record.Lines.size() && i < kMaxLines; ++i) {
        const TLineValidators& line = record.Lines[i];
        text += LineKey(i, L"") + L"=" + line.Host + L"\r\n" + LineKey(i, L"ETag") + L"=" + line.ETag + L"\r\n" +
                LineKey(i, L"LastModified") + L"=" + line.LastModified + L"\r\n";
    }
    text += L"Have=" + record.Have.Format() + L"\r\n";
    const std::string bytes = sys::ToUtf8(text);
    const std::wstring fresh = name + L".new";
    {
        TFileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return false;
    }
    return MoveFileExW(fresh.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
