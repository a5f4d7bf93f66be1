#pragma once
// Watching another window's messages: a procedure placed in front of the window's own, the
// way comctl32's SetWindowSubclass does it, without loading comctl32 (about 1 MiB and 30 ms at
// start-up under Wine). Several subclasses of one window form a chain, the latest first; each
// passes a message on with DefSubclassProc. Removing one in any order keeps the chain whole.
// A window's chain ends with its destruction: every subclass sees WM_NCDESTROY, then is gone.
#include <windows.h>

namespace gui {

using SubclassProc = LRESULT(CALLBACK*)(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);

// False when the window is not one of this thread's. Installing (proc, id) again replaces its data.
bool SetWindowSubclass(HWND window, SubclassProc proc, UINT_PTR id, DWORD_PTR data);
bool RemoveWindowSubclass(HWND window, SubclassProc proc, UINT_PTR id);
// Only from within a subclass procedure: the next subclass's turn, or the window's own procedure.
LRESULT DefSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace gui
