#include "controls/f_ShadowFrame.h"

#include <exception>
#include <string>

#include "gui/Canvas.h"
#include "gui/Forms.h"
#include "gui/Timer.h"
#include "gui/WindowSubclass.h"
#include "controls/ShadowFrameSupport.h"
#include "sys/SysUtils.h"

namespace {

constexpr wchar_t kClassName[] = L"TFormShadow";
// The framework's notification, sent to a form's own window whenever its showing state changes.
constexpr UINT kShowingChanged = 0xB019;

constexpr UINT kPlaceFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;  // 0x17
constexpr UINT kMoveAndShowFlags = kPlaceFlags | SWP_SHOWWINDOW;                      // 0x57
constexpr UINT kFrameFlags = kPlaceFlags | SWP_FRAMECHANGED;                          // 0x37
constexpr int kMinimumPicture = 6;

constexpr UINT kActivationDelay = 20;
constexpr UINT kSnapshotDelay = 200;
constexpr UINT kWatchdogInterval = 5000;

// The shadow must never take the form down with it: framework errors raised while following the
// form end up in the debugger output and the form goes on without its shadow.
template <class F>
void Guarded(F&& step) noexcept {
    try {
        step();
    } catch (const sys::Exception& e) {
        shadow::DebugLine(sys::ToGbk(e.Message()));
    } catch (const std::exception& e) {
        shadow::DebugLine(e.what());
    } catch (...) {
        shadow::DebugLine("TFormShadow: unknown error");
    }
}

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

void RegisterShadowClass(WNDPROC proc) {
    static const bool registered = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_OWNDC | CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw sys::Exception(L"RegisterClassEx: " + sys::SysErrorMessage(GetLastError()));
        return true;
    }();
    (void)registered;
}

bool RunningOnWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// No visible window above the form other than its shadow.
bool IsTopVisible(HWND form, HWND shadow) {
    HWND above = GetWindow(form, GW_HWNDPREV);
    while (above && (above == shadow || !IsWindowVisible(above))) above = GetWindow(above, GW_HWNDPREV);
    return above == nullptr;
}

}  // namespace

// --- life ------------------------------------------------------------------------------------

TFormShadow::TFormShadow() {
    RegisterShadowClass(&TFormShadow::ShadowWndProc);
    const DWORD exStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    FHandle = CreateWindowExW(exStyle, kClassName, L"", WS_POPUP, -1000, 0, 0, 0, nullptr, nullptr,
                              ModuleInstance(), this);
    if (!FHandle) throw sys::Exception(L"CreateWindowEx: " + sys::SysErrorMessage(GetLastError()));
    FTimer = std::make_unique<gui::TTimer>(nullptr);
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this](gui::TObject*) { Guarded([this] { _OnTimer(); }); };
}

TFormShadow::~TFormShadow() {
    for (TPassGuard* guard = FPassGuards; guard; guard = guard->outer) guard->alive = false;
    FRegion.Reset();
    Guarded([this] { SetForm(nullptr); });
    _StopTimer();
    DestroyWindow(FHandle);
}

// --- public operations -------------------------------------------------------------------------

void TFormShadow::SetActive(bool on) {
    if (on == FWanted) return;
    FWanted = on;
    if (on) {
        _SetTimer(TTimerMode::tmActivation, kActivationDelay);
    } else {
        FActive = false;
        _StopTimer();
        ShowShadow(false);
    }
}

void TFormShadow::SetForm(HWND form) {
    if (form == FForm) return;
    if (form && !IsWindow(form)) throw sys::Exception(L"TFormShadow.SetForm: the handle is not a window");
    if (FForm) _Detach();
    if (form) _Attach(form);
    FRebuild = true;
    _FrameChanged(0);
}

void TFormShadow::SetForm(gui::TForm* form) {
    if (form) form->SetDoubleBuffered(true);
    SetForm(form ? form->Handle() : nullptr);
}

