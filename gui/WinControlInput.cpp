#include "gui/WinControl.h"

#include "gui/Forms.h"

#include <windowsx.h>

#include <algorithm>

// Keyboard, focus and mouse input of windowed controls: tab order, dialog keys handed to the
// form, and mouse messages routed to the windowless child under the pointer.
namespace gui {

void TWinControl::SetTabStop(bool on) {
    tabStop_ = on;
    if (!handle_) return;
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    SetWindowLongPtrW(handle_, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::max(0, std::min(order, static_cast<int>(list.size())));
    list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
    }
    return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
    if (HWND window = Handle()) ::SetFocus(window);
}

void TWinControl::CollectTabList(std::vector<TWinControl*>& list) const {
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        child->CollectTabList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const {
    std::vector<TWinControl*> list;
    CollectTabList(list);
    if (list.empty()) return nullptr;
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (forward ? -1 : 0) : static_cast<int>(it - list.begin());
    const int n = static_cast<int>(list.size());
    for (int step = 1; step <= n; ++step) {
        int i = ((start + (forward ? step : -step)) % n + n) % n;
        TWinControl* c = list[i];
        if (c != current && c->CanFocus() && (!checkTabStop || c->TabStop())) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) next->SetFocus();
}

bool TWinControl::WantsKey(WORD key) {
    if (!IsSystemClass() || !handle_) return false;
    LRESULT code = CallDefault(WM_GETDLGCODE, key, 0);
    if (code & DLGC_WANTALLKEYS) return true;
    if (key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) return (code & DLGC_WANTARROWS) != 0;
    return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
    TForm* form = ParentForm();
    if (form && form != this && form->KeyPreview()) {
        form->KeyDown(key, shift);
        if (key == 0) return true;
    }
    KeyDown(key, shift);
    return key == 0;
}

namespace {

bool IsDialogKey(WORD key) {
    return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_LEFT || key == VK_RIGHT ||
           key == VK_UP || key == VK_DOWN;
}

}  // namespace

bool TWinControl::WMKey(TMessage& m) {
    TForm* form = ParentForm();
    const TShiftState shift = KeyboardShiftState();
    if (m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) {
        WORD key = static_cast<WORD>(m.WParam);
        if (DoKeyDown(key, shift)) return true;
        if (IsDialogKey(key) && !WantsKey(key) && form && form->HandleDialogKey(key, shift)) return true;
        m.WParam = key;
        return false;
    }
    if (m.Msg == WM_KEYUP || m.Msg == WM_SYSKEYUP) {
        WORD key = static_cast<WORD>(m.WParam);
        if (form && form != this && form->KeyPreview()) {
            form->KeyUp(key, shift);
            if (key == 0) return true;
        }
        KeyUp(key, shift);
        m.WParam = key;
        return key == 0;
    }
    if (m.Msg == WM_SYSCHAR) return form && form->HandleDialogChar(static_cast<wchar_t>(m.WParam));
    wchar_t ch = static_cast<wchar_t>(m.WParam);
    if (form && form != this && form->KeyPreview()) {
        form->KeyPress(ch);
        if (ch == 0) return true;
    }
    KeyPress(ch);
    m.WParam = ch;
    return ch == 0;
}

bool TWinControl::WMMouse(TMessage& m) {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    TShiftState shift = 0;
    if (m.WParam & MK_SHIFT) shift |= ssShift;
    if (m.WParam & MK_CONTROL) shift |= ssCtrl;
    if (m.WParam & MK_LBUTTON) shift |= ssLeft;
    if (m.WParam & MK_RBUTTON) shift |= ssRight;
    if (m.WParam & MK_MBUTTON) shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;

    TControl* hit = ControlAtPos(p, false);
    RECT client = ClientRect();
    if (m.Msg == WM_MOUSEMOVE) {
        TControl* over = hit ? hit : (PtInRect(&client, p) ? this : nullptr);
        SetMouseControl(over);
        if (!trackingLeave_ && handle_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
            trackingLeave_ = TrackMouseEvent(&track) != FALSE;
        }
    }
    TControl* target = hit;
    TControl* captured = CaptureControl();
    if (captured && (captured == this || captured->Parent() == this)) target = captured == this ? nullptr : captured;
    const bool routedToChild = target && target != this;
    if (!routedToChild) DefaultHandler(m);
    TControl& receiver = routedToChild ? *target : *this;
    const int x = p.x - (routedToChild ? target->Left() : 0);
    const int y = p.y - (routedToChild ? target->Top() : 0);
    switch (m.Msg) {
    case WM_MOUSEMOVE: receiver.HandleMouseMove(shift, x, y); break;
    case WM_LBUTTONDOWN: receiver.HandleMouseDown(mbLeft, shift, x, y, false); break;
    case WM_LBUTTONDBLCLK: receiver.HandleMouseDown(mbLeft, shift, x, y, true); break;
    case WM_RBUTTONDOWN: receiver.HandleMouseDown(mbRight, shift, x, y, false); break;
    case WM_RBUTTONDBLCLK: receiver.HandleMouseDown(mbRight, shift, x, y, true); break;
    case WM_MBUTTONDOWN: receiver.HandleMouseDown(mbMiddle, shift, x, y, false); break;
    case WM_MBUTTONDBLCLK: receiver.HandleMouseDown(mbMiddle, shift, x, y, true); break;
    case WM_LBUTTONUP: receiver.HandleMouseUp(mbLeft, shift, x, y); break;
    case WM_RBUTTONUP: receiver.HandleMouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONUP: receiver.HandleMouseUp(mbMiddle, shift, x, y); break;
    }
    return true;
}

void TWinControl::WMMouseLeave() {
    trackingLeave_ = false;
    TControl* over = MouseControl();
    if (over && (over == this || (!over->IsWindowed() && over->Parent() == this))) SetMouseControl(nullptr);
}

bool TWinControl::WMSetCursor(TMessage& m) {
    if (reinterpret_cast<HWND>(m.WParam) != handle_ || LOWORD(m.LParam) != HTCLIENT) return false;
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(handle_, &p);
    TControl* hit = ControlAtPos(p, false);
    HCURSOR cursor = CursorHandle(hit && hit->Cursor() != crDefault ? hit->Cursor() : Cursor());
    if (!cursor) return false;
    ::SetCursor(cursor);
    m.Result = TRUE;
    return true;
}

}  // namespace gui
