#include "gui/WindowSubclass.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace gui {

namespace {

constexpr wchar_t kChainProp[] = L"TallyvoSubclassChain";

struct TSubclass {
    SubclassProc proc;
    UINT_PTR id;
    DWORD_PTR data;
    bool removed = false;
};

// Entries are never erased while a message runs through them (a procedure may remove itself or
// another one mid-call); removed entries are skipped and swept when no message is in flight.
struct TChain {
    WNDPROC original = nullptr;
    std::vector<std::shared_ptr<TSubclass>> entries;  // the latest last
    std::vector<size_t> positions;                    // per message in flight: the next entry to call
    size_t depth = 0;
};

TChain* ChainOf(HWND window) { return static_cast<TChain*>(GetPropW(window, kChainProp)); }

void Sweep(TChain& chain) {
    if (chain.depth) return;
    auto& e = chain.entries;
    e.erase(std::remove_if(e.begin(), e.end(), [](const auto& s) { return s->removed; }), e.end());
}

// Our procedure leaves the window when nothing is subclassed any more and no one has put a
// procedure in front of ours since; otherwise it stays as a pass-through until the window ends.
void ReleaseIfEmpty(HWND window, TChain* chain, bool windowEnds);

LRESULT CallFrom(HWND window, TChain& chain, size_t next, UINT msg, WPARAM wParam, LPARAM lParam) {
    while (next > 0 && chain.entries[next - 1]->removed) --next;
    if (next == 0) return CallWindowProcW(chain.original, window, msg, wParam, lParam);
    const std::shared_ptr<TSubclass> entry = chain.entries[next - 1];
    chain.positions.push_back(next - 1);
    const LRESULT result = entry->proc(window, msg, wParam, lParam, entry->id, entry->data);
    chain.positions.pop_back();
    return result;
}

LRESULT CALLBACK ChainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TChain* chain = ChainOf(window);
    if (!chain) return DefWindowProcW(window, msg, wParam, lParam);
    ++chain->depth;
    const LRESULT result = CallFrom(window, *chain, chain->entries.size(), msg, wParam, lParam);
    --chain->depth;
    if (msg == WM_NCDESTROY) {
        for (auto& entry : chain->entries) entry->removed = true;
    }
    Sweep(*chain);
    ReleaseIfEmpty(window, chain, msg == WM_NCDESTROY);
    return result;
}

void ReleaseIfEmpty(HWND window, TChain* chain, bool windowEnds) {
    if (chain->depth || !chain->entries.empty()) return;
    const bool ours = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == ChainWindowProc;
    if (!ours && !windowEnds) return;
    if (ours) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    RemovePropW(window, kChainProp);
    delete chain;  // the chain lives exactly as long as the window's procedure needs it
}

}  // namespace

bool SetWindowSubclass(HWND window, SubclassProc proc, UINT_PTR id, DWORD_PTR data) {
    if (!proc || !IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
    TChain* chain = ChainOf(window);
    if (!chain) {
        auto fresh = std::make_unique<TChain>();
        if (!SetPropW(window, kChainProp, fresh.get())) return false;
        fresh->original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChainWindowProc)));
        chain = fresh.release();
    }
    for (auto& entry : chain->entries) {
        if (!entry->removed && entry->proc == proc && entry->id == id) {
            entry->data = data;
            return true;
        }
    }
    chain->entries.push_back(std::make_shared<TSubclass>(TSubclass{proc, id, data}));
    return true;
}

bool RemoveWindowSubclass(HWND window, SubclassProc proc, UINT_PTR id) {
    TChain* chain = window ? ChainOf(window) : nullptr;
    if (!chain) return false;
    for (auto& entry : chain->entries) {
        if (entry->removed || entry->proc != proc || entry->id != id) continue;
        entry->removed = true;
        Sweep(*chain);
        ReleaseIfEmpty(window, chain, false);
        return true;
    }
    return false;
}

LRESULT DefSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TChain* chain = ChainOf(window);
    if (!chain || chain->positions.empty()) return DefWindowProcW(window, msg, wParam, lParam);
    return CallFrom(window, *chain, chain->positions.back(), msg, wParam, lParam);
}

}  // namespace gui
