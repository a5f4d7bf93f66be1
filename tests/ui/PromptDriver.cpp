#include "tests/ui/PromptDriver.h"

#include "tests/ui/UiTestSupport.h"

namespace uitest {

namespace {

std::function<void(HWND)> g_step;
bool g_ran = false;
int g_ticks = 0;

// Tests run side by side in several processes: only this thread's prompt counts.
HWND FindOwnPrompt() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            wchar_t caption[16] = {};
            GetWindowTextW(window, caption, 16);
            if (wcscmp(caption, L"frm_Info") != 0) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
    // Bounded: about ten seconds for the prompt to come, and as long again for the step to close
    // it; a prompt still up then is closed so that a failing test fails instead of hanging.
    ++g_ticks;
    HWND prompt = FindOwnPrompt();
    const bool up = prompt && IsWindowVisible(prompt);
    if (g_ran) {
        if (!up || g_ticks > 800) KillTimer(nullptr, timer);
        if (up && g_ticks > 800) PostMessageW(prompt, WM_CLOSE, 0, 0);
        return;
    }
    if (g_ticks > 400) {
        KillTimer(nullptr, timer);
        return;
    }
    if (!up) return;
    g_ran = true;
    g_ticks = 400;
    g_step(prompt);
}

}  // namespace

TPromptDriver::TPromptDriver(std::function<void(HWND)> step) {
    g_step = std::move(step);
    g_ran = false;
    g_ticks = 0;
    timer_ = SetTimer(nullptr, 0, 25, OnTick);
}

TPromptDriver::~TPromptDriver() {
    KillTimer(nullptr, timer_);
    g_step = nullptr;
}

bool TPromptDriver::Ran() const { return g_ran; }

void ClickReload(HWND prompt) { ClickAt(prompt, 331 + 20, 120 + 8 + 10); }
void ClickUseBrowser(HWND prompt) { ClickAt(prompt, 19 + 30, 120 + 15 + 8); }
void ClickClose(HWND prompt) { ClickAt(prompt, 332 + 51 + 15, 12); }

}  // namespace uitest
