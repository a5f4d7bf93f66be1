#pragma once
// The publisher whose signature this executable requires on the installer package, compiled in
// per executable (the product's from the build's cache, the local twin's from the test PKI).
#include <string>

// The exact subject common name of the vendor's code-signing certificate; empty when this build
// starts the package without checking it.
const std::wstring& RequiredPublisher();
