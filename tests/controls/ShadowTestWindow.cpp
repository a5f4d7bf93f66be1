// The shadow window against real top-level windows: placement, z-order, following the form,
// timers, click-through, and letting go of the form.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "controls/f_ShadowFrame.h"
#include "gui/Forms.h"
#include "sys/SysUtils.h"

namespace {

constexpr COLORREF kFormFill = RGB(30, 160, 90);
// Down in a corner of the screen, away from the windows of tests running beside these.
constexpr int kFormX = 960;
constexpr int kFormY = 720;
constexpr COLORREF kRepaintFill = RGB(220, 30, 30);

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Pump(10);
    }
    return true;
}

RECT RectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// The next window below that is on screen (hidden helper windows sit anywhere in the z-order).
HWND VisibleBelow(HWND hwnd) {
    HWND w = GetWindow(hwnd, GW_HWNDNEXT);
    while (w && !IsWindowVisible(w)) w = GetWindow(w, GW_HWNDNEXT);
    return w;
}

RECT Grown(RECT r, int by, int shift = 0) {
    return RECT{r.left - by + shift, r.top - by + shift, r.right + by + shift, r.bottom + by + shift};
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
    if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom
                                         << ") != (" << b.left << "," << b.top << "," << b.right << "," << b.bottom
                                         << ")";
}

// A plain borderless top-level window in one colour, counting the position changes it sees.
class TTestForm {
public:
    TTestForm(int x, int y, int w, int h, COLORREF fill = kFormFill) : fill_(fill) {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &TTestForm::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ShadowTestForm";
            return RegisterClassExW(&wc);
        }();
        (void)atom;
        hwnd_ = CreateWindowExW(0, L"ShadowTestForm", L"form", WS_POPUP, x, y, w, h, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
        ShowWindow(hwnd_, SW_SHOWNA);
        UpdateWindow(hwnd_);
    }
    ~TTestForm() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    TTestForm(const TTestForm&) = delete;
    TTestForm& operator=(const TTestForm&) = delete;

    HWND Handle() const { return hwnd_; }
    int PositionChanges() const { return changes_; }
    void Repaint(COLORREF fill) {
        fill_ = fill;
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<TTestForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_WINDOWPOSCHANGED && self) ++self->changes_;
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(self ? self->fill_ : kFormFill);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    COLORREF fill_;
    HWND hwnd_ = nullptr;
    int changes_ = 0;
};

// Counts what reaches the layered window, so a test can tell a re-render from a reposition.
class TCountingShadow : public TFormShadow {
public:
    int updates = 0;
    DWORD lastUpdate = 0;
    bool failBuilds = false;
    bool belowFormWhenPlaced = false;

protected:
    // Runs right after each placement that follows a build.
    void _StartSnapshotTimer() override {
        belowFormWhenPlaced = VisibleBelow(Form()) == Handle();
        TFormShadow::_StartSnapshotTimer();
    }
    void _UpdateLayered() override {
        ++updates;
        lastUpdate = GetTickCount();
        TFormShadow::_UpdateLayered();
    }
    void _BuildRectangleShadow(int width, int height) override {
        if (failBuilds) throw sys::Exception(L"build refused");
        TFormShadow::_BuildRectangleShadow(width, height);
    }
};

class ShadowWindow : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TTestForm>(kFormX, kFormY, 240, 160);
        shadow = std::make_unique<TCountingShadow>();
        shadow->SetForm(form->Handle());
    }
    // Switches the shadow on and waits for the first build and the snapshot after it.
    void Activate() {
        shadow->SetActive(true);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(Shadow()) && shadow->updates >= 2; }, 3000));
    }
    // For tests that read the screen or hit-test it: a spot of their own, since the other tests
    // of this suite run beside them at kFormX, kFormY. Windows made before this lie beneath.
    void MoveFixtureTo(int x, int y) {
        shadow.reset();
        form = std::make_unique<TTestForm>(x, y, 240, 160);
        shadow = std::make_unique<TCountingShadow>();
        shadow->SetForm(Form());
    }
    HWND Shadow() const { return shadow->Handle(); }
    HWND Form() const { return form->Handle(); }

    std::unique_ptr<TTestForm> form;
    std::unique_ptr<TCountingShadow> shadow;
};

}  // namespace

