// The main window as the user first meets it, its pages, the folder field and the banner drag.
#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
#include "controls/briskPanel.h"
#include "controls/f_BriskImageButton.h"
#include "gui/Gdi.h"
#include "gui/PictureScale.h"
#include "gui/WindowDataPictures.h"
#include "sys/SysUtils.h"
#include "tests/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { form = uitest::MakeMainWindow(services); }
    void TearDown() override { uitest::FreeMainWindow(form); }
    // The save folder as the folder page shows it.
    std::wstring SaveDirShown() {
        form->labCustomClick(nullptr);
        const std::wstring shown = form->edtDir->Text();
        form->labBackClick(nullptr);
        return shown;
    }
    uitest::TScriptedServices services;
    Tfrm_Main* form = nullptr;
};

TEST_F(MainWindow, StartsOnTheStartPageWithTheTelecomLineAndOnlyTheMinimiseButton) {
    RECT frame{};
    GetWindowRect(form->Handle(), &frame);
    EXPECT_EQ(428, frame.left);
    EXPECT_EQ(161, frame.top);
    EXPECT_EQ(620, form->ClientWidth());
    EXPECT_EQ(416, form->ClientHeight());

    EXPECT_EQ(form->TS1, form->PC->ActivePage());
    for (int i = 0; i < form->PC->PageCount(); ++i) EXPECT_FALSE(form->PC->Page(i)->TabVisible()) << "tab " << i << " shows";
    EXPECT_TRUE(form->rdbDX->Checked());
    EXPECT_FALSE(form->RdbLT->Checked());
    EXPECT_FALSE(form->btnInstall->Visible());
    EXPECT_FALSE(form->btnClose->Visible());
    EXPECT_FALSE(form->labCustom->Visible());
    EXPECT_TRUE(form->btnSmall->Visible());
    // With the close button hidden, right alignment moves the minimise button to the corner.
    EXPECT_EQ(51, form->btnSmall->Left());
    EXPECT_EQ(L"正在下载（0%）", form->labProcess->Caption());
    EXPECT_EQ(0, form->imgProcessInner->Width());
    EXPECT_EQ(551, form->imgProcessOuter->Width());
}

std::vector<HWND> ShadowsOfThisProcess() {
    std::vector<HWND> shadows;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"TFormShadow", nullptr));) {
        DWORD pid = 0;
        if (GetWindowThreadProcessId(w, &pid) && pid == GetCurrentProcessId()) shadows.push_back(w);
    }
    return shadows;
}

// Made by a message the showing posts and shown by a timer after it, so waited for.
void ExpectOneShadowAround(HWND form) {
    std::vector<HWND> shadows;
    const auto oneAround = [&] {
        shadows = ShadowsOfThisProcess();
        if (shadows.size() != 1 || !IsWindowVisible(shadows[0])) return false;
        RECT shadow{}, frame{}, both{};
        GetWindowRect(shadows[0], &shadow);
        GetWindowRect(form, &frame);
        UnionRect(&both, &shadow, &frame);
        return EqualRect(&both, &shadow) != FALSE;
    };
    EXPECT_TRUE(uitest::PumpUntil(oneAround)) << shadows.size() << " shadows; one, shown around the form, expected";
}

TEST_F(MainWindow, OneShadowShowsAroundTheShownForm) {
    form->Hide();
    form->Show();  // a second showing must not make a second shadow
    ExpectOneShadowAround(form->Handle());
}

