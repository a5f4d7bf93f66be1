#pragma once
// What a parent shows beneath a child that draws itself on its parent's background (transparent
// panels and radio buttons): the parent erases and paints itself, with its windowless children,
// into the child's DC.
#include <windows.h>

namespace gui {

class TWinControl;

// Lets parent erase and paint the part `area` of its client area (parent coordinates) into dc,
// area's top-left corner at dc's origin. Nothing outside area or the parent's client area is
// touched. An exception of the parent's painting comes out; what it had painted stays.
void PaintParentArea(TWinControl& parent, HDC dc, const RECT& area);

}  // namespace gui