TEST_F(ShadowWindow, IsAHiddenClickThroughToolWindowThatNeverActivates) {
    HWND h = Shadow();
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS), WS_POPUP);
    const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    for (LONG_PTR bit : {LONG_PTR{WS_EX_NOACTIVATE}, LONG_PTR{WS_EX_LAYERED}, LONG_PTR{WS_EX_TOOLWINDOW},
                         LONG_PTR{WS_EX_TRANSPARENT}})
        EXPECT_TRUE(ex & bit) << std::hex << bit;
    EXPECT_FALSE(ex & WS_EX_APPWINDOW) << "no task-bar button";
    EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
    EXPECT_EQ(GetAncestor(h, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetClassLongPtrW(h, GCL_STYLE), static_cast<ULONG_PTR>(CS_OWNDC | CS_DBLCLKS));
    EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageW(h, WM_ERASEBKGND, 0, 0), 1);

    Activate();
    EXPECT_EQ(SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    // Even when activated on purpose, the shadow passes activation on to its form.
    SetForegroundWindow(h);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == Form(); }, 2000));
    EXPECT_NE(GetActiveWindow(), h);
}

TEST_F(ShadowWindow, ActivationPlacesItDirectlyBelowTheFormThenTakesASnapshot) {
    const DWORD asked = GetTickCount();
    shadow->SetActive(true);
    EXPECT_FALSE(IsWindowVisible(Shadow())) << "nothing happens before the activation delay";
    ASSERT_TRUE(PumpUntil([&] { return shadow->updates >= 1; }, 2000));
    const DWORD built = shadow->lastUpdate;
    EXPECT_GE(built - asked, 15u);
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));
    EXPECT_TRUE(shadow->belowFormWhenPlaced);
    ASSERT_EQ(shadow->Picture().Width(), 240 + 32);
    ASSERT_EQ(shadow->Picture().Height(), 160 + 32);

    ASSERT_TRUE(PumpUntil([&] { return shadow->updates >= 2; }, 2000));
    EXPECT_GE(shadow->lastUpdate - built, 180u) << "the snapshot follows a build after 200 ms";
    const shadow::TPixelView pic = shadow::PixelsOf(shadow->Picture());
    const std::uint32_t inside = pic.At(16 + 120, 16 + 80);
    EXPECT_EQ(shadow::AlphaOf(inside), 255);
    EXPECT_EQ(shadow::RedOf(inside), GetRValue(kFormFill));
    EXPECT_EQ(shadow::GreenOf(inside), GetGValue(kFormFill));
    const std::uint32_t band = pic.At(14, 96);
    EXPECT_GT(shadow::AlphaOf(band), 0);
    EXPECT_EQ(shadow::AlphaOf(pic.At(0, 0)), 0);
    Pump(400);
    EXPECT_EQ(shadow->updates, 2) << "no further renders while nothing changes";
}

// What a person sees: the form in front, live, with its shadow only around it. (Wine blends a
// layered window into a still picture, so a shadow in front of the form would freeze it.)
TEST_F(ShadowWindow, TheLiveFormStaysInFrontOfItsShadowOnScreen) {
    constexpr int x = 980, y = 80;
    TTestForm backdrop(x - 60, y - 60, 360, 300, RGB(255, 255, 255));
    MoveFixtureTo(x, y);
    Activate();
    Pump(100);
    form->Repaint(kRepaintFill);
    Pump(100);
    HDC screen = GetDC(nullptr);
    const COLORREF centre = GetPixel(screen, x + 120, y + 80);
    const COLORREF fringe = GetPixel(screen, x + 120, y + 160 + 1);
    const COLORREF outside = GetPixel(screen, x + 120, y + 160 + 40);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(centre, kRepaintFill);
    EXPECT_LT(GetRValue(fringe) + GetGValue(fringe) + GetBValue(fringe),
              GetRValue(outside) + GetGValue(outside) + GetBValue(outside))
        << "just below the form the shadow darkens what lies beneath";
}

TEST_F(ShadowWindow, MovingTheFormOnlyRepositionsTheShadow) {
    Activate();
    const int renders = shadow->updates;
    SetWindowPos(Form(), nullptr, kFormX + 50, kFormY + 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), RECT{kFormX + 34, kFormY + 24, kFormX + 34 + 272, kFormY + 24 + 192}));
    MoveWindow(Form(), kFormX - 120, kFormY - 90, 240, 160, TRUE);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    EXPECT_EQ(VisibleBelow(Form()), Shadow());
    Pump(400);
    EXPECT_EQ(shadow->updates, renders) << "a pure move must not re-render";
}

