#pragma once
// Whether a downloaded installer package carries the pinned publisher's valid Authenticode signature.
#include <windows.h>

#include <optional>
#include <string>

#include "verify/PackageVersion.h"

struct TPackageCheck {
    bool Passed = false;
    std::wstring Reason;  // short log text of why it failed; empty when it passed
    std::wstring Signer;  // common name of the signing certificate, when the signature names one
    bool Unreadable = false;  // the bytes could not be read (another program holds the file): nothing was judged
};

// A package passes when its signature matches its bytes, the signer's certificate chains to a
// trusted root for code signing and is in its validity period (now, or when a timestamp that
// Windows verified says it signed), and the signer's common name is
// exactly `publisher` (an empty publisher passes nothing). With a minimum version, the package's
// own file version must also be at least that. No UI, no network (revocation is not checked), no
// shared state: callable from any thread.
TPackageCheck CheckPackage(const std::wstring& path, const std::wstring& publisher,
                           std::optional<TFileVersion> minimumVersion = std::nullopt);

// The same check on the bytes behind `file` (opened with read access; the caller keeps it), so
// that the file checked is the file started while the caller denies others writing and deleting.
TPackageCheck CheckPackage(const std::wstring& path, HANDLE file, const std::wstring& publisher,
                           std::optional<TFileVersion> minimumVersion = std::nullopt);

// Opens the trusted roots ahead of the first check, so that a caller can pay for it while the
// download runs (under Wine the first use imports the host's roots, 0.1 to 0.3 s). Any thread.
void PreparePackageCheck();
