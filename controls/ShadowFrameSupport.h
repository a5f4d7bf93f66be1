#pragma once
// What the two halves of the form shadow (controls/f_ShadowFrame.cpp follows the form,
// controls/ShadowFramePicture.cpp draws the picture) both use.
#include <windows.h>

#include <string>

#include "controls/ShadowBitmap.h"

namespace shadow {

inline void DebugLine(const std::string& ansi) { OutputDebugStringA((ansi + "\n").c_str()); }

// The form's colour key, or CLR_INVALID when it has none.
inline COLORREF FormKeyColor(HWND form) {
    if (!(GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_LAYERED)) return CLR_INVALID;
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(form, &key, &alpha, &flags) || !(flags & LWA_COLORKEY)) return CLR_INVALID;
    return key;
}

}  // namespace shadow
