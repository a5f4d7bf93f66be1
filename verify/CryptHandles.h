#pragma once
// Move-only owners of the certificate stores and chains the package check opens.
#include <windows.h>
#include <wincrypt.h>

#include "net/public/WinHandles.h"

struct TCertStoreTraits {
    using Handle = HCERTSTORE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CertCloseStore(h, 0); }
};

struct TCertChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CertFreeCertificateChain(h); }
};

using TCertStore = TScopedHandle<TCertStoreTraits>;
using TCertChain = TScopedHandle<TCertChainTraits>;
