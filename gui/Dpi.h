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

// A measure of a control kept at 96 DPI beside the value the control holds at its scale: the
// scaled value is always made from the 96 DPI one, so that no sequence of scales gathers
// rounding. A value the control was given at a scale (by the program, its layout or the user)
// becomes the measure once, taken back to 96 DPI by the next Keep.
class TDpiMeasure {
public:
    // value: what the control holds now, at dpi.
    void Keep(int value, int dpi);
    int At(int dpi);
    int Rescale(int value, int toDpi, int fromDpi) {
        Keep(value, fromDpi);
        return At(toDpi);
    }

private:
    int design_ = 0, scaled_ = 0;  // scaled_: the value At last gave out
};

// A rectangle kept the same way, by its edges.
class TDpiRect {
public:
    void Keep(const RECT& r, int dpi);
    RECT At(int dpi) { return scaled_ = ScaleRectDpi(design_, dpi); }

private:
    RECT design_{0, 0, 0, 0}, scaled_{0, 0, 0, 0};
};

// The DPI a window is drawn at: its monitor's for a per-monitor aware program, the system's
// otherwise, 96 when the program is not DPI-aware (the system then stretches it).
int WindowDpi(HWND window);
// The DPI a top-level window made now would get before it knows its monitor.
int SystemDpi();
// A system metric as the system gives it at a DPI (a radio glyph drawn for that scale).
int SystemMetricForDpi(int index, int dpi);

}  // namespace gui
