#pragma once
// The publisher whose signature this executable requires on the installer package, and the
// oldest package version it accepts, compiled in per executable (the product's from the build's
// cache, the local twin's from the test PKI and the sample packages).
#include <optional>
#include <string>

#include "verify/PackageVersion.h"

// The exact subject common name of the vendor's code-signing certificate; empty when this build
// starts the package without checking it.
const std::wstring& RequiredPublisher();

// The lowest file version a package may have; empty when any version, or none, passes.
std::optional<TFileVersion> MinimumPackageVersion();
