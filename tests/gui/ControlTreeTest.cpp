#include "GuiTestSupport.h"

#include "gui/Controls.h"
#include "gui/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace gui;
using guitest::Pump;
using guitest::SendMouse;

namespace {

// A windowless control that paints a solid colour and logs what reaches it.
class Probe : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    TColor fill = clRed;
    std::vector<std::string> log;

protected:
    void Paint() override {
        Canvas().Brush.SetColor(fill);
        Canvas().FillRect(ClientRect());
    }
    void MouseEnter() override {
        log.push_back("enter");
        TGraphicControl::MouseEnter();
    }
    void MouseLeave() override {
        log.push_back("leave");
        TGraphicControl::MouseLeave();
    }
    void Click() override { log.push_back("click"); }
    void DblClick() override { log.push_back("dblclick"); }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        log.push_back((shift & ssDouble ? "down2@" : "down@") + std::to_string(x) + "," + std::to_string(y));
        TGraphicControl::MouseDown(button, shift, x, y);
    }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override {
        log.push_back("up@" + std::to_string(x) + "," + std::to_string(y));
    }
    void EnabledChanged() override { log.push_back(Enabled() ? "enabled" : "disabled"); }
};

class ControlTree : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(200, 100);
        form->SetColor(clWhite);
        probe = New<Probe>(form);
        probe->SetParent(form);
        probe->SetBounds(50, 20, 40, 30);
        form->Show();
        Pump();
        probe->log.clear();
    }
    void TearDown() override {
        SetMouseControl(nullptr);
        Application.FreeComponent(form);
        Pump();
    }
    HWND Window() { return form->Handle(); }
    TForm* form = nullptr;
    Probe* probe = nullptr;
};

std::string Joined(const std::vector<std::string>& log) {
    std::string s;
    for (const auto& e : log) s += (s.empty() ? "" : " ") + e;
    return s;
}

}  // namespace

TEST_F(ControlTree, WindowlessChildPaintsThroughItsParentAtItsPlace) {
    EXPECT_EQ(guitest::PrintedPixel(*form, 50, 20), RGB(255, 0, 0));
    EXPECT_EQ(guitest::PrintedPixel(*form, 89, 49), RGB(255, 0, 0));
    EXPECT_EQ(guitest::PrintedPixel(*form, 90, 50), RGB(255, 255, 255));
    EXPECT_EQ(guitest::PrintedPixel(*form, 49, 20), RGB(255, 255, 255));
    probe->Hide();
    EXPECT_EQ(guitest::PrintedPixel(*form, 60, 30), RGB(255, 255, 255));
}

TEST_F(ControlTree, DoubleBufferedParentPaintsTheSameIntoAGivenDc) {
    form->SetDoubleBuffered(true);
    DibSection dib(200, 100, 32);
    // What a transparent child does to capture its parent: erase, then paint, into its own DC.
    SendMessageW(Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.Dc()), reinterpret_cast<LPARAM>(dib.Dc()));
    SendMessageW(Window(), WM_PAINT, reinterpret_cast<WPARAM>(dib.Dc()), 0);
    EXPECT_EQ(dib.PixelAt(10, 10), RGB(255, 255, 255));
    EXPECT_EQ(dib.PixelAt(60, 30), RGB(255, 0, 0));
}

TEST_F(ControlTree, MouseEnterAndLeaveReachAWindowlessControl) {
    SendMouse(Window(), WM_MOUSEMOVE, 10, 10);
    EXPECT_EQ(MouseControl(), form);
    SendMouse(Window(), WM_MOUSEMOVE, 60, 30);
    SendMouse(Window(), WM_MOUSEMOVE, 61, 31);
    EXPECT_TRUE(probe->MouseInControl());
    SendMouse(Window(), WM_MOUSEMOVE, 10, 10);
    SendMouse(Window(), WM_MOUSEMOVE, 60, 30);
    SendMessageW(Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Joined(probe->log), "enter leave enter leave");
    EXPECT_EQ(MouseControl(), nullptr);
}

TEST_F(ControlTree, PressAndReleaseInsideClicksOnceInLocalCoordinates) {
    SendMouse(Window(), WM_LBUTTONDOWN, 55, 25, MK_LBUTTON);
    EXPECT_TRUE(probe->MouseCapture());
    SendMouse(Window(), WM_LBUTTONUP, 56, 26);
    EXPECT_FALSE(probe->MouseCapture());
    EXPECT_EQ(Joined(probe->log), "down@5,5 click up@6,6");
}

TEST_F(ControlTree, ReleaseOutsideAfterCapturedPressDoesNotClick) {
    SendMouse(Window(), WM_MOUSEMOVE, 55, 25);
    SendMouse(Window(), WM_LBUTTONDOWN, 55, 25, MK_LBUTTON);
    SendMouse(Window(), WM_MOUSEMOVE, 150, 80, MK_LBUTTON);
    SendMouse(Window(), WM_LBUTTONUP, 150, 80);
    EXPECT_EQ(Joined(probe->log), "enter down@5,5 leave up@100,60") << "the captured control keeps getting the input";
}

TEST_F(ControlTree, APressWhoseCaptureIsTakenAwayIsNoClick) {
    // A handler that starts a window drag releases the capture first.
    probe->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { ReleaseCapture(); };
    SendMouse(Window(), WM_LBUTTONDOWN, 55, 25, MK_LBUTTON);
    EXPECT_FALSE(probe->MouseCapture());
    SendMouse(Window(), WM_LBUTTONUP, 55, 25);
    EXPECT_EQ(Joined(probe->log), "down@5,5 up@5,5");
}

