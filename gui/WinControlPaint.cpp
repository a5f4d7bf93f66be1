// Painting of the windowed controls: erasing, the windowless children, double buffering and
// painting into a DC that is handed in (WM_PAINT with a DC, WM_PRINTCLIENT).
#include "gui/WinControl.h"

#include <algorithm>

#include "gui/Gdi.h"

namespace gui {

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, (ControlStyle() & csOpaque) ? FALSE : TRUE);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

bool TWinControl::EraseBackground(HDC dc) {
    if (Color() == clNone) return true;
    RECT r = ClientRect();
    BrushOwner brush(CreateSolidBrush(ColorToRGB(Color())));
    ::FillRect(dc, &r, brush.Get());
    return true;
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    // A double-buffered window erases into its buffer (wParam == lParam); the screen erase
    // would only flicker.
    if (doubleBuffered_ && m.WParam != static_cast<WPARAM>(m.LParam)) {
        m.Result = 1;
        return;
    }
    if (IsSystemClass() && !doubleBuffered_) {
        DefaultHandler(m);
        return;
    }
    m.Result = EraseBackground(dc) ? 1 : 0;
}

void TWinControl::PaintWindow(HDC dc) {
    if (IsSystemClass()) CallDefault(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::PaintControls(HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR) return;
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (c->IsWindowed() || !c->Visible()) continue;
        RECT bounds = c->BoundsRect(), overlap;
        if (!IntersectRect(&overlap, &bounds, &clip)) continue;
        DcStateScope state(dc);
        OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->PaintTo(dc);
        if (c->FocusMark()) {
            RECT mark = Rect(0, 0, c->Width(), c->Height());
            DrawFocusRect(dc, &mark);
        }
    }
}

void TWinControl::PaintHandler(HDC dc) {
    {
        DcStateScope state(dc);
        PaintWindow(dc);
    }
    PaintControls(dc);
}

void TWinControl::WMPaint(TMessage& m) {
    if (m.WParam) {
        PaintHandler(reinterpret_cast<HDC>(m.WParam));
        return;
    }
    bool hasGraphicChildren = std::any_of(controls_.begin(), controls_.end(), [](TControl* c) { return !c->IsWindowed(); });
    if (IsSystemClass() && !doubleBuffered_ && !hasGraphicChildren) {
        DefaultHandler(m);
        return;
    }
    PaintDc paint(handle_);
    if (!doubleBuffered_) {
        PaintHandler(paint.Get());
        return;
    }
    RECT area = paint.PaintRect();
    if (IsRectEmpty(&area)) return;
    DoubleBuffer buffer(paint.Get(), area);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer.Get()), reinterpret_cast<LPARAM>(buffer.Get()));
    PaintHandler(buffer.Get());
}

void TWinControl::WMPrintClient(TMessage& m) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (m.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, m.WParam, m.WParam);
    PaintHandler(dc);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(*this) {}

void TCustomControl::PaintWindow(HDC dc) {
    canvas_.PaintOn(dc, [this] { Paint(); });
}

}  // namespace gui