// Wine without a window manager reorders windows later on, from its own X stacking, so the
// z-order is checked straight after the call that places the shadow.
TEST_F(ShadowWindow, ActivatingTheFormBringsTheShadowBackDirectlyBelowIt) {
    TTestForm other(kFormX - 60, kFormY - 60, 300, 250);
    Activate();
    // Another window, active first, slips in between the form and its shadow; activating the
    // form puts that right.
    SetActiveWindow(other.Handle());
    SetWindowPos(other.Handle(), Form(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(VisibleBelow(Form()), other.Handle());
    SetActiveWindow(Form());
    ASSERT_EQ(GetActiveWindow(), Form());
    EXPECT_EQ(VisibleBelow(Form()), Shadow());
    EXPECT_EQ(VisibleBelow(Shadow()), other.Handle());

}

TEST_F(ShadowWindow, ResizingTheFormRebuildsAtTheNewSize) {
    Activate();
    int renders = shadow->updates;
    SetWindowPos(Form(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_GT(shadow->updates, renders);
    EXPECT_EQ(shadow->Picture().Width(), 332);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));

    renders = shadow->updates;
    SetWindowPos(Form(), nullptr, 0, 0, 100, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_GT(shadow->updates, renders);
    EXPECT_EQ(shadow->Picture().Height(), 122);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)))
        << "a shrinking form keeps its own position, not the zeros of a no-move change";
    EXPECT_TRUE(IsWindowVisible(Shadow()));
}

TEST_F(ShadowWindow, HidingAndShowingTheFormTakesTheShadowAlongAtOnce) {
    Activate();
    ShowWindow(Form(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    ShowWindow(Form(), SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    SetWindowPos(Form(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    SetWindowPos(Form(), nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));
}

TEST_F(ShadowWindow, MinimisedOrMaximisedFormHasNoShadowUntilRestored) {
    Activate();
    ShowWindow(Form(), SW_SHOWMINNOACTIVE);
    Pump(100);
    EXPECT_FALSE(IsWindowVisible(Shadow())) << "minimised";
    ShowWindow(Form(), SW_SHOWNOACTIVATE);
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(Shadow())) << "restored from minimised";
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));

    ShowWindow(Form(), SW_MAXIMIZE);
    Pump(100);
    EXPECT_FALSE(IsWindowVisible(Shadow())) << "maximised";
    ShowWindow(Form(), SW_SHOWNOACTIVATE);
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(Shadow())) << "restored from maximised";
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));
}

// The window beneath belongs to another thread: a hit-test answer alone would not pass clicks
// to it, so the shadow must be left out of hit-testing altogether.
TEST_F(ShadowWindow, ClicksOnTheShadowReachTheWindowBeneath) {
    constexpr int x = 980, y = 460;
    std::atomic<HWND> beneath{nullptr};
    std::atomic<int> clicks{0};
    std::atomic<bool> quit{false};
    std::thread other([&] {
        static std::atomic<int>* counter = nullptr;
        counter = &clicks;
        WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_LBUTTONDOWN) ++*counter;
            if (m == WM_MOUSEACTIVATE) return MA_NOACTIVATE;  // leave the keyboard to tests beside this one
            return DefWindowProcW(h, m, w, l);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ShadowTestBeneath";
        RegisterClassExW(&wc);
        HWND h = CreateWindowExW(0, L"ShadowTestBeneath", L"beneath", WS_POPUP | WS_VISIBLE, x - 80, y - 40, 360,
                                 260, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        beneath = h;
        while (!quit) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        DestroyWindow(h);
    });
    ASSERT_TRUE(PumpUntil([&] { return beneath.load() != nullptr; }, 2000));
    MoveFixtureTo(x, y);
    Activate();
    SetWindowPos(Form(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump(50);

    const POINT onShadow{x - 8, y + 80};
    EXPECT_EQ(WindowFromPoint(onShadow), beneath.load());
    SetCursorPos(onShadow.x, onShadow.y);
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return clicks.load() > 0; }, 2000));
    quit = true;
    other.join();
}

