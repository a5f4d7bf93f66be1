// The pinned publisher and minimum version of one executable, from the definitions its build
// gives this file.
#include "verify/Publisher.h"

#include <cstdint>

#ifndef TALLYVO_PUBLISHER
#error TALLYVO_PUBLISHER must name the required publisher as a wide string literal, L"" when none is required
#endif

const std::wstring& RequiredPublisher() {
    static const std::wstring publisher = TALLYVO_PUBLISHER;
    return publisher;
}

std::optional<TFileVersion> MinimumPackageVersion() {
#ifdef TALLYVO_MIN_PACKAGE_VERSION
    const uint16_t parts[4] = {TALLYVO_MIN_PACKAGE_VERSION};
    return TFileVersion(parts[0]) << 48 | TFileVersion(parts[1]) << 32 | TFileVersion(parts[2]) << 16 | parts[3];
#else
    return std::nullopt;
#endif
}
