#include "tests/net/DownloadRecorder.h"

namespace nettest {

std::string TDownloadRecorder::States() const {
    static const char letters[] = {'S', 'P', 'N', 'F', 'E'};
    std::string out;
    for (const THttpDownloadInfo& info : Seen) {
        if (info.State == dsProgress && !out.empty() && out.back() == 'P') continue;
        if (!out.empty()) out += ' ';
        out += letters[info.State];
    }
    return out;
}

const THttpDownloadInfo* TDownloadRecorder::First(TDownloadState state) const {
    for (const THttpDownloadInfo& info : Seen)
        if (info.State == state) return &info;
    return nullptr;
}

std::string ReadFileBytes(const std::wstring& name) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(h);
    return bytes;
}

void WriteFileBytes(const std::wstring& name, const std::string& bytes) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

bool Exists(const std::wstring& name) { return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

void SetModifyTime(const std::wstring& name, const SYSTEMTIME& utc) {
    FILETIME ft;
    SystemTimeToFileTime(&utc, &ft);
    HANDLE h = CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

}  // namespace nettest
