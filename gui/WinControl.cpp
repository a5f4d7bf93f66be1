#include "gui/WinControl.h"

#include "gui/Accessible.h"
#include "gui/Forms.h"
#include "sys/SysUtils.h"

#include <algorithm>

namespace gui {

namespace {

const wchar_t kControlProp[] = L"Tallyvo.Control";
// The control whose window is being created: the window's first message binds to it, which
// may come before WM_NCCREATE (WM_GETMINMAXINFO for top-level windows).
thread_local TWinControl* t_creating = nullptr;

std::wstring RegisteredClassName(const TCreateParams& params) {
    return L"Tallyvo." + params.ClassName + (params.SystemClass.empty() ? L"" : L"." + params.SystemClass);
}

}  // namespace

void HandleWindowException(const std::exception& error) {
    std::wstring text;
    if (auto* framework = dynamic_cast<const sys::Exception*>(&error)) {
        text = framework->Message();
    } else {
        text = sys::FromGbk(error.what());
    }
    OutputDebugStringW(text.c_str());
    // The hook runs inside a catch at a window procedure; nothing may leave it either.
    try {
        if (Application.OnException) Application.OnException(error);
    } catch (...) {
        OutputDebugStringW(L"Application.OnException raised");
    }
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TWinControl*>(GetPropW(window, kControlProp));
    if (!self && t_creating) {
        self = t_creating;
        t_creating = nullptr;
        self->BindWindow(window);
    }
    if (!self) return DefWindowProcW(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    try {
        self->WindowProc(message);
    } catch (const std::exception& error) {
        HandleWindowException(error);
    } catch (...) {
        OutputDebugStringW(L"Unknown exception in a window procedure");
    }
    if (msg == WM_NCDESTROY) self->UnbindWindow();
    return message.Result;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    windowed_ = true;
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TWinControl::~TWinControl() {
    BeginDestroy();
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
    // A companion that hooked WindowProc may be gone already; the window's last messages must
    // not reach it.
    WindowProc = [this](TMessage& m) { WndProc(m); };
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return window ? static_cast<TWinControl*>(GetPropW(window, kControlProp)) : nullptr;
}

void TWinControl::BindWindow(HWND window) {
    handle_ = window;
    SetPropW(window, kControlProp, this);
}

void TWinControl::UnbindWindow() {
    if (handle_) RemovePropW(handle_, kControlProp);
    handle_ = nullptr;
    trackingLeave_ = false;
    showing_ = false;
}

HWND TWinControl::Handle() {
    if (!handle_ && !Destroying()) CreateWnd();
    return handle_;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    DestroyWindow(handle_);
    if (handle_) UnbindWindow();
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = Caption();
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (Parent()) params.Style |= WS_CHILD;
    // A child's own flag: Windows hides it with a hidden parent and shows it again with it.
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent()) params.WndParent = Parent()->Handle();
}

void TWinControl::CreateWnd() {
    if (Parent() && !Parent()->Handle()) return;
    TCreateParams params;
    CreateParams(params);
    const std::wstring className = RegisteredClassName(params);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    defWndProc_ = nullptr;
    if (!params.SystemClass.empty()) {
        if (!GetClassInfoExW(nullptr, params.SystemClass.c_str(), &wc)) {
            throw sys::Exception(L"GetClassInfoEx(" + params.SystemClass + L"): " + sys::SysErrorMessage(GetLastError()));
        }
        defWndProc_ = wc.lpfnWndProc;
    }
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, className.c_str(), &existing)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ControlWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = className.c_str();
        wc.style = params.SystemClass.empty() ? params.ClassStyle : (wc.style | params.ClassStyle) & ~CS_GLOBALCLASS;
        if (params.SystemClass.empty()) wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = nullptr;
        if (!RegisterClassExW(&wc)) {
            throw sys::Exception(L"RegisterClassEx(" + className + L"): " + sys::SysErrorMessage(GetLastError()));
        }
    }
    t_creating = this;
    HWND window = CreateWindowExW(params.ExStyle, className.c_str(), params.Caption.c_str(), params.Style, params.X,
                                  params.Y, params.Width, params.Height, params.WndParent, nullptr, instance, this);
    DWORD error = GetLastError();
    t_creating = nullptr;
    if (!window) {
        handle_ = nullptr;
        throw sys::Exception(L"CreateWindowEx(" + className + L"): " + sys::SysErrorMessage(error));
    }
    showing_ = IsWindowVisible(window) != FALSE;
    if (IsSystemClass()) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    // A hidden child gets its window when it is first shown or asked for its handle: the pages
    // a user may never open cost no windows, and their system classes load no libraries.
    for (TControl* child : std::vector<TControl*>(controls_)) {
        auto* w = dynamic_cast<TWinControl*>(child);
        if (w && w->Visible()) w->HandleNeeded();
    }
    Realign();
}

