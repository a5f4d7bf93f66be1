#pragma once
// Display scale. The stored window data, the pictures' ×1 drawings and every fixed measure of the
// controls are 96 DPI values; a window laid out at another DPI takes each of them through
// ScaleDpi, the one rounding rule, so that no control rounds its own way.
#include <windows.h>

namespace gui {

constexpr int kDesignDpi = 96;

// value × toDpi / fromDpi to the nearest pixel, halves away from zero.
int ScaleDpi(int value, int toDpi, int fromDpi = kDesignDpi);
// A rectangle scaled by its edges, so that controls that touch at one scale touch at every other.
RECT ScaleRectDpi(const RECT& r, int toDpi, int fromDpi = kDesignDpi);

// The DPI a window is drawn at: its monitor's for a per-monitor aware program, the system's
// otherwise, 96 when the program is not DPI-aware (the system then stretches it).
int WindowDpi(HWND window);
// The DPI a top-level window made now would get before it knows its monitor.
int SystemDpi();
// A system metric as the system gives it at a DPI (a radio glyph drawn for that scale).
int SystemMetricForDpi(int index, int dpi);

}  // namespace gui
