// The speed button under real mouse and keyboard messages: pressing, groups, accelerators.
#include "SpeedButtonTestSupport.h"

using namespace gui;
using namespace speedbtntest;

namespace {

class ButtonInput : public ButtonForm {
protected:
    static void Key(TWinControl& c, UINT msg, WPARAM key) { SendMessageW(c.Handle(), msg, key, 0); }
};

}  // namespace

TEST_F(ButtonInput, ClicksOnlyWhenReleasedInsideAndIsDownOnlyWhileHeld) {
    TModalSpeedButton* b = AddButton(form, 10, 10);
    ShowForm();
    Mouse(*b, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_TRUE(b->Down());
    Mouse(*b, WM_MOUSEMOVE, 120, 10, MK_LBUTTON);
    Mouse(*b, WM_LBUTTONUP, 120, 10);
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(clicks.empty());

    PressAndRelease(*b);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_TRUE(b->Focused());  // a click takes the focus

    Mouse(*b, WM_RBUTTONDOWN, 10, 10, MK_RBUTTON);
    EXPECT_TRUE(b->Down());
    Mouse(*b, WM_RBUTTONUP, 10, 10);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(ButtonInput, DisabledButtonIgnoresMouseEnterAndLeave) {
    TModalSpeedButton* b = AddButton(form, 10, 10);
    int enters = 0, exits = 0;
    b->OnMouseEnter = [&](TObject*) { ++enters; };
    b->OnMouseExit = [&](TObject*) { ++exits; };
    ShowForm();
    b->SetEnabled(false);
    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    SendMessageW(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b->Hot());
    EXPECT_EQ(enters + exits, 0);

    b->SetEnabled(true);
    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    EXPECT_TRUE(b->Hot());
    SendMessageW(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b->Hot());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(ButtonInput, GroupKeepsOneButtonDownOnTheSameParent) {
    TModalSpeedButton* a = AddButton(form, 10, 10);
    TModalSpeedButton* b = AddButton(form, 80, 10);
    TModalSpeedButton* otherGroup = AddButton(form, 150, 10);
    auto* panel = New<TCustomControl>(form);
    panel->SetParent(form);
    panel->SetBounds(0, 60, 200, 60);
    TModalSpeedButton* otherParent = AddButton(panel, 10, 10);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    otherGroup->SetGroupIndex(2);
    otherParent->SetGroupIndex(1);
    ShowForm();
    otherGroup->SetDown(true);
    otherParent->SetDown(true);

    PressAndRelease(*a);
    EXPECT_TRUE(a->Down());
    PressAndRelease(*b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(otherGroup->Down());
    EXPECT_TRUE(otherParent->Down());

    PressAndRelease(*b);
    EXPECT_TRUE(b->Down()) << "without AllowAllUp a down button stays down";
    b->SetAllowAllUp(true);
    PressAndRelease(*b);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(clicks.size(), 4u);

    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
}

TEST_F(ButtonInput, SpaceAndEnterClickAndHoldTheButtonDownTillTheKeyIsUp) {
    TModalSpeedButton* b = AddButton(form, 10, 10);
    ShowForm();
    b->SetFocus();
    for (WPARAM key : {VK_SPACE, VK_RETURN}) {
        const size_t before = clicks.size();
        Key(*b, WM_KEYDOWN, key);
        EXPECT_EQ(clicks.size(), before + 1) << key;
        EXPECT_TRUE(b->Down()) << key;
        Key(*b, WM_KEYUP, key);
        EXPECT_FALSE(b->Down()) << key;
    }
    Key(*b, WM_KEYDOWN, 'A');
    EXPECT_EQ(clicks.size(), 2u);

    // A key that the handler took is no press.
    b->OnKeyDown = [](TObject*, WORD& key, TShiftState) { key = 0; };
    Key(*b, WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(clicks.size(), 2u);
    EXPECT_FALSE(b->Down());
}

TEST_F(ButtonInput, KeyboardPressSelectsAGroupedButtonAsTheMouseDoes) {
    TModalSpeedButton* a = AddButton(form, 10, 10);
    TModalSpeedButton* b = AddButton(form, 80, 10);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    ShowForm();
    a->SetDown(true);
    b->SetFocus();
    Key(*b, WM_KEYDOWN, VK_SPACE);
    Key(*b, WM_KEYUP, VK_SPACE);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(ButtonInput, AltLetterClicksTheVisibleEnabledOwnerShownPressedMeanwhile) {
    TModalSpeedButton* yes = AddButton(form, 10, 10);
    yes->SetCaption(L"&Yes");
    TModalSpeedButton* no = AddButton(form, 80, 10);
    no->SetCaption(L"&No");
    TModalSpeedButton* hidden = AddButton(form, 150, 10);
    hidden->SetCaption(L"&Hidden");
    hidden->Hide();
    TModalSpeedButton* off = AddButton(form, 10, 60);
    off->SetCaption(L"&Off");
    off->SetEnabled(false);
    bool downDuringClick = false;
    yes->OnClick = [&](TObject* sender) {
        downDuringClick = yes->Down();
        clicks.push_back(sender);
    };
    ShowForm();
    no->SetFocus();

    Key(*no, WM_SYSCHAR, L'y');
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], yes);
    EXPECT_TRUE(downDuringClick);
    EXPECT_FALSE(yes->Down());
    EXPECT_TRUE(yes->Focused());

    Key(*yes, WM_SYSCHAR, L'x');
    Key(*yes, WM_SYSCHAR, L'h');
    Key(*yes, WM_SYSCHAR, L'o');
    EXPECT_EQ(clicks.size(), 1u);
    Key(*yes, WM_SYSCHAR, L'N');
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1], no);
}