// Moved to a 150 % monitor and back: the suggested place, the stored places and fonts at that
// scale, the picture drawn for it, still one shadow; back at 96 DPI everything where it was.
TEST_F(MainWindow, ADpiChangeTakesTheSuggestedPlaceAndLaysOutAtTheNewScale) {
    RECT suggested{100, 50, 1030, 674};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame{};
    GetWindowRect(form->Handle(), &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested));
    EXPECT_EQ(930, form->ClientWidth());
    EXPECT_EQ(624, form->ClientHeight());
    EXPECT_EQ(362, form->imgTop->Height());
    EXPECT_EQ(930, form->imgTop->Picture().Width());
    EXPECT_EQ(299, form->btnDownloadNow->Left());
    EXPECT_EQ(63, form->btnDownloadNow->Top());
    EXPECT_EQ(323, form->btnDownloadNow->Picture().Width());
    EXPECT_EQ(86, form->btnDownloadNow->Height());
    EXPECT_EQ(-20, form->labDirInfo->Font().Height());
    EXPECT_EQ(76, form->btnSmall->Left()) << "45 wide, right-aligned in the 121 wide corner group";
    ExpectOneShadowAround(form->Handle());

    RECT back{428, 161, 1048, 577};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(620, form->ClientWidth());
    EXPECT_EQ(241, form->imgTop->Height());
    EXPECT_EQ(199, form->btnDownloadNow->Left());
    EXPECT_EQ(215, form->btnDownloadNow->Picture().Width());
    EXPECT_EQ(-13, form->labDirInfo->Font().Height());
    EXPECT_EQ(51, form->btnSmall->Left());
    ExpectOneShadowAround(form->Handle());
}

void ChangeDpi(Tfrm_Main* form, int dpi, RECT suggested) {
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Every control's name and edges, depth first.
void CollectLayout(const gui::TControl& control, std::vector<std::wstring>& layout) {
    const RECT r = control.BoundsRect();
    layout.push_back(control.Name() + L" " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                     std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom));
    if (auto* container = dynamic_cast<const gui::TWinControl*>(&control)) {
        for (size_t i = 0; i < container->ControlCount(); ++i) CollectLayout(*container->Control(i), layout);
    }
}

std::vector<std::wstring> LayoutOf(const gui::TControl& root) {
    std::vector<std::wstring> layout;
    CollectLayout(root, layout);
    return layout;
}

// The client area's pixels as they are on screen, the window on top and painted.
std::vector<COLORREF> PixelsOf(Tfrm_Main& form) {
    SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    uitest::Pump();
    gui::DibSection shot(form.ClientWidth(), form.ClientHeight(), 32);
    gui::WindowDc screen(form.Handle());
    BitBlt(shot.Dc(), 0, 0, shot.Width(), shot.Height(), screen.Get(), 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) pixels.push_back(shot.PixelAt(x, y));
    return pixels;
}

// 125 %, then 150 %, then back: every control where it started, and at 150 % where a window
// moved there straight from 96 DPI has it.
TEST_F(MainWindow, ScalesInTurnLandEveryControlWhereOneChangeWould) {
    const RECT at150{642, 242, 1572, 866};
    const std::vector<std::wstring> at96 = LayoutOf(*form);
    const std::vector<COLORREF> shotAt96 = PixelsOf(*form);
    ChangeDpi(form, 120, RECT{535, 201, 1310, 721});
    ChangeDpi(form, 144, at150);
    const std::vector<std::wstring> through120 = LayoutOf(*form);
    const std::vector<COLORREF> shotThrough120 = PixelsOf(*form);
    ChangeDpi(form, 96, RECT{428, 161, 1048, 577});
    EXPECT_EQ(at96, LayoutOf(*form));
    EXPECT_TRUE(shotAt96 == PixelsOf(*form)) << "the pixels of the start at 96 DPI";

    uitest::FreeMainWindow(form);
    form = uitest::MakeMainWindow(services);
    ChangeDpi(form, 144, at150);
    EXPECT_EQ(through120, LayoutOf(*form));
    EXPECT_TRUE(shotThrough120 == PixelsOf(*form)) << "the pixels of 144 DPI reached at once";
}