bool HasNonClientArea(HWND window) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return RectWidth(outer) != RectWidth(client) || RectHeight(outer) != RectHeight(client);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    WindowProc(message);
    return message.Result;
}

LRESULT TWinControl::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!handle_) return 0;
    if (defWndProc_) return CallWindowProcW(defWndProc_, handle_, msg, wParam, lParam);
    return DefWindowProcW(handle_, msg, wParam, lParam);
}

void TWinControl::DefaultHandler(TMessage& m) { m.Result = CallDefault(m.Msg, m.WParam, m.LParam); }

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_PRINTCLIENT: WMPrintClient(m); return;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(m);
        WMWindowPosChanged(m);
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (!WMMouse(m)) DefaultHandler(m);
        return;
    case WM_MOUSELEAVE:
        WMMouseLeave();
        DefaultHandler(m);
        return;
    case WM_CAPTURECHANGED:
        if (CaptureControl() && reinterpret_cast<HWND>(m.LParam) != handle_) {
            TControl* captured = CaptureControl();
            // Capture taken away (a window drag, a menu): the press can no longer become a click.
            if (captured == this || captured->Parent() == this) {
                captured->CancelClick();
                captured->SetMouseCapture(false);
            }
        }
        DefaultHandler(m);
        return;
    case WM_SETCURSOR:
        if (!WMSetCursor(m)) DefaultHandler(m);
        return;
    case WM_SETFOCUS:
        DefaultHandler(m);
        if (TForm* form = ParentForm()) {
            form->FocusArrived(this);
            form->AccessibleFocusMayHaveMoved();
        }
        FocusReceived();
        return;
    case WM_KILLFOCUS:
        DefaultHandler(m);
        FocusLost();
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (!WMKey(m)) DefaultHandler(m);
        return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (!ReflectToChild(m)) DefaultHandler(m);
        return;
    case CM_SHOWINGCHANGED:
        m.Result = 0;
        return;
    case WM_GETOBJECT:
        if (!AnswerGetObject(*this, m)) DefaultHandler(m);
        return;
    case CM_ACCESSIBLEACTION:
        RunAccessibleAction(*this, reinterpret_cast<const TControl*>(m.WParam));
        return;
    case WM_NCPAINT:
        // Under Wine the default takes a window DC of its own, a server and X round trip per
        // window, even when there is no frame to draw.
        if (IsSystemClass() || HasNonClientArea(handle_)) DefaultHandler(m);
        return;
    case CN_BASE + WM_CTLCOLOREDIT:
    case CN_BASE + WM_CTLCOLORSTATIC:
    case CN_BASE + WM_CTLCOLORBTN:
    case CN_BASE + WM_CTLCOLORLISTBOX: {
        // A system control paints in the control's own Color and font colour.
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        SetDCBrushColor(dc, ColorToRGB(Color()));
        m.Result = reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
        return;
    }
    default:
        DefaultHandler(m);
    }
}

bool TWinControl::ReflectToChild(TMessage& m) {
    HWND child = nullptr;
    if (m.Msg == WM_COMMAND) child = reinterpret_cast<HWND>(m.LParam);
    else if (m.Msg == WM_NOTIFY) child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
    else if (m.Msg == WM_DRAWITEM) child = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
    else child = reinterpret_cast<HWND>(m.LParam);
    TWinControl* target = FromHandle(child);
    if (!target || target == this) return false;
    m.Result = target->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

void TWinControl::WMWindowPosChanged(TMessage& m) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if ((pos->flags & SWP_NOMOVE) && (pos->flags & SWP_NOSIZE)) return;
    // A minimised window's rectangle is the icon's; the layout keeps the restored size.
    if (IsIconic(handle_)) return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (Parent() && Parent()->HandleAllocated()) MapWindowPoints(HWND_DESKTOP, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    TControl::ApplyBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    Realign();
}

void TWinControl::ApplyBounds(int left, int top, int width, int height) {
    bool resized = width != Width() || height != Height();
    if (handle_) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        const TForm* form = ParentForm();
        if (form && form->Rescaling()) flags |= SWP_NOREDRAW;
        SetWindowPos(handle_, nullptr, left, top, width, height, flags);
    }
    // Without a window, or when the window refused the change, keep the values asked for.
    TControl::ApplyBounds(left, top, width, height);
    if (resized) Realign();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(left, top, width, height);
    UpdateAnchorBase();
    RequestAlign();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        tabList_.push_back(w);
        if (handle_ && w->Visible()) w->HandleNeeded();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (MouseControl() == control) SetMouseControl(nullptr);
    if (CaptureControl() == control) control->SetMouseCapture(false);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
        // A window cannot outlive its parent window: it goes now and comes back on a new parent.
        w->DestroyHandle();
    }
    Realign();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->Visible() || (!allowDisabled && !c->Enabled())) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::EnableAlign() {
    if (alignLocks_ > 0 && --alignLocks_ == 0) Realign();
}

