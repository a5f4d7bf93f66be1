#include "sys/SysUtils.h"

#include <vector>

namespace sys {

namespace {

constexpr UINT kGbkCodePage = 936;

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

Exception::Exception(std::wstring message)
    : std::runtime_error(Narrow(CP_UTF8, message)), message_(std::move(message)) {}

std::string ToGbk(const std::wstring& text) { return Narrow(kGbkCodePage, text); }
std::wstring FromGbk(const std::string& text) { return Widen(kGbkCodePage, text); }
std::string ToUtf8(const std::wstring& text) { return Narrow(CP_UTF8, text); }
std::wstring FromUtf8(const std::string& text) { return Widen(CP_UTF8, text); }

std::wstring SysErrorMessage(DWORD code) {
    // Callers build a text and then still read the error they are describing; a failed lookup
    // must not replace it.
    const DWORD callersError = ::GetLastError();
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (n == 0 && code >= 12000 && code <= 12175) {
        // WinInet's texts live in its own module.
        n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                           GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    }
    std::wstring text = buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    ::SetLastError(callersError);
    return text;
}

std::wstring ExeFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExtractFilePath(const std::wstring& path) {
    size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring ExtractFileName(const std::wstring& path) {
    size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext) {
    size_t dot = path.find_last_of(L".\\:");
    if (dot == std::wstring::npos || path[dot] != L'.') return path + ext;
    return path.substr(0, dot) + ext;
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
    return (!path.empty() && path.back() == L'\\') ? path : path + L'\\';
}

std::wstring Trim(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= L' ') ++first;
    while (last > first && text[last - 1] <= L' ') --last;
    return text.substr(first, last - first);
}

bool DirectoryExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileWriteTime(const std::wstring& path, SYSTEMTIME& utc) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           FileTimeToSystemTime(&data.ftLastWriteTime, &utc);
}

void DeleteIfExists(const std::wstring& path) {
    if (PathExists(path)) DeleteFileW(path.c_str());
}

bool ForceDirectories(const std::wstring& path) {
    if (path.empty()) throw EInOutError(L"Unable to create directory");
    std::wstring dir = path;
    while (dir.size() > 1 && dir.back() == L'\\') dir.pop_back();
    if (DirectoryExists(dir)) return true;
    std::wstring parent = ExtractFilePath(dir);
    if (parent.size() >= dir.size()) return DirectoryExists(dir + L'\\');  // a drive such as "C:"
    if (!parent.empty() && !ForceDirectories(parent)) return false;
    return CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace sys