void TFormShadow::SetOffset(int offset) {
    if (offset == FOffset) return;
    FOffset = offset;
    _FrameChanged(0);
    // The frame change alone leaves an unmoved, unresized form's shadow where it was.
    if (FTracking && _FormShowing() && _PictureFitsForm()) {
        const RECT r = _FormRect();
        _PlaceAt(r.left, r.top);
    }
}

void TFormShadow::SetShadowColor(gui::TColor color) {
    if (color == FColor) return;
    FColor = color;
    _UpdateLayered();
}

void TFormShadow::SetBlurPasses(int passes) { FBlurPasses = passes; }

void TFormShadow::ShowShadow(bool show) {
    if (show && !FPicture.Valid()) return;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    HWND after = (FForm && IsWindow(FForm)) ? FForm : nullptr;
    if (!after) flags |= SWP_NOZORDER;
    SetWindowPos(FHandle, after, 0, 0, 0, 0, flags);
}

// --- attaching -----------------------------------------------------------------------------------

void TFormShadow::_Attach(HWND form) {
    if (!gui::SetWindowSubclass(form, &TFormShadow::FormSubclassProc, reinterpret_cast<UINT_PTR>(this),
                                reinterpret_cast<DWORD_PTR>(this)))
        throw sys::Exception(L"TFormShadow.SetForm: the window is not this thread's");
    FForm = form;
    FHooked = true;
    FSavedKeyColor = shadow::FormKeyColor(form);
    FTracking = true;
    const RECT r = _FormRect();
    SetWindowPos(FHandle, nullptr, r.left, r.top, gui::RectWidth(r), gui::RectHeight(r), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormShadow::_Detach() {
    // A detached shadow would otherwise stay on screen where the form last was.
    ShowShadow(false);
    if (FHooked) gui::RemoveWindowSubclass(FForm, &TFormShadow::FormSubclassProc, reinterpret_cast<UINT_PTR>(this));
    FHooked = false;
    FForm = nullptr;
    FTracking = false;
    _StopTimer();
}

void TFormShadow::_FrameChanged(UINT flags) {
    if (FForm && IsWindow(FForm)) SetWindowPos(FForm, nullptr, 0, 0, 0, 0, kFrameFlags | flags);
}

// --- the form's messages -------------------------------------------------------------------------

LRESULT CALLBACK TFormShadow::FormSubclassProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR refData) {
    auto* self = reinterpret_cast<TFormShadow*>(refData);
    return self->_HookWndProc(msg, wParam, lParam);
}

bool TFormShadow::_PassOn(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    TPassGuard guard;
    guard.outer = FPassGuards;
    FPassGuards = &guard;
    result = gui::DefSubclassProc(FForm, msg, wParam, lParam);
    if (!guard.alive) return false;
    FPassGuards = guard.outer;
    return true;
}

LRESULT TFormShadow::_FormDestroyed(UINT msg, WPARAM wParam, LPARAM lParam) {
    Guarded([this] { ShowShadow(false); });
    LRESULT result = 0;
    if (!_PassOn(msg, wParam, lParam, result)) return result;
    Guarded([this] { SetForm(nullptr); });
    return result;
}

// The shadow's work is done either before or after the message is passed on, never in place of
// passing it on, so a failing step cannot keep a message from the form.
LRESULT TFormShadow::_HookWndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (msg == WM_NCDESTROY) return _FormDestroyed(msg, wParam, lParam);
    if (!FActive) {
        _PassOn(msg, wParam, lParam, result);
        return result;
    }
    switch (msg) {
    case WM_DESTROY:
        Guarded([this] { ShowShadow(false); });
        _PassOn(msg, wParam, lParam, result);
        return result;
    case WM_SIZE:
        if (_FormShowing()) return _SizeHandler(wParam, lParam);
        Guarded([this] { ShowShadow(false); });
        _PassOn(msg, wParam, lParam, result);
        return result;
    case WM_ACTIVATE:
        if (!_PassOn(msg, wParam, lParam, result)) return result;
        // Activation lifts the form; bring the shadow back directly below it. A form that is
        // being minimised or hidden also gets this message, and must stay without a shadow.
        Guarded([this] {
            if (_FormShowing() && _FormStateNormal()) ShowShadow(true);
        });
        return result;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: {
        if (!_PassOn(msg, wParam, lParam, result)) return result;
        const WINDOWPOS pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
        Guarded([&] {
            if (!_FormShowing())
                ShowShadow(false);
            else if (msg == WM_WINDOWPOSCHANGING)
                _Changing(pos);
            else
                _Changed(pos);
        });
        return result;
    }
    case kShowingChanged:
        if (!_PassOn(msg, wParam, lParam, result)) return result;
        Guarded([this] { ShowShadow(_FormShowing()); });
        return result;
    default:
        _PassOn(msg, wParam, lParam, result);
        return result;
    }
}

