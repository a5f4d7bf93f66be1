#pragma once
// The application's task-bar button as a progress display. The button belongs to the hidden
// application window; the taskbar announces it to that window with "TaskbarButtonCreated", and
// only then is the taskbar's list made. Without a taskbar (older Windows, or none) nothing shows.
#include <cstdint>

namespace gui {

enum class TTaskbarState { None, Indeterminate, Normal, Paused, Error };

class ITaskbarProgress {
public:
    virtual void SetState(TTaskbarState state) = 0;
    // How far the bar is filled while it shows a value (Normal, Paused, Error).
    virtual void SetValue(uint64_t done, uint64_t total) = 0;

protected:
    ~ITaskbarProgress() = default;
};

// The button of Application's window. Its first use watches that window for the taskbar, so it
// comes before the window is shown; what is set before the announcement is shown on it.
ITaskbarProgress& ApplicationTaskbar();

}  // namespace gui