TEST_F(ControlTree, DoubleClickFiresOneClickThenOneDblClick) {
    SendMouse(Window(), WM_LBUTTONDOWN, 55, 25, MK_LBUTTON);
    SendMouse(Window(), WM_LBUTTONUP, 55, 25);
    SendMouse(Window(), WM_LBUTTONDBLCLK, 55, 25, MK_LBUTTON);
    SendMouse(Window(), WM_LBUTTONUP, 55, 25);
    EXPECT_EQ(Joined(probe->log), "down@5,5 click up@5,5 dblclick down2@5,5 up@5,5");
}

TEST_F(ControlTree, WithoutDoubleClicksTheSecondPressIsAPlainPress) {
    probe->SetControlStyle(probe->ControlStyle() & ~csDoubleClicks);
    SendMouse(Window(), WM_LBUTTONDBLCLK, 55, 25, MK_LBUTTON);
    SendMouse(Window(), WM_LBUTTONUP, 55, 25);
    EXPECT_EQ(Joined(probe->log), "down@5,5 click up@5,5");
}

TEST_F(ControlTree, DisabledWindowlessControlGetsNoMouseButItsParentDoes) {
    int formDowns = 0;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
    probe->SetEnabled(false);
    SendMouse(Window(), WM_LBUTTONDOWN, 55, 25, MK_LBUTTON);
    SendMouse(Window(), WM_LBUTTONUP, 55, 25);
    EXPECT_EQ(Joined(probe->log), "disabled");
    EXPECT_EQ(formDowns, 1);
}

TEST_F(ControlTree, EnabledIsEffectiveOnlyWhenEveryAncestorIsEnabled) {
    auto* outer = New<TCustomControl>(form);
    outer->SetParent(form);
    auto* inner = New<TCustomControl>(form);
    inner->SetParent(outer);
    auto* leaf = New<Probe>(form);
    leaf->SetParent(inner);
    EXPECT_TRUE(leaf->EffectivelyEnabled());
    outer->SetEnabled(false);
    EXPECT_TRUE(leaf->Enabled());
    EXPECT_FALSE(leaf->EffectivelyEnabled());
    EXPECT_FALSE(inner->CanFocus());
    EXPECT_FALSE(IsWindowEnabled(outer->Handle()));
    outer->SetEnabled(true);
    EXPECT_TRUE(leaf->EffectivelyEnabled());
    EXPECT_TRUE(leaf->log.empty()) << "an ancestor's change is not the child's own notification";
}

TEST_F(ControlTree, WindowlessCoordinatesMapThroughTheParentWindow) {
    POINT p = probe->ClientToScreen(POINT{3, 3});
    EXPECT_EQ(p.x, form->Left() + 53);
    EXPECT_EQ(form->ScreenToClient(p).y, 23);
}

TEST_F(ControlTree, ParentFontFollowsUntilTheChildSetsItsOwn) {
    form->Font().SetName(L"Tahoma");
    EXPECT_EQ(probe->Font().Name(), L"Tahoma");
    probe->Font().SetHeight(-20);
    form->Font().SetName(L"Arial");
    EXPECT_EQ(probe->Font().Name(), L"Tahoma");
    EXPECT_FALSE(probe->ParentFont());
}

TEST_F(ControlTree, FreeingAComponentTellsItsWatchers) {
    class Watcher : public TComponent {
    public:
        using TComponent::TComponent;
        TComponent* gone = nullptr;

    protected:
        void Notification(TComponent* c, TOperation op) override {
            if (op == opRemove) gone = c;
        }
    } watcher(nullptr);
    probe->FreeNotification(&watcher);
    Probe* freed = probe;
    form->FreeComponent(probe);
    probe = nullptr;
    EXPECT_EQ(watcher.gone, freed);
    EXPECT_EQ(form->ControlCount(), 0u) << "a freed control leaves its parent";
}

TEST_F(ControlTree, ScreenPaintOfADoubleBufferedWindowShowsBackgroundAndChildren) {
    form->SetDoubleBuffered(true);
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    form->Repaint();
    probe->fill = clBlue;
    probe->Repaint();
    DibSection shot(200, 100, 32);
    WindowDc screen(Window());
    BitBlt(shot.Dc(), 0, 0, 200, 100, screen.Get(), 0, 0, SRCCOPY);
    EXPECT_EQ(shot.PixelAt(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(shot.PixelAt(60, 30), RGB(0, 0, 255));
}

namespace {

// A windowed child that shows its parent through itself by having the parent paint into a
// buffer shifted to the child's place, as a transparent panel does.
class Glass : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        DibSection buffer(Width(), Height(), 32);
        SetViewportOrgEx(buffer.Dc(), -Left(), -Top(), nullptr);
        HWND parent = Parent()->Handle();
        SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer.Dc()), reinterpret_cast<LPARAM>(buffer.Dc()));
        SendMessageW(parent, WM_PAINT, reinterpret_cast<WPARAM>(buffer.Dc()), 0);
        SetViewportOrgEx(buffer.Dc(), 0, 0, nullptr);
        BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), buffer.Dc(), 0, 0, SRCCOPY);
    }
};

}  // namespace

TEST_F(ControlTree, AChildCapturesWhatItsParentPaintsBeneathIt) {
    form->SetDoubleBuffered(true);
    auto* glass = New<Glass>(form);
    glass->SetParent(form);
    glass->SetBounds(40, 10, 60, 40);
    EXPECT_EQ(guitest::PrintedPixel(*glass, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(guitest::PrintedPixel(*glass, 10, 10), RGB(255, 0, 0)) << "the windowless probe at 50,20 of the form";
    EXPECT_EQ(guitest::PrintedPixel(*glass, 49, 39), RGB(255, 0, 0));
    EXPECT_EQ(guitest::PrintedPixel(*glass, 50, 39), RGB(255, 255, 255));
}
