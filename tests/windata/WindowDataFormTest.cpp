// A form built from the window data compiled into this test executable (windata.rc).
#include "tests/windata/WindowDataTestClasses.h"

#include <gtest/gtest.h>

using windatatest::Tfrm_Test;

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) {
        gui::Application.ProcessMessages();
        Sleep(1);
    }
}

class WindowDataForm : public ::testing::Test {
protected:
    void SetUp() override { form = gui::NewForm<Tfrm_Test>(&gui::Application); }
    void TearDown() override { gui::Application.FreeComponent(form); }

    gui::TControl* Control(const wchar_t* name) { return dynamic_cast<gui::TControl*>(form->FindComponent(name)); }

    Tfrm_Test* form = nullptr;
};

RECT BoundsOf(const gui::TControl* control) { return control->BoundsRect(); }

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST_F(WindowDataForm, TreeIsBuiltInWrittenOrderWithFieldsBound) {
    EXPECT_EQ(form->Name(), L"frm_Test");
    ASSERT_TRUE(form->pnlTop && form->pnlBody && form->pnlSide && form->imgClose && form->labInfo);
    EXPECT_EQ(form->pnlTop->Parent(), form);
    EXPECT_EQ(form->imgClose->Parent(), form->pnlTop);
    EXPECT_EQ(form->pnlBody->Parent(), form);
    ASSERT_EQ(form->pnlBody->ControlCount(), 5u);
    const wchar_t* bodyOrder[] = {L"pnlSide", L"labInfo", L"edtA", L"edtB", L"edtC"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(form->pnlBody->Control(i)->Name(), bodyOrder[i]);
    for (size_t i = 0; i < form->ComponentCount(); ++i) EXPECT_EQ(form->Component(i)->Owner(), form);
}

TEST_F(WindowDataForm, OnCreateRunsOnceAfterTheTreeExists) {
    EXPECT_EQ(form->creates, 1);
    EXPECT_TRUE(form->treeReadyAtCreate);
}

TEST_F(WindowDataForm, BoundsAndAlignmentFollowTheData) {
    EXPECT_EQ(form->Left(), 100);
    EXPECT_EQ(form->Top(), 80);
    EXPECT_EQ(form->BorderStyle(), gui::bsNone);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->Width(), 300);  // borderless: the client size written before the border style still holds
    EXPECT_TRUE(SameRect(BoundsOf(form->pnlTop), gui::Bounds(0, 0, 300, 40)));
    EXPECT_TRUE(SameRect(BoundsOf(form->pnlBody), gui::Bounds(0, 40, 300, 160)));
    EXPECT_EQ(form->imgClose->Align(), gui::alRight);
    EXPECT_EQ(form->imgClose->Left(), 270);
    EXPECT_EQ(form->imgClose->Width(), 30);
    EXPECT_FALSE(form->pnlSide->Visible());
    form->pnlSide->Show();
    EXPECT_TRUE(SameRect(BoundsOf(form->pnlSide), gui::Bounds(250, 0, 50, 160)));
}

TEST_F(WindowDataForm, AnchorsMeasureFromTheWrittenBounds) {
    EXPECT_EQ(form->labInfo->Anchors(), gui::akRight | gui::akBottom);
    EXPECT_TRUE(SameRect(BoundsOf(form->labInfo), gui::Bounds(10, 20, 100, 19)));
    form->SetClientSize(400, 260);
    EXPECT_TRUE(SameRect(BoundsOf(form->labInfo), gui::Bounds(110, 80, 100, 19)));
}

TEST_F(WindowDataForm, TextsColoursCursorAndTag) {
    EXPECT_EQ(form->Caption(), L"frm_Test");
    EXPECT_EQ(form->labInfo->Caption(), L"保存路径：");
    EXPECT_EQ(form->labInfo->Hint(), L"it's");
    EXPECT_EQ(form->labInfo->Tag(), 7);
    EXPECT_EQ(form->Color(), gui::clBtnFace);
    EXPECT_EQ(form->pnlTop->Color(), gui::clWhite);
    EXPECT_EQ(form->imgClose->Cursor(), gui::crHandPoint);
}

TEST_F(WindowDataForm, FontsAreSetOrInheritedAsWritten) {
    EXPECT_EQ(form->Font().Name(), L"MS Sans Serif");
    EXPECT_EQ(form->Font().Height(), -11);
    EXPECT_EQ(form->Font().Color(), gui::clWindowText);
    EXPECT_EQ(form->Font().Charset(), GB2312_CHARSET);
    EXPECT_TRUE(form->pnlTop->ParentFont());
    EXPECT_EQ(form->pnlTop->Font().Name(), L"MS Sans Serif");
    EXPECT_FALSE(form->pnlBody->ParentFont());
    EXPECT_EQ(form->pnlBody->Font().Name(), L"微软雅黑");
    EXPECT_EQ(form->pnlBody->Font().Height(), -13);
    EXPECT_EQ(form->pnlBody->Font().Color(), gui::RGBColor(0x48, 0x7C, 0xB5));
    EXPECT_EQ(form->pnlBody->Font().Style(), gui::fsBold);
    EXPECT_EQ(form->labInfo->Font().Name(), L"微软雅黑");
    EXPECT_EQ(form->labInfo->Font().Style(), gui::fsBold);
}

TEST_F(WindowDataForm, PictureComesFromItsResourceWithItsOwnSize) {
    const gui::TPicture& picture = form->imgClose->Picture();
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 30);
    EXPECT_EQ(picture.Height(), 27);
    auto* png = dynamic_cast<gui::TPngImage*>(picture.Graphic());
    ASSERT_NE(png, nullptr);
    EXPECT_TRUE(png->HasAlpha());
}

TEST_F(WindowDataForm, TabOrderAsWritten) {
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Control(L"edtC"))->TabOrder(), 0);
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Control(L"edtB"))->TabOrder(), 1);
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Control(L"edtA"))->TabOrder(), 2);
}

TEST_F(WindowDataForm, BoundHandlersFireOnRealMouseInput) {
    form->Show();
    Pump();
    HWND top = form->pnlTop->Handle();
    ASSERT_TRUE(IsWindowVisible(top));
    SendMessageW(top, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(285, 10));
    SendMessageW(top, WM_LBUTTONUP, 0, MAKELPARAM(285, 10));
    Pump();
    EXPECT_EQ(form->closeClicks, 1);
    EXPECT_EQ(form->lastSender, form->imgClose);
    EXPECT_EQ(form->mouseDowns, 0);

    SendMessageW(top, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
    SendMessageW(top, WM_RBUTTONUP, 0, MAKELPARAM(20, 10));
    Pump();
    EXPECT_EQ(form->mouseDowns, 1);
    EXPECT_EQ(form->closeClicks, 1);
}

TEST(WindowDataResource, MissingResourceNamesFileAndResource) {
    gui::TForm form(nullptr);
    try {
        gui::LoadWindowData(form, L"ui\\f_Nowhere.dfm");
        FAIL() << "loaded a missing resource";
    } catch (const gui::EWindowDataError& e) {
        EXPECT_EQ(e.FileName(), L"ui\\f_Nowhere.dfm");
        EXPECT_EQ(e.Name(), L"F_NOWHERE");
    }
}