LRESULT TFormShadow::_SizeHandler(WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!_PassOn(WM_SIZE, wParam, lParam, result)) return result;
    Guarded([this, wParam] {
        if (wParam == SIZE_RESTORED)
            ShowShadow(true);
        else if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED)
            ShowShadow(false);
    });
    return result;
}

void TFormShadow::_Changing(const WINDOWPOS& pos) {
    if (!_FormStateNormal() || (pos.flags & SWP_HIDEWINDOW)) {
        ShowShadow(false);
        return;
    }
    if (!pos.hwndInsertAfter && pos.cx == 0 && pos.cy == 0) {
        if (FPicture.Width() >= kMinimumPicture && FPicture.Height() >= kMinimumPicture) {
            ShowShadow(true);
            FTracking = true;
        }
        return;
    }
    // A form that shrinks would show its old, larger shadow around it until the change is done;
    // draw the smaller one in advance.
    const RECT r = _FormRect();
    const bool resizes = !(pos.flags & SWP_NOSIZE) && pos.cx > 0 && pos.cy > 0;
    if (!resizes || (pos.cx >= gui::RectWidth(r) && pos.cy >= gui::RectHeight(r))) return;
    _BuildRectangleShadow(pos.cx, pos.cy);
    const bool moves = !(pos.flags & SWP_NOMOVE);
    _PlaceAt(moves ? pos.x : r.left, moves ? pos.y : r.top);
    FShowFlags = 0;
    _StartSnapshotTimer();
    FTracking = true;
}

void TFormShadow::_Changed(const WINDOWPOS& pos) {
    // Minimised and maximised forms have no shadow, whatever the flags of the change say.
    if (!_FormStateNormal()) {
        ShowShadow(false);
        FShowFlags = 0;
        return;
    }
    const RECT r = _FormRect();
    if (!(pos.flags & SWP_NOMOVE) && _PictureFitsForm()) {
        FShowFlags |= pos.flags & SWP_HIDEWINDOW;
        if (!FShowFlags) FShowFlags = kMoveAndShowFlags;
        _PlaceAt(pos.x, pos.y);
        _ApplyShowFlags();
        FTracking = true;
    } else if (gui::RectWidth(r) != FLastWidth || gui::RectHeight(r) != FLastHeight) {
        _BuildForFormShape(gui::RectWidth(r), gui::RectHeight(r));
        FShowFlags |= pos.flags & SWP_HIDEWINDOW;
        if (!FShowFlags) FShowFlags |= pos.flags & SWP_SHOWWINDOW;
        _PlaceAt(r.left, r.top);
        _ApplyShowFlags();
        _KeepBelowForm();
        _StartSnapshotTimer();
        FTracking = true;
    } else if ((pos.flags & SWP_SHOWWINDOW) && _PictureFitsForm()) {
        // A form shown again without a move or resize gets its shadow back at once.
        ShowShadow(true);
        FTracking = true;
    }
    FShowFlags = 0;
}

void TFormShadow::_PlaceAt(int formLeft, int formTop) {
    SetWindowPos(FHandle, FForm, formLeft + FOffset - FGeometry.Margin, formTop + FOffset - FGeometry.Margin,
                 FPicture.Width(), FPicture.Height(), SWP_NOACTIVATE);
}

void TFormShadow::_ApplyShowFlags() {
    UINT flags = FShowFlags | kPlaceFlags;
    if (!FPicture.Valid()) flags &= ~SWP_SHOWWINDOW;
    SetWindowPos(FHandle, FForm, 0, 0, 0, 0, flags);
}

