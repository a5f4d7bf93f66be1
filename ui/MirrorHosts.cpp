#include "ui/MirrorHosts.h"

#ifndef TALLYVO_PRIMARY_HOST
#error TALLYVO_PRIMARY_HOST must name the primary mirror as a wide string literal "host[:port]"
#endif
#ifndef TALLYVO_SECONDARY_HOST
#error TALLYVO_SECONDARY_HOST must name the secondary mirror as a wide string literal "host[:port]"
#endif
#ifndef TALLYVO_FALLBACK_URL
#error TALLYVO_FALLBACK_URL must name the browser's address as a wide string literal, L"" for the primary mirror's
#endif
#ifndef TALLYVO_CONNECTIONS_PER_LINE
#error TALLYVO_CONNECTIONS_PER_LINE must give the connections per line as a number
#endif
#ifndef TALLYVO_MIRROR_SCHEME
#error TALLYVO_MIRROR_SCHEME must name the scheme of the mirrors as a wide string literal, L"http" or L"https"
#endif

const wchar_t kPackageFileName[] = L"Tallyvo（Norvik）（完整安装包）.exe";

namespace {

std::wstring PackageUrlOn(const wchar_t* host) {
    return std::wstring(TALLYVO_MIRROR_SCHEME) + L"://" + host + L"/uploads/" + kPackageFileName;
}

}  // namespace

const std::wstring& PrimaryDownloadUrl() {
    static const std::wstring url = PackageUrlOn(TALLYVO_PRIMARY_HOST);
    return url;
}

const std::wstring& SecondaryDownloadUrl() {
    static const std::wstring url = PackageUrlOn(TALLYVO_SECONDARY_HOST);
    return url;
}

int ConnectionsPerLine() { return TALLYVO_CONNECTIONS_PER_LINE; }

const std::wstring& FallbackDownloadUrl() {
    static const std::wstring url = *TALLYVO_FALLBACK_URL ? std::wstring(TALLYVO_FALLBACK_URL) : PrimaryDownloadUrl();
    return url;
}