TEST_F(MainWindow, SpeedLabelSharesTheProgressLineAndEndsAtTheTracksRightEdge) {
    gui::TLabel* speed = form->labSpeed;
    ASSERT_NE(nullptr, speed);
    EXPECT_EQ(form->pnlTS3, speed->Parent());
    EXPECT_EQ(L"", speed->Caption());
    const int trackRight = form->Panel1->Left() + form->imgProcessOuter->Left() + form->imgProcessOuter->Width();
    EXPECT_EQ(trackRight, speed->Left() + speed->Width());
    EXPECT_EQ(gui::taRightJustify, speed->Alignment());
    EXPECT_FALSE(speed->AutoSize());
    // On the line of the percentage: each label's middle lies within the other.
    const gui::TLabel* process = form->labProcess;
    EXPECT_LT(process->Top(), speed->Top() + speed->Height() / 2);
    EXPECT_GT(process->Top() + process->Height(), speed->Top() + speed->Height() / 2);
    EXPECT_LT(speed->Top(), process->Top() + process->Height() / 2);
    EXPECT_GT(speed->Top() + speed->Height(), process->Top() + process->Height() / 2);
    EXPECT_EQ(L"微软雅黑", speed->Font().Name());
    EXPECT_EQ(-12, speed->Font().Height());
    EXPECT_EQ(static_cast<gui::TColor>(0x008D8D8D), speed->Font().Color());
}

TEST_F(MainWindow, SaveFolderIsTallyvoBesideTheProgramAndExists) {
    const std::wstring expected = sys::IncludeTrailingBackslash(sys::ExtractFilePath(sys::ExeFileName())) + L"Tallyvo\\";
    EXPECT_EQ(expected, SaveDirShown());
    EXPECT_TRUE(sys::DirectoryExists(expected));
}

TEST_F(MainWindow, CustomLinkAndBackLinkSwitchPagesAndTheFolderPageShowsTheSaveFolder) {
    const std::wstring exe = sys::ExeFileName();
    const std::wstring saveDir = exe.substr(0, exe.rfind(L"\\test_ui.exe")) + L"\\Tallyvo\\";
    form->labCustomClick(nullptr);
    EXPECT_EQ(form->TS2, form->PC->ActivePage());
    EXPECT_EQ(saveDir, form->edtDir->Text());

    form->edtDir->SetText(L"D:\\elsewhere\\");
    form->edtDirExit(nullptr);
    form->edtDir->SetText(std::wstring());
    form->TS2Show(nullptr);
    EXPECT_EQ(L"D:\\elsewhere\\", form->edtDir->Text());

    uitest::ClickAt(form->Handle(), 543 + 10, 241 + 122 + 8);  // "<<返回"
    uitest::Pump();
    EXPECT_EQ(form->TS1, form->PC->ActivePage());
}

TEST_F(MainWindow, PressingTheBannerWithEitherButtonSendsTheMoveCommandAndOtherPlacesDoNot) {
    uitest::TSysCommandSpy spy(*form);
    uitest::PressAt(form->Handle(), 100, 100);
    uitest::PressAt(form->Handle(), 300, 200, true);
    ASSERT_EQ(2u, spy.Commands().size());
    EXPECT_EQ(static_cast<WPARAM>(0xF012), spy.Commands()[0]);
    EXPECT_EQ(static_cast<WPARAM>(0xF012), spy.Commands()[1]);

    uitest::PressAt(form->Handle(), 539 + 5, 5);    // the corner group beside the minimise button
    uitest::PressAt(form->Handle(), 100, 241 + 20);  // the page area
    uitest::PressAt(form->Handle(), 600, 400, true);
    EXPECT_EQ(2u, spy.Commands().size());
}

TEST_F(MainWindow, MirrorButtonsExcludeEachOther) {
    uitest::ClickAt(form->Handle(), 6 + 54 + 5, 241 + 103 + 24 + 8);
    uitest::Pump();
    EXPECT_TRUE(form->RdbLT->Checked());
    EXPECT_FALSE(form->rdbDX->Checked());
}

