#pragma once
// What a download run shows beyond its page: the progress on the task-bar button, and the
// progress bar's value for a screen reader, announced at most every 500 ms and at 100 %.
#include "gui/Controls.h"
#include "gui/TaskbarProgress.h"

#include <cstdint>

class TDownloadAnnounce {
public:
    // Both must outlive the announcer.
    TDownloadAnnounce(gui::ITaskbarProgress& taskbar, gui::TControl& bar) : FTaskbar(taskbar), FBar(bar) {}
    // No byte of the package yet, or the package is being checked.
    void Waiting() { Show(gui::TTaskbarState::Indeterminate); }
    // done of total bytes (total 0 or less: not announced).
    void Progress(int64_t done, int64_t total);
    // The close question is open.
    void Asking() { Show(gui::TTaskbarState::Paused); }
    // The failure prompt is open.
    void Failed() { Show(gui::TTaskbarState::Error); }
    // Nothing under way: the install picture shows, or the window is back at its start.
    void Idle() { Show(gui::TTaskbarState::None); }

private:
    void Show(gui::TTaskbarState state);

    gui::ITaskbarProgress& FTaskbar;
    gui::TControl& FBar;
    gui::TTaskbarState FState = gui::TTaskbarState::None;
    int FPercent = -1;
    uint64_t FAnnouncedAt = 0;
};
