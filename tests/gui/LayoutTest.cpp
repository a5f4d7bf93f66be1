#include "GuiTestSupport.h"

#include "gui/WinControl.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

RECT BoundsOf(const TControl& c) { return c.BoundsRect(); }

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_BOUNDS(control, l, t, w, h) \
    EXPECT_TRUE(Same(BoundsOf(control), Bounds(l, t, w, h))) \
        << #control << " is " << BoundsOf(control).left << "," << BoundsOf(control).top << " " \
        << RectWidth(BoundsOf(control)) << "x" << RectHeight(BoundsOf(control))

// A container without a window: alignment is the framework's arithmetic, not the window's.
class Layout : public ::testing::Test {
protected:
    TComponent owner{nullptr};
    TWinControl* parent = New<TWinControl>(&owner);
    template <class T = TGraphicControl>
    T* Child(int l, int t, int w, int h, TAlign align = alNone) {
        T* c = New<T>(&owner);
        c->SetBounds(l, t, w, h);
        c->SetParent(parent);
        c->SetAlign(align);
        return c;
    }
    void SetUp() override { parent->SetBounds(0, 0, 620, 416); }
};

}  // namespace

TEST_F(Layout, TopBottomAndClientShareTheAreaInThatOrder) {
    auto* client = Child(0, 0, 10, 10, alClient);
    auto* bottom = Child(0, 0, 10, 41, alBottom);
    auto* top = Child(0, 0, 10, 35, alTop);
    EXPECT_BOUNDS(*top, 0, 0, 620, 35);
    EXPECT_BOUNDS(*bottom, 0, 375, 620, 41);
    EXPECT_BOUNDS(*client, 0, 35, 620, 340);
    parent->SetBounds(0, 0, 300, 200);
    EXPECT_BOUNDS(*bottom, 0, 159, 300, 41);
    EXPECT_BOUNDS(*client, 0, 35, 300, 124);
}

TEST_F(Layout, TwoTopAlignedKeepTheirOrderAndHiddenOnesTakeNoSpace) {
    auto* second = Child(0, 100, 10, 20, alTop);
    auto* first = Child(0, 0, 10, 30, alTop);
    EXPECT_BOUNDS(*first, 0, 0, 620, 30);
    EXPECT_BOUNDS(*second, 0, 30, 620, 20);
    first->Hide();
    EXPECT_BOUNDS(*second, 0, 0, 620, 20);
}

TEST_F(Layout, RightAlignedButtonsStackFromTheRightEdgeAndCloseUpWhenOneHides) {
    parent->SetBounds(539, 0, 81, 27);
    auto* small = Child(21, 0, 30, 27, alRight);
    auto* close = Child(51, 0, 30, 27, alRight);
    EXPECT_BOUNDS(*close, 51, 0, 30, 27);
    EXPECT_BOUNDS(*small, 21, 0, 30, 27);
    close->Hide();
    EXPECT_BOUNDS(*small, 51, 0, 30, 27);
    close->Show();
    EXPECT_BOUNDS(*close, 51, 0, 30, 27) << "shown again, it takes back the place it asks for";
    EXPECT_BOUNDS(*small, 21, 0, 30, 27);
}

TEST_F(Layout, WhileAlignIsDisabledTheStoredPlacesDecideTheOrder) {
    parent->DisableAlign();
    auto* second = Child(0, 35, 10, 20, alTop);
    auto* first = Child(0, 0, 10, 35, alTop);
    parent->EnableAlign();
    EXPECT_BOUNDS(*first, 0, 0, 620, 35);
    EXPECT_BOUNDS(*second, 0, 35, 620, 20);
}

TEST_F(Layout, LeftAndRightLeaveTheMiddleToTheClient) {
    auto* left = Child(0, 0, 100, 5, alLeft);
    auto* right = Child(0, 0, 50, 5, alRight);
    auto* client = Child(0, 0, 5, 5, alClient);
    EXPECT_BOUNDS(*left, 0, 0, 100, 416);
    EXPECT_BOUNDS(*right, 570, 0, 50, 416);
    EXPECT_BOUNDS(*client, 100, 0, 470, 416);
}

TEST_F(Layout, AnchorsMoveOrStretchWithTheParent) {
    auto* all = Child(1, 1, 618, 414);
    all->SetAnchors(akLeft | akTop | akRight | akBottom);
    auto* topRight = Child(589, 4, 26, 26);
    topRight->SetAnchors(akTop | akRight);
    auto* fixed = Child(10, 10, 5, 5);
    auto* bottomOnly = Child(10, 400, 5, 5);
    bottomOnly->SetAnchors(akLeft | akBottom);
    parent->SetBounds(0, 0, 300, 200);
    EXPECT_BOUNDS(*all, 1, 1, 298, 198);
    EXPECT_BOUNDS(*topRight, 269, 4, 26, 26);
    EXPECT_BOUNDS(*fixed, 10, 10, 5, 5);
    EXPECT_BOUNDS(*bottomOnly, 10, 184, 5, 5);
    parent->SetBounds(0, 0, 620, 416);
    EXPECT_BOUNDS(*all, 1, 1, 618, 414) << "back to the first size, back to the first place";
}

TEST_F(Layout, WindowedChildrenAreAlignedAndMovedAsWindows) {
    auto* form = guitest::MakeForm(400, 300);
    auto* panel = New<TCustomControl>(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 10, 50);
    panel->SetAlign(alBottom);
    form->HandleNeeded();
    RECT r;
    GetWindowRect(panel->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(Same(r, Bounds(0, 250, 400, 50)));
    MoveWindow(form->Handle(), 40, 40, 300, 200, FALSE);
    EXPECT_EQ(form->Width(), 300) << "the size the window got is the form's size";
    EXPECT_BOUNDS(*panel, 0, 150, 300, 50);
    Application.FreeComponent(form);
}
