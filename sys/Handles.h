#pragma once
// Move-only owners of the kernel and registry handles every layer opens; a layer with handles of
// its own (WinInet, CryptoAPI) gives TScopedHandle their traits.
#include <windows.h>

#include <utility>

template <typename Traits>
class TScopedHandle {
public:
    using Handle = typename Traits::Handle;

    TScopedHandle() = default;
    explicit TScopedHandle(Handle h) : h_(h) {}
    TScopedHandle(TScopedHandle&& other) noexcept : h_(other.Detach()) {}
    TScopedHandle& operator=(TScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    TScopedHandle(const TScopedHandle&) = delete;
    TScopedHandle& operator=(const TScopedHandle&) = delete;
    ~TScopedHandle() { Reset(); }

    Handle Get() const { return h_; }
    bool Valid() const { return h_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    Handle Detach() { return std::exchange(h_, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) {
        Handle old = std::exchange(h_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Handle h_ = Traits::Invalid();
};

struct TFileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct TRegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct TEventHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

using TEventHandle = TScopedHandle<TEventHandleTraits>;
using TFileHandle = TScopedHandle<TFileHandleTraits>;
using TRegKey = TScopedHandle<TRegKeyTraits>;
