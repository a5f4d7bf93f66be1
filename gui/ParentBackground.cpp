#include "gui/ParentBackground.h"

#include "gui/Gdi.h"
#include "gui/WinControl.h"

namespace gui {

void PaintParentArea(TWinControl& parent, HDC dc, const RECT& area) {
    RECT visible{};
    const RECT client = parent.ClientRect();
    if (!IntersectRect(&visible, &area, &client)) return;
    DcStateScope state(dc);
    OffsetViewportOrgEx(dc, -area.left, -area.top, nullptr);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    // A double-buffered parent erases only into a buffer, which it recognises by the DC passed
    // twice; every other parent ignores the second parameter.
    const LPARAM bufferMark = parent.DoubleBuffered() ? reinterpret_cast<LPARAM>(dc) : 0;
    parent.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), bufferMark);
    parent.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

}  // namespace gui
