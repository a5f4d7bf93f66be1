#include "app/f_GlobalVar.h"

#include <memory>

TLogger* g_Logger = nullptr;

namespace {

// Constant-initialised (an empty unique_ptr): nothing of it runs before the entry point.
std::unique_ptr<TLogger> g_LoggerOwner;

}  // namespace

void CreateGlobals() {
    if (g_LoggerOwner) return;
    g_LoggerOwner = std::make_unique<TLogger>(nullptr, std::wstring());
    g_Logger = g_LoggerOwner.get();
}

void FreeGlobals() {
    g_Logger = nullptr;
    g_LoggerOwner.reset();
}
