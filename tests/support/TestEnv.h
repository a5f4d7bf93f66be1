#pragma once
// Where the tests' peers and folders are, as the CTest harness passes them in.
#include <string>

namespace testenv {

std::wstring Var(const wchar_t* name);           // empty when unset
std::wstring NginxHttp();                         // "http://127.0.0.1:PORT"
std::wstring NginxHttps();                        // "https://127.0.0.1:PORT"
std::wstring NginxLine2Http();                    // "http://localhost:PORT", the Unicom line's port
std::wstring NginxDir();                          // the nginx folder, as a Windows path (Z:\...)
std::wstring UnixToWindowsPath(const std::wstring& unixPath);

// A fresh, empty folder under the Windows TEMP for one test, with a trailing backslash.
std::wstring MakeScratchDir(const std::wstring& name);

}  // namespace testenv
