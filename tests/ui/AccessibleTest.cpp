// The windows as a screen reader reads them through oleacc: each page's tree, the prompt's and the
// message dialog's, a default action that runs from the window's queue, the events that follow
// the focus, and the task-bar button through a download, a failure and a close question.
#include "tests/dialogs/MsgDlgBoxTestSupport.h"
#include "tests/ui/AccessibleReader.h"
#include "tests/ui/PromptDriver.h"
#include "tests/ui/UiTestSupport.h"

#include "controls/XPEditEx.h"
#include "ui/f_Info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;

class Accessible : public ::testing::Test {
protected:
    void SetUp() override {
        gui::Application.SetTitle(L"Tallyvo");
        form = uitest::MakeMainWindow(services);
    }
    void TearDown() override { uitest::FreeMainWindow(form); }
    Lines Tree() { return uitest::AccessibleTree(form->Handle()); }

    uitest::TScriptedServices services;
    Tfrm_Main* form = nullptr;
};

TEST_F(Accessible, EachPageReadsAsItsControls) {
    EXPECT_EQ(L"Tallyvo", uitest::NameOf(uitest::WindowObject(form->Handle(), OBJID_WINDOW).get(), CHILDID_SELF));
    EXPECT_EQ((Lines{L"window \"Tallyvo\" [focusable]", L"push button \"最小化\" [focusable]",
                     L"push button \"立即下载\" [focusable focused]", L"radio button \"电信\" [focusable checked]",
                     L"radio button \"联通\" [focusable]"}),
              Tree());

    form->labCustomClick(nullptr);
    form->edtDir->SetText(L"D:\\下载\\");
    EXPECT_EQ((Lines{L"window \"Tallyvo\" [focusable]", L"push button \"最小化\" [focusable]", L"text \"保存路径：\" []",
                     L"link \"<<返回\" [focusable linked]", L"push button \"立即下载\" [focusable focused]",
                     L"push button \"更改\" [focusable]", L"editable text \"保存路径：\" = D:\\下载\\ [focusable read-only]"}),
              Tree());

    Lines midway;
    uitest::TNotice reading{dsProgress, 37, 100};
    reading.Before = [&] { midway = Tree(); };
    services.Runs = {{{{dsStart}, {dsProgress, 37, 100}, reading, {dsProgress, 100, 100}}, 0}};
    form->labBackClick(nullptr);
    form->btnDownloadNowClick(nullptr);
    EXPECT_EQ((Lines{L"window \"Tallyvo\" [focusable focused]", L"push button \"最小化\" [focusable]", L"text \"正在下载(37%)\" []",
                     L"progress bar \"\" = 37% []"}),
              midway);
    EXPECT_EQ((Lines{L"window \"Tallyvo\" [focusable]", L"push button \"最小化\" [focusable]",
                     L"text \"正在下载(100%)\" []", L"push button \"立即安装\" [focusable focused]",
                     L"progress bar \"\" = 100% []"}),
              Tree());
}

TEST_F(Accessible, ThePromptAndTheMessageDialogReadAsDialogsWithTheirTitle) {
    Lines prompt;
    uitest::TPromptDriver driver([&](HWND window) {
        prompt = uitest::AccessibleTree(window);
        uitest::ClickClose(window);
    });
    ShowDownloadFailPrompt();
    EXPECT_EQ((Lines{L"dialog \"提示信息\" [focusable]", L"text \"在线下载异常，您可以选择重新下载或直接下载安装包安装\" []",
                     L"text \"提示信息\" []", L"push button \"关闭\" [focusable]",
                     L"push button \"重新下载\" [focusable focused]", L"link \"点击下载安装包\" [focusable linked]"}),
              prompt);

    Lines dialog;
    msgdlgtest::RunDialog(msgdlgtest::Call(mdkOkCancel, L"消息"), [&](Tfrm_MsgDlg& shown) {
        dialog = uitest::AccessibleTree(shown.Handle());
        shown.SetModalResult(gui::mrCancel);
    });
    EXPECT_EQ((Lines{L"dialog \"确认信息\" [focusable]", L"text \"确认信息\" []", L"push button \"关闭\" [focusable]",
                     L"text \"消息  \" []", L"push button \"确定(O)\" [focusable focused]", L"push button \"取消\" [focusable]"}),
              dialog);
}

// The reader's call returns before the click runs; a picture hidden or disabled by then is not pressed.
TEST_F(Accessible, TheDefaultActionRunsLaterFromTheWindowsQueue) {
    uitest::TAccessibleRef client = uitest::WindowObject(form->Handle());
    ASSERT_TRUE(client);
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = uitest::ChildNamed(client.get(), L"立即下载");
    ASSERT_NE(0, child.lVal);
    long x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(S_OK, client->accLocation(&x, &y, &width, &height, child));
    EXPECT_EQ(215, width);
    EXPECT_EQ(57, height);
    VARIANT hit{};
    ASSERT_EQ(S_OK, client->accHitTest(x + width / 2, y + height / 2, &hit));
    EXPECT_EQ(VT_I4, hit.vt);
    EXPECT_EQ(child.lVal, hit.lVal);
    services.Runs = {{{{dsStart}}, 0}, {{{dsStart}}, 0}};

    ASSERT_EQ(S_OK, client->accDoDefaultAction(child));
    form->labCustomClick(nullptr);
    uitest::Pump();
    EXPECT_TRUE(services.Downloads.empty());

    form->labBackClick(nullptr);
    ASSERT_EQ(S_OK, client->accDoDefaultAction(child));
    form->btnDownloadNow->SetEnabled(false);
    uitest::Pump();
    EXPECT_TRUE(services.Downloads.empty());

    form->btnDownloadNow->SetEnabled(true);
    ASSERT_EQ(S_OK, client->accDoDefaultAction(child));
    EXPECT_TRUE(services.Downloads.empty());
    EXPECT_TRUE(uitest::PumpUntil([&] { return !services.Downloads.empty(); }));
}