// Tab passes the turn: start page picture -> the checked line -> picture; the arrows move the line
// wherever the turn is; the mark shows only once the keyboard was used; Enter presses the
// picture holding the turn.
TEST_F(MainWindow, KeysPassTheTurnMoveTheLineAndPressThePictureThatHasIt) {
    form->Repaint();
    EXPECT_FALSE(form->btnDownloadNow->FocusMark());
    uitest::PressKeys(form->Handle(), {VK_TAB});
    EXPECT_EQ(form->rdbDX->Handle(), GetFocus());
    uitest::PressKeys(form->Handle(), {VK_RIGHT});
    EXPECT_TRUE(form->RdbLT->Checked());
    EXPECT_FALSE(form->rdbDX->Checked());
    EXPECT_EQ(form->RdbLT->Handle(), GetFocus());
    uitest::PressKeys(form->Handle(), {VK_TAB});
    EXPECT_TRUE(form->btnDownloadNow->FocusMark());
    EXPECT_EQ(form->Handle(), GetFocus());
    uitest::PressKeys(form->Handle(), {VK_LEFT});
    EXPECT_TRUE(form->rdbDX->Checked());
    EXPECT_TRUE(form->btnDownloadNow->FocusMark());

    form->labCustomClick(nullptr);
    uitest::PressKeys(form->Handle(), {VK_TAB, VK_TAB});
    EXPECT_FALSE(form->btnDownloadNow->FocusMark());
    EXPECT_TRUE(form->labBack->FocusMark());
    uitest::PressKeys(form->Handle(), {VK_RETURN});
    EXPECT_EQ(form->TS1, form->PC->ActivePage());
}

// 100 % and 200 % take the stored drawings as they are; 150 % reduces the x2 drawing (its text
// at twice the type size), which a x1 enlargement would not match.
TEST(Pictures, EachScaleTakesItsOwnDrawing) {
    const gui::TPngImage x1 = dynamic_cast<const gui::TPngImage&>(*gui::LoadPictureResource(L"BTN_DOWNLOAD_NOW"));
    const gui::TPngImage x2 = dynamic_cast<const gui::TPngImage&>(*gui::LoadPictureResource(L"BTN_DOWNLOAD_NOW_2X"));
    ASSERT_EQ(430, x2.Width());
    const struct {
        int dpi;
        const gui::TPngImage* same;
        int width, height;
    } rows[] = {{96, &x1, 215, 57}, {192, &x2, 430, 114}, {144, nullptr, 323, 86}, {120, nullptr, 269, 71}};
    for (const auto& r : rows) {
        auto picture = gui::LoadPictureForDpi(L"BTN_DOWNLOAD_NOW", r.dpi);
        auto* png = dynamic_cast<gui::TPngImage*>(picture.get());
        ASSERT_NE(nullptr, png) << r.dpi;
        EXPECT_EQ(r.width, png->Width()) << r.dpi;
        EXPECT_EQ(r.height, png->Height()) << r.dpi;
        EXPECT_EQ(L"BTN_DOWNLOAD_NOW", png->SourceName());
        if (r.same) {
            for (int y = 0; y < png->Height(); y += 7) {
                ASSERT_EQ(0, memcmp(r.same->Row(y), png->Row(y), png->Width() * 3)) << r.dpi << " row " << y;
            }
        }
    }
    const gui::TPngImage fromX2 = gui::ResamplePng(x2, 323, 86), fromX1 = gui::ResamplePng(x1, 323, 86);
    const auto at144 = gui::LoadPictureForDpi(L"BTN_DOWNLOAD_NOW", 144);
    const auto& scaled = dynamic_cast<const gui::TPngImage&>(*at144);
    EXPECT_EQ(0, memcmp(fromX2.Row(43), scaled.Row(43), 323 * 3));
    EXPECT_NE(0, memcmp(fromX1.Row(43), scaled.Row(43), 323 * 3));
}

}  // namespace
