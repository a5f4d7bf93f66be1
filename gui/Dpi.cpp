#include "gui/Dpi.h"

#include "gui/Gdi.h"

namespace gui {

namespace {

// Functions of Windows 10 1607 and later, looked up once; null on older systems.
struct DpiFunctions {
    UINT(WINAPI* ForWindow)(HWND) = nullptr;
    UINT(WINAPI* ForSystem)() = nullptr;
    int(WINAPI* MetricsForDpi)(int, UINT) = nullptr;
    DpiFunctions() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        ForWindow = reinterpret_cast<decltype(ForWindow)>(GetProcAddress(user32, "GetDpiForWindow"));
        ForSystem = reinterpret_cast<decltype(ForSystem)>(GetProcAddress(user32, "GetDpiForSystem"));
        MetricsForDpi = reinterpret_cast<decltype(MetricsForDpi)>(GetProcAddress(user32, "GetSystemMetricsForDpi"));
    }
};

const DpiFunctions& Functions() {
    static const DpiFunctions functions;
    return functions;
}

int ScreenLogPixels() {
    WindowDc screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

}  // namespace

int ScaleDpi(int value, int toDpi, int fromDpi) { return toDpi == fromDpi ? value : MulDiv(value, toDpi, fromDpi); }

RECT ScaleRectDpi(const RECT& r, int toDpi, int fromDpi) {
    return RECT{ScaleDpi(r.left, toDpi, fromDpi), ScaleDpi(r.top, toDpi, fromDpi), ScaleDpi(r.right, toDpi, fromDpi),
                ScaleDpi(r.bottom, toDpi, fromDpi)};
}

void TDpiMeasure::Keep(int value, int dpi) {
    if (value != scaled_) design_ = ScaleDpi(value, kDesignDpi, dpi);
}

int TDpiMeasure::At(int dpi) { return scaled_ = ScaleDpi(design_, dpi); }

// Edges that did not change come back as they were: from 96 DPI up and back down is exact.
void TDpiRect::Keep(const RECT& r, int dpi) {
    if (r.left != scaled_.left || r.top != scaled_.top || r.right != scaled_.right || r.bottom != scaled_.bottom)
        design_ = ScaleRectDpi(r, kDesignDpi, dpi);
}

int WindowDpi(HWND window) {
    if (window && Functions().ForWindow) return static_cast<int>(Functions().ForWindow(window));
    return SystemDpi();
}

int SystemDpi() {
    if (Functions().ForSystem) return static_cast<int>(Functions().ForSystem());
    return IsProcessDPIAware() ? ScreenLogPixels() : kDesignDpi;
}

int SystemMetricForDpi(int index, int dpi) {
    if (Functions().MetricsForDpi) return Functions().MetricsForDpi(index, static_cast<UINT>(dpi));
    // Older systems give the metric at the screen's DPI, whatever the program declared.
    return ScaleDpi(GetSystemMetrics(index), dpi, ScreenLogPixels());
}

}  // namespace gui
