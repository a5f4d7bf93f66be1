#include "gui/Forms.h"

#include "gui/Accessible.h"
#include "sys/SysUtils.h"

#include <vector>

namespace gui {

TApplication Application;

namespace {

DWORD BorderStyleBits(TFormBorderStyle style) {
    switch (style) {
    case bsNone: return WS_POPUP;
    case bsSingle: return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case bsSizeable: return WS_OVERLAPPEDWINDOW;
    case bsDialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case bsToolWindow: return WS_CAPTION | WS_SYSMENU;
    }
    return WS_POPUP;
}

constexpr DWORD kAllBorderBits = WS_POPUP | WS_OVERLAPPEDWINDOW;

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
    // OnDestroy may still use the components, so it runs before they are freed.
    if (OnDestroy) OnDestroy(this);
    BeginDestroy();
    if (Application.MainForm() == this) Application.SetMainForm(nullptr);
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = L"TallyvoForm";
    params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE);
    params.Style |= BorderStyleBits(borderStyle_);
    if (borderStyle_ == bsDialog) params.ExStyle |= WS_EX_DLGMODALFRAME;
    if (borderStyle_ == bsToolWindow) params.ExStyle |= WS_EX_TOOLWINDOW;
    if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    params.WndParent = Application.Handle();
}

void TForm::CreateWnd() {
    // Made at the scale it will most likely show at; a window that lands on a monitor of
    // another scale is laid out once more.
    ScaleForDpi(SystemDpi());
    TWinControl::CreateWnd();
    ScaleForDpi(WindowDpi(Handle()));
}

TWindowState TForm::WindowState() const {
    if (!HandleAllocated()) return wsNormal;
    HWND window = const_cast<TForm*>(this)->Handle();
    if (IsIconic(window)) return wsMinimized;
    return IsZoomed(window) ? wsMaximized : wsNormal;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    const RECT client = ClientRect();
    borderStyle_ = style;
    if (HandleAllocated()) {
        LONG_PTR bits = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(kAllBorderBits);
        SetWindowLongPtrW(Handle(), GWL_STYLE, bits | BorderStyleBits(style));
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetClientSize(RectWidth(client), RectHeight(client));
}

RECT TForm::ClientRect() const {
    if (HandleAllocated()) return TWinControl::ClientRect();
    // Before the window exists, the frame the border style will add.
    RECT frame{0, 0, 0, 0};
    DWORD style = borderStyle_ == bsNone ? WS_POPUP : borderStyle_ == bsSizeable ? WS_OVERLAPPEDWINDOW : WS_CAPTION;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return Rect(0, 0, Width() - RectWidth(frame), Height() - RectHeight(frame));
}

void TForm::SetClientSize(int width, int height) {
    RECT frame = ClientRect();
    SetBounds(Left(), Top(), width + (Width() - RectWidth(frame)), height + (Height() - RectHeight(frame)));
}

void TForm::SetFormStyle(TFormStyle style) {
    formStyle_ = style;
    if (HandleAllocated()) {
        SetWindowPos(Handle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TForm::SetActiveControl(TWinControl* control) {
    if (control && control->CanFocus() && control->HandleAllocated()) {
        control->SetFocus();
    } else {
        FocusArrived(control);
    }
}

void TForm::FocusArrived(TWinControl* control) {
    TWinControl* focused = control == this ? nullptr : control;
    if (focused == activeControl_) return;
    TWinControl* old = activeControl_;
    activeControl_ = focused;
    if (old) old->DoExit();
    if (focused) focused->DoEnter();
    std::vector<TControl*> all;
    std::vector<TWinControl*> stack{this};
    while (!stack.empty()) {
        TWinControl* w = stack.back();
        stack.pop_back();
        for (size_t i = 0; i < w->ControlCount(); ++i) {
            all.push_back(w->Control(i));
            if (auto* child = dynamic_cast<TWinControl*>(w->Control(i))) stack.push_back(child);
        }
    }
    for (TControl* c : all) c->FocusChanged(focused);
}

namespace {

// Pre-order over the whole tree; visit returns true to stop.
template <class Visit>
bool VisitControls(TWinControl& root, Visit visit) {
    for (size_t i = 0; i < root.ControlCount(); ++i) {
        TControl* c = root.Control(i);
        if (visit(c)) return true;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            if (VisitControls(*w, visit)) return true;
        }
    }
    return false;
}

}  // namespace

bool TForm::HandleDialogKey(WORD key, TShiftState shift) {
    if (VisitControls(*this, [&](TControl* c) { return c->Showing() && c->DialogKey(key, shift); })) return true;
    if (DialogKey(key, shift)) return true;
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        SelectNext(activeControl_, !(shift & ssShift), true);
        return true;
    }
    if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN) {
        TWinControl* container = activeControl_ && activeControl_->Parent() ? activeControl_->Parent() : this;
        TWinControl* next = container->FindNextControl(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
        if (next && next->Parent() == container) next->SetFocus();
        return next != nullptr;
    }
    return false;
}

bool TForm::HandleDialogChar(wchar_t ch) {
    return VisitControls(*this, [&](TControl* c) { return c->Showing() && c->EffectivelyEnabled() && c->DialogChar(ch); });
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::Show() {
    SetVisible(true);
    if (HandleAllocated()) SetForegroundWindow(Handle());
}

void TForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (visible) {
        HandleNeeded();
        DoShow();
    } else {
        DoHide();
    }
    TWinControl::SetVisible(visible);
    if (visible && activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
}

void TForm::DragWithMouse(WPARAM command) {
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, command, 0);
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (Application.MainForm() == this) {
        Application.Terminate();
        return;
    }
    if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
        return;
    }
    Hide();
    if (action == caFree && Owner()) Owner()->FreeComponent(this);
}

namespace {

struct WindowList {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM data) {
    auto* list = reinterpret_cast<WindowList*>(data);
    if (window != list->except && IsWindowVisible(window) && IsWindowEnabled(window)) list->windows.push_back(window);
    return TRUE;
}

// Disables the thread's other windows for one modal showing and enables them again after it,
// on every way out.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND except) {
        WindowList list{except, {}};
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&list));
        windows_ = std::move(list.windows);
        for (HWND w : windows_) EnableWindow(w, FALSE);
    }
    ~DisabledWindows() { Restore(); }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;
    void Restore() {
        for (HWND w : windows_) {
            if (IsWindow(w)) EnableWindow(w, TRUE);
        }
        windows_.clear();
    }

