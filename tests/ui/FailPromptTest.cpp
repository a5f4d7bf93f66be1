// The failure prompt: its three answers, its fixed place and the drag by its title bar.
#include "tests/ui/PromptDriver.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/f_Info.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FailPrompt, EachButtonReturnsItsChoice) {
    const struct {
        void (*click)(HWND);
        int32_t expected;
    } cases[] = {
        {uitest::ClickReload, 2},
        {uitest::ClickUseBrowser, 1},
        {uitest::ClickClose, 0},
        {[](HWND prompt) { uitest::PressKeys(prompt, {VK_RETURN}); }, 2},
        {[](HWND prompt) { uitest::PressKeys(prompt, {VK_TAB, VK_RETURN}); }, 1},
        {[](HWND prompt) { uitest::PressKeys(prompt, {VK_TAB, VK_TAB, VK_RETURN}); }, 2},
        {[](HWND prompt) { uitest::PressKeys(prompt, {VK_ESCAPE}); }, 0},
    };
    for (const auto& c : cases) {
        uitest::TPromptDriver driver(c.click);
        EXPECT_EQ(c.expected, ShowDownloadFailPrompt());
        EXPECT_TRUE(driver.Ran());
    }
}

TEST(FailPrompt, ClosedAnyOtherWayCountsAsClosed) {
    uitest::TPromptDriver driver([](HWND prompt) { PostMessageW(prompt, WM_CLOSE, 0, 0); });
    EXPECT_EQ(0, ShowDownloadFailPrompt());
    EXPECT_TRUE(driver.Ran());
}

TEST(FailPrompt, StandsAtItsOwnPlaceWhereverTheMainWindowIs) {
    uitest::TScriptedServices services;
    Tfrm_Main* main = uitest::MakeMainWindow(services);
    SetWindowPos(main->Handle(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT place{};
    bool mainDisabled = false;
    uitest::TPromptDriver driver([&](HWND prompt) {
        GetWindowRect(prompt, &place);
        mainDisabled = !IsWindowEnabled(main->Handle());
        uitest::ClickClose(prompt);
    });
    ShowDownloadFailPrompt();
    EXPECT_EQ(482, place.left);
    EXPECT_EQ(281, place.top);
    EXPECT_EQ(413, place.right - place.left);
    EXPECT_EQ(161, place.bottom - place.top);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    uitest::FreeMainWindow(main);
}

TEST(FailPrompt, TitleBarDragsWithEitherButtonButItsTextAndCornerPanelsDoNot) {
    std::vector<WPARAM> commands;
    uitest::TPromptDriver driver([&](HWND prompt) {
        auto* form = dynamic_cast<gui::TForm*>(gui::Application.Component(gui::Application.ComponentCount() - 1));
        ASSERT_NE(nullptr, form);
        {
            uitest::TSysCommandSpy spy(*form);
            uitest::PressAt(prompt, 200, 15);
            uitest::PressAt(prompt, 250, 20, true);
            uitest::PressAt(prompt, 17 + 10, 7 + 8);   // lblSysTitle
            uitest::PressAt(prompt, 320, 30);          // briskPnlTopRight below the corner group
            uitest::PressAt(prompt, 340, 10);          // pnlMinClose
            uitest::PressAt(prompt, 200, 100);         // the message area
            commands = spy.Commands();
        }
        uitest::ClickClose(prompt);
    });
    ShowDownloadFailPrompt();
    ASSERT_EQ(2u, commands.size());
    EXPECT_EQ(static_cast<WPARAM>(0xF012), commands[0]);
    EXPECT_EQ(static_cast<WPARAM>(0xF012), commands[1]);
}

}  // namespace
