#include "GuiTestSupport.h"

#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>

using namespace gui;

namespace {

class PagesAndInput : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(620, 416);
        form->Show();
    }
    void TearDown() override { Application.FreeComponent(form); }
    TPageControl* MakePages(int count) {
        auto* pc = New<TPageControl>(form);
        pc->SetParent(form);
        pc->SetBounds(0, 241, 620, 175);
        for (int i = 0; i < count; ++i) {
            auto* sheet = New<TTabSheet>(form);
            sheet->SetCaption(L"TS" + std::to_wstring(i + 1));
            sheet->SetPageControl(pc);
        }
        return pc;
    }
    TForm* form = nullptr;
};

}  // namespace

TEST_F(PagesAndInput, OnePageShowsAtATimeAndItsOnShowFires) {
    TPageControl* pc = MakePages(3);
    ASSERT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePageIndex(), 0) << "the first page is active until told otherwise";
    int shows = 0, hides = 0;
    pc->Page(1)->OnShow = [&](TObject*) { ++shows; };
    pc->Page(0)->OnHide = [&](TObject*) { ++hides; };
    pc->SetActivePage(pc->Page(1));
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(hides, 1);
    EXPECT_FALSE(pc->Page(0)->Visible());
    EXPECT_TRUE(pc->Page(1)->Showing());
    EXPECT_TRUE(IsWindowVisible(pc->Page(1)->Handle()));
    EXPECT_FALSE(IsWindowVisible(pc->Page(2)->Handle()));
    pc->SetActivePage(pc->Page(1));
    EXPECT_EQ(shows, 1) << "the active page again changes nothing";
}

TEST_F(PagesAndInput, AHiddenPagesControlsGetWindowsWhenThePageIsFirstShown) {
    TPageControl* pc = MakePages(3);
    TPanel* panels[3] = {};
    for (int i = 0; i < 3; ++i) {
        panels[i] = New<TPanel>(form);
        panels[i]->SetParent(pc->Page(i));
    }
    EXPECT_TRUE(panels[0]->HandleAllocated());
    EXPECT_FALSE(panels[1]->HandleAllocated()) << "a page never shown costs no windows";
    pc->SetActivePage(pc->Page(1));
    ASSERT_TRUE(panels[1]->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(panels[1]->Handle()));
    pc->DestroyHandle();
    pc->HandleNeeded();
    EXPECT_TRUE(panels[1]->HandleAllocated()) << "made anew with the shown page";
    EXPECT_FALSE(panels[0]->HandleAllocated() || panels[2]->HandleAllocated()) << "not with the hidden ones";
    ASSERT_TRUE(panels[2]->Handle()) << "asked for, a hidden control's window is made at once";
    EXPECT_FALSE(IsWindowVisible(panels[2]->Handle()));
    EXPECT_EQ(GetParent(panels[2]->Handle()), pc->Page(2)->Handle());
}

TEST_F(PagesAndInput, PagesCoverTheWholeControlAndChangeFromCode) {
    TPageControl* pc = MakePages(3);
    EXPECT_TRUE(pc->Page(0)->TabVisible());
    EXPECT_EQ(pc->Page(0)->Top(), 0);
    EXPECT_EQ(pc->Page(2)->Height(), 175);
    EXPECT_EQ(pc->Page(2)->Width(), 620);
    pc->SetActivePageIndex(2);
    EXPECT_EQ(pc->ActivePage(), pc->Page(2)) << "a page without a tab is still reached from code";
}

TEST_F(PagesAndInput, FreeingTheActivePageActivatesTheFirstRemaining) {
    TPageControl* pc = MakePages(3);
    pc->SetActivePageIndex(1);
    form->FreeComponent(pc->Page(1));
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->ActivePageIndex(), 0);
}

TEST_F(PagesAndInput, CheckBoxKeepsItsStateBeforeAndAfterItsWindowAndReportsClicks) {
    auto* box = New<TCheckBox>(form);
    box->SetChecked(true);
    box->SetParent(form);
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1) << "setting the state from code is not a click";
}

TEST_F(PagesAndInput, MemoShowsEachLineAndStaysReadOnly) {
    auto* memo = New<TMemo>(form);
    memo->SetParent(form);
    memo->SetReadOnly(true);
    memo->SetScrollBars(true, true);
    memo->SetText(L"第一行\n第二行");
    EXPECT_EQ(SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
    memo->SetFocus();
    SendMessageW(memo->Handle(), WM_CHAR, L'x', 0);
    EXPECT_EQ(memo->Text(), L"第一行\r\n第二行");
    memo->Clear();
    EXPECT_EQ(memo->Text(), L"");
}

TEST_F(PagesAndInput, SystemControlsPaintInTheirOwnColour) {
    auto* box = New<TCheckBox>(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 60, 17);
    box->SetColor(clWhite);
    EXPECT_EQ(guitest::PrintedPixel(*box, 58, 8), RGB(255, 255, 255));
    box->SetColor(clYellow);
    EXPECT_EQ(guitest::PrintedPixel(*box, 58, 8), RGB(255, 255, 0));
    auto* memo = New<TMemo>(form);
    memo->SetParent(form);
    memo->SetBounds(10, 40, 100, 50);
    memo->SetReadOnly(true);
    memo->SetColor(clWhite);
    EXPECT_EQ(guitest::PrintedPixel(*memo, 90, 40), RGB(255, 255, 255)) << "read-only is not the grey of a disabled box";
}
