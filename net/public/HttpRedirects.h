#pragma once
// Redirects an HTTPS request takes by hand, so that none leads it to plain HTTP.
#include <windows.h>
#include <wininet.h>

#include <string>

// 301, 302, 303, 307 and 308.
bool IsRedirect(DWORD status);
// The absolute address a redirect from `from` to `location` (absolute or relative) leads to, in
// target; false when it is not an https address, which a request made over HTTPS never follows.
bool SecureRedirectTarget(const std::wstring& from, const std::wstring& location, std::wstring& target);
