#include "gui/Timer.h"

#include "gui/WinControl.h"

namespace gui {

namespace {

// One message-only window carries every timer; its WM_TIMER id is the TTimer's address,
// checked against the list of live timers so a late tick of a freed timer goes nowhere.
HWND g_timerWindow = nullptr;
TTimer* g_liveTimers = nullptr;

}  // namespace

LRESULT CALLBACK TTimer::TimerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_TIMER) return DefWindowProcW(window, msg, wParam, lParam);
    for (TTimer* t = g_liveTimers; t; t = t->nextLive_) {
        if (reinterpret_cast<WPARAM>(t) != wParam) continue;
        try {
            if (t->running_ && t->OnTimer) t->OnTimer(t);
        } catch (const std::exception& error) {
            HandleWindowException(error);
        }
        break;
    }
    return 0;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    nextLive_ = g_liveTimers;
    g_liveTimers = this;
    Restart();
}

TTimer::~TTimer() {
    Stop();
    for (TTimer** link = &g_liveTimers; *link; link = &(*link)->nextLive_) {
        if (*link == this) {
            *link = nextLive_;
            break;
        }
    }
}

void TTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Restart();
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Restart();
}

void TTimer::Stop() {
    if (running_ && g_timerWindow) KillTimer(g_timerWindow, reinterpret_cast<UINT_PTR>(this));
    running_ = false;
}

void TTimer::Restart() {
    Stop();
    if (!enabled_ || interval_ == 0) return;
    if (!g_timerWindow) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TimerWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"Tallyvo.Timers";
        RegisterClassExW(&wc);
        g_timerWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    }
    running_ = g_timerWindow && SetTimer(g_timerWindow, reinterpret_cast<UINT_PTR>(this), interval_, nullptr) != 0;
}

}  // namespace gui
