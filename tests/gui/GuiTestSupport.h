#pragma once
// Small helpers for the framework tests: pumping, posting mouse input, reading pixels back.
#include "gui/Forms.h"

#include <windows.h>

namespace guitest {

// Runs every queued message, a few rounds, so posted input and its consequences have landed.
inline void Pump() {
    for (int i = 0; i < 5; ++i) {
        gui::Application.ProcessMessages();
        Sleep(1);
    }
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

inline void SendMouse(HWND window, UINT msg, int x, int y, WPARAM keys = 0) {
    SendMessageW(window, msg, keys, Point(x, y));
}

// A form made for one test: borderless, at a fixed place, client w × h, shown without stealing
// the focus of the other tests' windows.
inline gui::TForm* MakeForm(int w, int h) {
    auto* form = gui::New<gui::TForm>(&gui::Application);
    form->SetBorderStyle(gui::bsNone);
    form->SetBounds(40, 40, w, h);
    form->SetClientSize(w, h);
    return form;
}

// The window's client area as its own paint draws it (WM_PRINTCLIENT into a DIB).
inline COLORREF PrintedPixel(gui::TWinControl& control, int x, int y) {
    gui::DibSection dib(control.Width(), control.Height(), 32);
    SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    return dib.PixelAt(x, y);
}

}  // namespace guitest
