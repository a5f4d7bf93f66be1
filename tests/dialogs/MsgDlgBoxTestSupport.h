#pragma once
// Drives ShowMsgDlg as a user would: a thread timer fires inside the dialog's modal loop, finds
// the open dialog and plays a script against its real windows. A watchdog closes a dialog that
// the script left open, so a fault fails the test instead of hanging it.
#include "dialogs/f_MsgDlgBox.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace msgdlgtest {

using Script = std::function<void(Tfrm_MsgDlg& dialog)>;

// ShowMsgDlg's parameters, in its order.
struct Call {
    Call(TMsgDlgKind kind = mdkInfo, std::wstring text = L"消息", std::wstring detail = L"", bool remindChecked = false,
         std::wstring remindText = L"")
        : Kind(kind), Text(std::move(text)), Detail(std::move(detail)), RemindChecked(remindChecked),
          RemindText(std::move(remindText)) {}
    TMsgDlgKind Kind;
    std::wstring Text;
    std::wstring Detail;
    bool RemindChecked;
    std::wstring RemindText;
};

constexpr int kLeftOpen = -1000;  // the watchdog had to close the dialog

class DialogDriver {
public:
    // Runs the call; the script runs once the dialog is showing.
    static int Run(const Call& call, Script script) {
        DialogDriver& driver = Current();
        driver.script_ = std::move(script);
        driver.leftOpen_ = false;
        driver.started_ = GetTickCount();
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &DialogDriver::Tick);
        const int result = ShowMsgDlg(call.Kind, call.Text, call.Detail, call.RemindChecked, call.RemindText);
        KillTimer(nullptr, timer);
        driver.script_ = nullptr;
        return driver.leftOpen_ ? kLeftOpen : result;
    }

    static Tfrm_MsgDlg* FindDialog() {
        Tfrm_MsgDlg* found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &DialogDriver::Visit, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static DialogDriver& Current() {
        static DialogDriver driver;
        return driver;
    }

    static BOOL CALLBACK Visit(HWND window, LPARAM data) {
        auto* dialog = dynamic_cast<Tfrm_MsgDlg*>(gui::TWinControl::FromHandle(window));
        if (!dialog || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<Tfrm_MsgDlg**>(data) = dialog;
        return FALSE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogDriver& driver = Current();
        Tfrm_MsgDlg* dialog = FindDialog();
        if (!dialog) return;
        if (driver.script_) {
            Script script = std::move(driver.script_);
            driver.script_ = nullptr;
            script(*dialog);
        } else if (GetTickCount() - driver.started_ > 5000) {
            driver.leftOpen_ = true;
            dialog->SetModalResult(gui::mrCancel);
        }
    }

    Script script_;
    bool leftOpen_ = false;
    DWORD started_ = 0;
};

inline int RunDialog(const Call& call, Script script) { return DialogDriver::Run(call, std::move(script)); }

// Messages as the user's input would arrive at a window.
inline void Click(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}
inline void Click(gui::TWinControl& control) { Click(control.Handle(), 10, 10); }
// A windowless control is clicked through its parent's window.
inline void ClickWindowless(gui::TControl& control) {
    Click(control.Parent()->Handle(), control.Left() + control.Width() / 2, control.Top() + control.Height() / 2);
}
// Where the user's keys go: the control the dialog has focused, or the dialog itself. Read from
// the dialog, not from GetFocus: while tests run side by side another program may hold the focus.
inline HWND KeyTarget(Tfrm_MsgDlg& dialog) {
    gui::TWinControl* active = dialog.ActiveControl();
    return active ? active->Handle() : dialog.Handle();
}
inline void PostKey(Tfrm_MsgDlg& dialog, WPARAM key) {
    const HWND target = KeyTarget(dialog);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}
inline void PostAltLetter(Tfrm_MsgDlg& dialog, wchar_t letter) {
    PostMessageW(KeyTarget(dialog), WM_SYSCHAR, letter, 1 | (1 << 29));
}
inline void Tick(gui::TCheckBox& box) { SendMessageW(box.Handle(), BM_CLICK, 0, 0); }

inline RECT WindowRect(gui::TWinControl& control) {
    RECT r{};
    GetWindowRect(control.Handle(), &r);
    return r;
}

}  // namespace msgdlgtest
