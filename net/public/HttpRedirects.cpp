#include "net/public/HttpRedirects.h"

#include <vector>

#include "net/public/HttpClientImpl.h"

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool SecureRedirectTarget(const std::wstring& from, const std::wstring& location, std::wstring& target) {
    target.clear();
    if (location.empty()) return false;
    const std::wstring escaped = EncodeURL(location);
    DWORD size = INTERNET_MAX_URL_LENGTH;
    std::vector<wchar_t> combined(size + 1, L'\0');
    if (!InternetCombineUrlW(from.c_str(), escaped.c_str(), combined.data(), &size, 0)) return false;
    URL_COMPONENTSW components{};
    components.dwStructSize = sizeof(components);
    components.dwSchemeLength = 1;
    components.dwHostNameLength = 1;
    if (!InternetCrackUrlW(combined.data(), 0, 0, &components) || components.nScheme != INTERNET_SCHEME_HTTPS ||
        components.dwHostNameLength == 0)
        return false;
    target = combined.data();
    return true;
}
