#pragma once
// Move-only owners of the certificate stores, chains and decoded structures the package check opens.
#include <windows.h>
#include <wincrypt.h>

#include "sys/Handles.h"

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

struct TLocalMemoryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { LocalFree(h); }
};

using TCertStore = TScopedHandle<TCertStoreTraits>;
using TCertChain = TScopedHandle<TCertChainTraits>;
// What CRYPT_DECODE_ALLOC_FLAG allocates.
using TLocalMemory = TScopedHandle<TLocalMemoryTraits>;