TEST_F(ShadowWindow, WatchdogHidesTheShadowOfAFormHiddenBehindItsBack) {
    Activate();
    const DWORD start = GetTickCount();
    // Clearing the style sends no position change, so only the watchdog can notice.
    SetWindowLongPtrW(Form(), GWL_STYLE, GetWindowLongPtrW(Form(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    ASSERT_FALSE(IsWindowVisible(Form()));
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Shadow()); }, 8000));
    EXPECT_GE(GetTickCount() - start, 3000u);
    EXPECT_FALSE(shadow->Tracking());
}

TEST_F(ShadowWindow, LettingGoOfTheFormInEveryWay) {
    Activate();
    // Detached: hidden, and the form's moves no longer reach it.
    shadow->SetForm(nullptr);
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    const RECT before = RectOf(Shadow());
    MoveWindow(Form(), kFormX - 50, kFormY - 60, 240, 160, TRUE);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), before));

    // Freed while the form lives: the form goes on working.
    shadow->SetForm(Form());
    Pump(50);
    const int seen = form->PositionChanges();
    shadow.reset();
    MoveWindow(Form(), kFormX - 70, kFormY - 80, 200, 150, TRUE);
    EXPECT_GT(form->PositionChanges(), seen);

    // The form destroyed first: the shadow hides and lets go; freeing it afterwards is safe.
    shadow = std::make_unique<TCountingShadow>();
    shadow->SetForm(Form());
    Activate();
    form.reset();
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    EXPECT_EQ(shadow->Form(), nullptr);
    shadow.reset();
}

TEST_F(ShadowWindow, AFailingShadowStepStillLetsTheFormHaveItsMessage) {
    Activate();
    shadow->failBuilds = true;
    const int seen = form->PositionChanges();
    SetWindowPos(Form(), nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_GT(form->PositionChanges(), seen);
    EXPECT_EQ(RectOf(Form()).right - RectOf(Form()).left, 120);
    shadow->failBuilds = false;
    SetWindowPos(Form(), nullptr, 0, 0, 130, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16)));
}

TEST_F(ShadowWindow, OffsetShiftsTheShadowAtOnceAndOnLaterMoves) {
    Activate();
    shadow->SetOffset(5);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16, 5)));
    SetWindowPos(Form(), nullptr, kFormX - 100, kFormY - 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(Form()), 16, 5)));
}

TEST_F(ShadowWindow, AFormWithAComplexRegionGetsAShadowOfItsOutline) {
    SetWindowRgn(Form(), CreateEllipticRgn(0, 0, 240, 160), TRUE);
    Activate();
    const shadow::TPixelView pic = shadow::PixelsOf(shadow->Picture());
    EXPECT_GT(shadow::AlphaOf(pic.At(16 + 120, 15)), 0) << "just above the ellipse's top";
    EXPECT_EQ(shadow::AlphaOf(pic.At(16 + 120, 8)), 0) << "beyond the blur";
    EXPECT_EQ(shadow::AlphaOf(pic.At(16 + 120, 16 + 80)), 255) << "inside: the snapshot of the form";
    EXPECT_EQ(pic.At(16 + 1, 16 + 1), 0u) << "the form's corner is outside the ellipse: no snapshot there";
}

// The framework's own form: hiding and showing it through the framework takes the shadow along,
// and freeing the form lets the shadow go.
TEST_F(ShadowWindow, FollowsAFrameworkFormThroughShowHideAndFree) {
    auto* frameworkForm = gui::New<gui::TForm>(&gui::Application);
    frameworkForm->SetBorderStyle(gui::bsNone);
    frameworkForm->SetBounds(kFormX - 400, kFormY - 300, 200, 120);
    frameworkForm->Show();
    shadow->SetForm(frameworkForm);
    EXPECT_TRUE(frameworkForm->DoubleBuffered());
    HWND handle = frameworkForm->Handle();
    ASSERT_EQ(shadow->Form(), handle);
    Activate();
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(handle), 16)));

    frameworkForm->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    frameworkForm->Show();
    EXPECT_TRUE(IsWindowVisible(Shadow()));
    EXPECT_TRUE(SameRect(RectOf(Shadow()), Grown(RectOf(handle), 16)));

    gui::Application.FreeComponent(frameworkForm);
    EXPECT_FALSE(IsWindowVisible(Shadow()));
    EXPECT_EQ(shadow->Form(), nullptr);
}
