// Stands in for the real installer in end-to-end runs and the demo: records that it was started,
// with its command line and the system's ANSI code page, and ends (after a notice box when
// TALLYVO_STUB_NOTICE is set, so a person watching the demo sees it start). Bytes appended after
// its image (to make a package of a given size) do not stop it from running.
#include <windows.h>

#include <string>

namespace {

std::wstring MarkerPath()
{
    wchar_t fromEnv[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TALLYVO_STUB_MARKER", fromEnv, MAX_PATH) > 0)
        return fromEnv;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::wstring(self) + L".started";
}

}  // namespace

int main()
{
    const std::wstring line = GetCommandLineW();
    const std::wstring record = line + L"\ncode page " + std::to_wstring(GetACP());
    const int size = WideCharToMultiByte(CP_UTF8, 0, record.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, record.c_str(), -1, &utf8[0], size, nullptr, nullptr);
    HANDLE file = CreateFileW(MarkerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    if (GetEnvironmentVariableW(L"TALLYVO_STUB_NOTICE", nullptr, 0) > 0)
        MessageBoxW(nullptr, (L"示例安装程序已启动：\n" + line).c_str(), L"Tallyvo 示例安装程序", MB_OK);
    return ok ? 0 : 1;
}
