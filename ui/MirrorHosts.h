#pragma once
// The two fixed addresses of the installer package. Scheme and hosts are compiled in (the
// product's from the build's cache, the local twin's from the test mirror); nothing is read at
// run time.
#include <string>

// The package's name as the mirrors store it, full-width brackets and all, not percent-encoded.
extern const wchar_t kPackageFileName[];

// Scheme + "://" + host + "/uploads/" + package name, for the Telecom line and the Unicom line.
const std::wstring& PrimaryDownloadUrl();
const std::wstring& SecondaryDownloadUrl();
// How many connections a download opens per line, compiled in like the hosts.
int ConnectionsPerLine();
// What the failure prompt opens in the browser: the vendor's page when the build names one (an
// HTTPS download page, say), the primary mirror's address otherwise.
const std::wstring& FallbackDownloadUrl();