std::vector<std::wstring> g_events;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    const wchar_t* kind = event == EVENT_OBJECT_FOCUS         ? L"focus "
                          : event == EVENT_OBJECT_STATECHANGE ? L"state "
                          : event == EVENT_OBJECT_VALUECHANGE ? L"value "
                          : event == EVENT_SYSTEM_ALERT       ? L"alert "
                                                              : nullptr;
    IAccessible* target = nullptr;
    VARIANT id{};
    if (!kind || object != OBJID_CLIENT || FAILED(AccessibleObjectFromEvent(window, object, child, &target, &id))) return;
    uitest::TAccessibleRef owned(target);
    g_events.push_back(kind + uitest::DescribeElement(target, id.lVal));
}

// Every event of this process, as a reader's hook outside it would get them.
struct TEventHook {
    TEventHook()
        : hook(SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_OBJECT_VALUECHANGE, nullptr, RecordEvent, GetCurrentProcessId(),
                               0, WINEVENT_OUTOFCONTEXT)) {
        g_events.clear();
    }
    ~TEventHook() { UnhookWinEvent(hook); }
    bool Seen(const std::wstring& line) const {
        return uitest::PumpUntil([&] { return std::find(g_events.begin(), g_events.end(), line) != g_events.end(); }, 3000);
    }
    // For a failure's message.
    static std::wstring All() {
        std::wstring all;
        for (const std::wstring& line : g_events) all += line + L"\n";
        return all;
    }
    HWINEVENTHOOK hook;
};

TEST_F(Accessible, EventsFollowTheFocusTheLineTheProgressAndThePrompt) {
    TEventHook events;
    ASSERT_NE(nullptr, events.hook);
    uitest::PressKeys(form->Handle(), {VK_TAB});
    EXPECT_TRUE(events.Seen(L"focus radio button \"电信\" [focusable focused checked]"));
    uitest::PressKeys(form->Handle(), {VK_RIGHT});
    EXPECT_TRUE(events.Seen(L"state radio button \"联通\" [focusable focused checked]"));
    form->labCustomClick(nullptr);
    EXPECT_TRUE(events.Seen(L"focus push button \"立即下载\" [focusable focused]")) << TEventHook::All();
    uitest::PressKeys(form->Handle(), {VK_TAB});
    EXPECT_TRUE(events.Seen(L"focus push button \"更改\" [focusable focused]"));
    uitest::TAccessibleRef client = uitest::WindowObject(form->Handle());
    VARIANT focus{};
    ASSERT_EQ(S_OK, client->get_accFocus(&focus));
    ASSERT_EQ(VT_I4, focus.vt);
    EXPECT_EQ(uitest::ChildNamed(client.get(), L"更改"), focus.lVal);

    services.Runs = {{{{dsProgress, 37, 100}, {dsProgress, 38, 100}, {dsProgress, 100, 100}}, -1}};
    uitest::TPromptDriver driver([&](HWND prompt) {
        EXPECT_TRUE(events.Seen(L"alert dialog \"提示信息\" [focusable]"));
        uitest::ClickClose(prompt);
    });
    form->btnDownloadClick(nullptr);
    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(events.Seen(L"value progress bar \"\" = 37% []"));
    EXPECT_TRUE(events.Seen(L"value progress bar \"\" = 100% []"));
    for (const std::wstring& line : g_events) EXPECT_NE(L"value progress bar \"\" = 38% []", line);
}

TEST_F(Accessible, TheTaskbarButtonFollowsADownloadAFailureAndACloseQuestion) {
    services.Runs = {{{{dsStart}, {dsProgress, 0, 100}, {dsProgress, 37, 100}, {dsProgress, 100, 100}}, 0}};
    form->btnDownloadNowClick(nullptr);
    EXPECT_EQ((Lines{L"indeterminate", L"normal", L"37/100", L"100/100", L"none"}), services.RecordedTaskbar.Calls);

    services.RecordedTaskbar.Calls.clear();
    uitest::FreeMainWindow(form);
    form = uitest::MakeMainWindow(services);
    services.Runs = {{{{dsProgress, 10, 100}}, -1}};
    uitest::TPromptDriver driver([](HWND prompt) { uitest::ClickClose(prompt); });
    form->btnDownloadNowClick(nullptr);
    EXPECT_EQ((Lines{L"indeterminate", L"normal", L"10/100", L"error", L"none"}), services.RecordedTaskbar.Calls);

    services.RecordedTaskbar.Calls.clear();
    services.Answers = {mdrRight};
    Tfrm_Main* window = form;
    uitest::TNotice closing{dsProgress, 50, 100};
    closing.Before = [window] { uitest::PostCloseClick(window); };
    services.Runs = {{{closing, {dsProgress, 51, 100}}, 0}, {{{dsProgress, 100, 100}}, 0}};
    form->btnDownloadNowClick(nullptr);
    EXPECT_EQ((Lines{L"indeterminate", L"normal", L"50/100", L"paused", L"indeterminate", L"normal", L"100/100", L"none"}),
              services.RecordedTaskbar.Calls);
}

}  // namespace
