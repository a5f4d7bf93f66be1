#include "tests/support/TestEnv.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace testenv {

std::wstring Var(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::vector<wchar_t> buffer(n);
    GetEnvironmentVariableW(name, buffer.data(), n);
    return buffer.data();
}

std::wstring NginxHttp() { return Var(L"TALLYVO_NGINX_HTTP"); }
std::wstring NginxHttps() { return Var(L"TALLYVO_NGINX_HTTPS"); }
std::wstring NginxLine2Http() { return Var(L"TALLYVO_NGINX_LINE2_HTTP"); }
std::wstring NginxDir() { return UnixToWindowsPath(Var(L"TALLYVO_NGINX_DIR")); }

std::wstring UnixToWindowsPath(const std::wstring& unixPath) {
    if (unixPath.empty()) return {};
    std::wstring path = L"Z:" + unixPath;
    for (auto& c : path) if (c == L'/') c = L'\\';
    return path;
}

std::wstring MakeScratchDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"tallyvo-tests\\" + name;
    std::wstring doubleNul = dir + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = doubleNul.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    CreateDirectoryW((std::wstring(temp) + L"tallyvo-tests").c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L'\\';
}

}  // namespace testenv