// --- timers ----------------------------------------------------------------------------------------

void TFormShadow::_SetTimer(TTimerMode mode, UINT interval) {
    FTimerMode = mode;
    // Set anew, the countdown starts again.
    FTimer->SetEnabled(false);
    FTimer->SetInterval(interval);
    FTimer->SetEnabled(true);
}

void TFormShadow::_StopTimer() {
    FTimerMode = TTimerMode::tmOff;
    FTimer->SetEnabled(false);
}

void TFormShadow::_OnTimer() {
    switch (FTimerMode) {
    case TTimerMode::tmActivation: _ActivationTimer(); break;
    case TTimerMode::tmSnapshot: _SnapshotTimer(); break;
    case TTimerMode::tmWatchdog: _WatchdogTimer(); break;
    case TTimerMode::tmOff: FTimer->SetEnabled(false); break;
    }
}

void TFormShadow::_ActivationTimer() {
    _StopTimer();
    FActive = FWanted;
    Guarded([this] {
        if (_FormShowing()) _FrameChanged(FActive ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    });
    _StartSnapshotTimer();
}

void TFormShadow::_StartSnapshotTimer() { _SetTimer(TTimerMode::tmSnapshot, kSnapshotDelay); }

void TFormShadow::_SnapshotTimer() {
    _StopTimer();
    Guarded([this] {
        _CaptureForm();
        _KeepBelowForm();
    });
    _SetTimer(TTimerMode::tmWatchdog, kWatchdogInterval);
}

void TFormShadow::_WatchdogTimer() {
    try {
        if (!FTracking || !FForm) return;
        if (!IsWindow(FForm) || !IsWindowVisible(FForm)) {
            ShowShadow(false);
            FTracking = false;
        } else {
            _KeepBelowForm();
        }
    } catch (...) {
        _StopTimer();
    }
}

// Wine's X11 driver only ever raises X windows, and makes the shadow's X window anew on top when
// it first becomes layered; as it also blends layered windows itself, the shadow then covers the
// form with a still picture. Lifting the shadow and then the form to the top (a real z-order
// change, so the driver raises the form's X window too) puts the form back in front.
void TFormShadow::_KeepBelowForm() {
    if (!IsWindowVisible(FHandle) || !_FormShowing()) return;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (RunningOnWine() && IsTopVisible(FForm, FHandle)) {
        const bool active = FActive;
        FActive = false;
        SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, flags);
        SetWindowPos(FForm, HWND_TOP, 0, 0, 0, 0, flags);
        FActive = active;
    }
    if (GetWindow(FForm, GW_HWNDNEXT) != FHandle) SetWindowPos(FHandle, FForm, 0, 0, 0, 0, flags);
}

// --- the shadow's own window ---------------------------------------------------------------------

LRESULT CALLBACK TFormShadow::ShadowWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TFormShadow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->_ShadowMessage(hwnd, msg, wParam, lParam);
}

LRESULT TFormShadow::_ShadowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ACTIVATE:
        // Wine may hand activation to any visible window when another program's window closes,
        // WS_EX_NOACTIVATE or not; the shadow passes it on to its form.
        if (LOWORD(wParam) != WA_INACTIVE && _FormShowing()) SetForegroundWindow(FForm);
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// --- queries -----------------------------------------------------------------------------------------

bool TFormShadow::_FormShowing() const { return FForm && IsWindowVisible(FForm); }

bool TFormShadow::_FormStateNormal() const { return FForm && !IsIconic(FForm) && !IsZoomed(FForm); }

RECT TFormShadow::_FormRect() const {
    RECT r{};
    if (FForm) GetWindowRect(FForm, &r);
    return r;
}

bool TFormShadow::_PictureFitsForm() const {
    const RECT r = _FormRect();
    const int grow = 2 * FGeometry.Margin;
    return FPicture.Width() == gui::RectWidth(r) + grow && FPicture.Height() == gui::RectHeight(r) + grow;
}
