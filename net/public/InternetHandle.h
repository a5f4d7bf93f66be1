#pragma once
// The owner of a WinInet handle (session, connection, request).
#include <windows.h>
#include <wininet.h>

#include "sys/Handles.h"

struct TInternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { InternetCloseHandle(h); }
};

using TInternetHandle = TScopedHandle<TInternetHandleTraits>;
