#include "ui/PackageLaunch.h"

#include "sys/SysUtils.h"

#include <shellapi.h>

#include <vector>

namespace {

const wchar_t kLongPathPrefix[] = L"\\\\?\\";
const wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// The shell and installers that look at their own path expect the plain form.
std::wstring WithoutLongPathPrefix(const std::wstring& path) {
    if (StartsWith(path, kLongUncPrefix)) return L"\\\\" + path.substr(wcslen(kLongUncPrefix));
    if (StartsWith(path, kLongPathPrefix)) return path.substr(wcslen(kLongPathPrefix));
    return path;
}

bool SameFile(HANDLE one, HANDLE other) {
    BY_HANDLE_FILE_INFORMATION a, b;
    return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The shell opens the path by name after its own rules (a folder's trailing dot or space goes),
// so the very string it gets must lead to the held file, and fit the length the shell takes.
bool NamesHeldFile(const std::wstring& path, HANDLE package) {
    if (path.size() >= MAX_PATH) return false;
    const TFileHandle named(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return named && SameFile(named.Get(), package);
}

}  // namespace

TFileHandle OpenPackageForLaunch(const std::wstring& path) {
    return TFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::wstring FinalPathOf(HANDLE file) {
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    if (needed == 0) return {};
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), flags);
    if (length == 0 || length >= buffer.size()) return {};
    return WithoutLongPathPrefix(std::wstring(buffer.data(), length));
}

bool StartPackage(HANDLE package, HWND owner) {
    const std::wstring path = FinalPathOf(package);
    if (path.empty() || !NamesHeldFile(path, package)) return false;
    const std::wstring folder = sys::ExtractFilePath(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}
