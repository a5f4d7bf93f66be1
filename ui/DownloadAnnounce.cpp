#include "ui/DownloadAnnounce.h"

#include "gui/Accessible.h"
#include "ui/DownloadFigures.h"

#include <windows.h>

#include <string>

namespace {

// A reader that spoke every notification would say nothing else.
constexpr uint64_t kValueEventMs = 500;

}  // namespace

void TDownloadAnnounce::Progress(int64_t done, int64_t total) {
    if (done <= 0 || total <= 0) {
        Waiting();
        return;
    }
    const int percent = DownloadPercent(done, total);
    if (FState == gui::TTaskbarState::Normal && percent == FPercent) return;
    Show(gui::TTaskbarState::Normal);
    FTaskbar.SetValue(static_cast<uint64_t>(done), static_cast<uint64_t>(total));
    FPercent = percent;
    FBar.SetAccessibleValue(std::to_wstring(percent) + L"%");
    const uint64_t now = GetTickCount64();
    if (percent < 100 && now - FAnnouncedAt < kValueEventMs) return;
    FAnnouncedAt = now;
    gui::NotifyAccessibleValue(FBar);
}

void TDownloadAnnounce::Show(gui::TTaskbarState state) {
    if (state == FState) return;
    FState = state;
    FTaskbar.SetState(state);
}
