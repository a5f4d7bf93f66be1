#pragma once
// A timer component: OnTimer every Interval milliseconds while Enabled, on the GUI thread.
#include "gui/Controls.h"

namespace gui {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    TNotifyEvent OnTimer;

private:
    void Restart();
    void Stop();
    static LRESULT CALLBACK TimerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool running_ = false;
    TTimer* nextLive_ = nullptr;
};

}  // namespace gui