void TWinControl::Realign() { RealignFor(nullptr); }

void TWinControl::RealignFor(TControl* requester) {
    if (aligning_ || alignLocks_ > 0 || Destroying()) return;
    aligning_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{aligning_};
    AlignControls(requester);
}

// Top, then bottom, left, right, and last the client; within one alignment the controls keep
// the order of their current places, so two right-aligned buttons do not swap; the control
// that asked for the layout wins a tie, taking the place it was given.
void TWinControl::AlignControls(TControl* requester) {
    RECT area = AlignRect();
    for (TControl* c : controls_) {
        if (c->Align() == alNone) c->ApplyAnchors(RectWidth(area), RectHeight(area));
    }
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> group;
        for (TControl* c : controls_) {
            if (c->Align() == align && c->Visible() && c != requester) group.push_back(c);
        }
        if (requester && requester->Align() == align && requester->Visible()) group.insert(group.begin(), requester);
        std::stable_sort(group.begin(), group.end(), [align](TControl* a, TControl* b) {
            switch (align) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        for (TControl* c : group) {
            const int w = std::max<int>(RectWidth(area), 0), h = std::max<int>(RectHeight(area), 0);
            switch (align) {
            case alTop:
                c->ApplyBounds(area.left, area.top, w, c->Height());
                area.top += c->Height();
                break;
            case alBottom:
                c->ApplyBounds(area.left, area.bottom - c->Height(), w, c->Height());
                area.bottom -= c->Height();
                break;
            case alLeft:
                c->ApplyBounds(area.left, area.top, c->Width(), h);
                area.left += c->Width();
                break;
            case alRight:
                c->ApplyBounds(area.right - c->Width(), area.top, c->Width(), h);
                area.right -= c->Width();
                break;
            default:
                c->ApplyBounds(area.left, area.top, w, h);
                break;
            }
        }
    }
}

namespace {

// A window hidden with the focus in it would keep the keys from the form (a page change with a
// line button focused): the form takes the focus, and its keyboard turns go on from there.
void HandFocusToForm(TWinControl& hidden) {
    const HWND focus = GetFocus();
    if (!focus || (focus != hidden.Handle() && !IsChild(hidden.Handle(), focus))) return;
    TForm* form = hidden.ParentForm();
    if (form && form != &hidden && form->HandleAllocated()) ::SetFocus(form->Handle());
}

}  // namespace

void TWinControl::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (!visible && handle_) HandFocusToForm(*this);
    TControl::SetVisible(visible);
    if (!handle_ && visible && (!Parent() || Parent()->HandleAllocated())) HandleNeeded();
    if (!handle_) return;
    ShowHandle(visible);
    bool nowShowing = Showing();
    if (nowShowing != showing_) {
        showing_ = nowShowing;
        SendMessageW(handle_, CM_SHOWINGCHANGED, 0, 0);
    }
}

// A top-level window shown the usual way erases and frames every child at once, one round trip
// after another (about 2.5 ms a child under Wine); shown without redrawing and invalidated
// instead, each child erases within its first paint.
void TWinControl::ShowHandle(bool visible) {
    if (!visible || Parent()) {
        ShowWindow(handle_, visible ? ShowCommand() : SW_HIDE);
        return;
    }
    const UINT activation = ShowCommand() == SW_SHOWNA ? SWP_NOACTIVATE | SWP_NOZORDER : 0;
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | activation);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

RECT TWinControl::ClientRect() const {
    RECT r;
    if (handle_ && GetClientRect(handle_, &r)) return r;
    return TControl::ClientRect();
}

bool TWinControl::Showing() const {
    if (!Visible()) return false;
    return Parent() ? Parent()->Showing() : handle_ != nullptr;
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    TControl::SetEnabled(enabled);
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled() ? TRUE : FALSE);
    Invalidate();
}

void TWinControl::FontChanged() {
    if (handle_ && IsSystemClass()) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    Invalidate();
}

void TWinControl::TextChanged() {
    if (handle_) SetWindowTextW(handle_, Caption().c_str());
    Invalidate();
}

}  // namespace gui