private:
    std::vector<HWND> windows_;
};

}  // namespace

TModalResult TForm::ShowModal() {
    if (Visible() || modal_) throw sys::Exception(L"Cannot make a visible window modal");
    HandleNeeded();
    HWND active = GetActiveWindow();
    DisabledWindows disabled(Handle());
    modal_ = true;
    modalResult_ = mrNone;
    struct ModalScope {
        TForm& form;
        ~ModalScope() { form.modal_ = false; }
    } scope{*this};
    Show();
    while (modalResult_ == mrNone) {
        Application.HandleMessage();
        if (Application.Terminated()) modalResult_ = mrCancel;
    }
    // The owner must be enabled before the dialog hides, or the activation goes elsewhere.
    disabled.Restore();
    Hide();
    if (active && IsWindow(active)) SetActiveWindow(active);
    return modalResult_;
}

void TForm::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_CLOSE:
        Close();
        m.Result = 0;
        return;
    case CM_ACCESSIBLEFOCUS:
        AnnounceFocus();
        m.Result = 0;
        return;
    case WM_DPICHANGED:
        ScaleForDpi(HIWORD(m.WParam), reinterpret_cast<const RECT*>(m.LParam));
        m.Result = 0;
        return;
    case WM_ACTIVATE:
        TWinControl::WndProc(m);
        if (LOWORD(m.WParam) != WA_INACTIVE && activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
        return;
    default:
        TWinControl::WndProc(m);
    }
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    BeginDestroy();
    if (handle_) DestroyWindow(handle_);
}

void TApplication::Initialize() { Handle(); }

void TApplication::CreateHandle() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, L"Tallyvo.Application", &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = AppWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"Tallyvo.Application";
        wc.hIcon = LoadIconW(instance, L"MAINICON");
        if (!RegisterClassExW(&wc)) {
            throw sys::Exception(L"RegisterClassEx(Tallyvo.Application): " + sys::SysErrorMessage(GetLastError()));
        }
    }
    // A visible window of no size: it carries the task-bar button and owns the forms.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExW(0, L"Tallyvo.Application", title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                              nullptr, nullptr, instance, nullptr);
    if (!handle_) throw sys::Exception(L"CreateWindowEx(Tallyvo.Application): " + sys::SysErrorMessage(GetLastError()));
}

HWND TApplication::Handle() {
    if (!handle_) CreateHandle();
    return handle_;
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (handle_) SetWindowTextW(handle_, title_.c_str());
}

LRESULT CALLBACK TApplication::AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_CLOSE) {
            if (Application.MainForm()) Application.MainForm()->Close();
            return 0;
        }
        if (msg == WM_SIZE && wParam == SIZE_MINIMIZED) Application.HideOwnedWindows();
        if (msg == WM_SIZE && wParam == SIZE_RESTORED) Application.ShowOwnedWindows();
    } catch (const std::exception& error) {
        HandleWindowException(error);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

namespace {

struct OwnedWindows {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwnedVisibleWindow(HWND window, LPARAM data) {
    auto* list = reinterpret_cast<OwnedWindows*>(data);
    if (GetWindow(window, GW_OWNER) == list->owner && IsWindowVisible(window)) list->found.push_back(window);
    return TRUE;
}

}  // namespace

void TApplication::HideOwnedWindows() {
    OwnedWindows list{handle_, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwnedVisibleWindow, reinterpret_cast<LPARAM>(&list));
    for (HWND window : list.found) ShowWindow(window, SW_HIDE);
    hiddenWindows_.insert(hiddenWindows_.end(), list.found.begin(), list.found.end());
}

void TApplication::ShowOwnedWindows() {
    std::vector<HWND> windows = std::move(hiddenWindows_);
    hiddenWindows_.clear();
    for (HWND window : windows) {
        if (IsWindow(window)) ShowWindow(window, SW_SHOWNA);
    }
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    FreeDeviceContexts();
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) {
        FreeDeviceContexts();
        WaitMessage();
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::Run() {
    if (mainForm_) {
        // The first picture before anything it does not need: the form paints at once, and
        // only then come the task-bar window and what the form's show handler left queued.
        mainForm_->Show();
        RedrawWindow(mainForm_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }
    while (!terminated_) HandleMessage();
}

void TApplication::Minimize() {
    if (handle_) ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
    if (handle_) ShowWindow(handle_, SW_RESTORE);
}

}  // namespace gui
