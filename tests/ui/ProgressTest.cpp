// The percentage and the bar as the progress notifications redraw them.
#include "app/f_GlobalVar.h"
#include "gui/SysUtils.h"
#include "tests/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr int64_t kGiB = 1024LL * 1024 * 1024;

struct TPercentCase {
    int64_t Pos, Total;
    int Percent, Bar;  // bar over a 551-pixel track
};

TEST(DownloadFigures, PercentAndBarWidth) {
    const TPercentCase cases[] = {
        {0, 100, 0, 0},
        {50, 200, 25, 137},       // 137.75 truncated
        {37, 100, 37, 203},
        {199, 200, 100, 551},     // 99.5 rounds to a whole number
        {200, 200, 100, 551},
        {5000, 100, 100, 551},    // bytes counted against the placeholder total stay in the track
        {3 * kGiB, 4 * kGiB, 75, 413},
        {5 * kGiB, 5 * kGiB, 100, 551},
        {kGiB, 8 * kGiB, 13, 71},  // 12.5 % of a package whose size needs more than 32 bits
        {-1, 100, 0, 0},
    };
    for (const TPercentCase& c : cases) {
        const int percent = DownloadPercent(c.Pos, c.Total);
        EXPECT_EQ(c.Percent, percent) << c.Pos << " of " << c.Total;
        EXPECT_EQ(c.Bar, ProgressBarWidth(percent, 551)) << c.Pos << " of " << c.Total;
    }
}

class ProgressDisplay : public ::testing::Test {
protected:
    void SetUp() override { form = uitest::MakeMainWindow(); }
    void TearDown() override { uitest::FreeMainWindow(form); }

    bool Notify(TDownloadState state, int64_t downloaded, int64_t total, const std::wstring& msg = L"") {
        THttpDownloadInfo info;
        info.State = state;
        info.Msg = msg;
        info.Downloaded = downloaded;
        info.Total = total;
        bool cancel = false;
        form->DownloadProgress(info, cancel);
        return cancel;
    }
    Tfrm_Main* form = nullptr;
};

TEST_F(ProgressDisplay, ProgressNotificationsRedrawTextAndBar) {
    Notify(dsProgress, 0, 0);
    EXPECT_EQ(L"正在下载(0%)", form->labProcess->Caption());
    EXPECT_EQ(0, form->imgProcessInner->Width());

    Notify(dsProgress, 50, 200);
    EXPECT_EQ(L"正在下载(25%)", form->labProcess->Caption());
    EXPECT_EQ(137, form->imgProcessInner->Width());

    // A later notification without a total keeps the total already known.
    Notify(dsProgress, 100, 0);
    EXPECT_EQ(L"正在下载(50%)", form->labProcess->Caption());

    Notify(dsProgress, 6 * kGiB, 6 * kGiB);
    EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption());
    EXPECT_EQ(form->imgProcessOuter->Width(), form->imgProcessInner->Width());
}

TEST_F(ProgressDisplay, BytesBeforeAnyTotalAreBoundedToTheTrack) {
    Notify(dsProgress, 12345, 0);
    EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption());
    EXPECT_EQ(551, form->imgProcessInner->Width());
}

TEST_F(ProgressDisplay, OtherNotificationsLeaveTheFiguresAndNeverCancel) {
    Notify(dsProgress, 50, 200);
    EXPECT_FALSE(Notify(dsStart, 0, 0));
    EXPECT_FALSE(Notify(dsFail, 190, 200));
    EXPECT_FALSE(Notify(dsError, 190, 200));
    EXPECT_FALSE(Notify(dsFinish, 200, 200));
    EXPECT_EQ(L"正在下载(25%)", form->labProcess->Caption());
}

TEST_F(ProgressDisplay, FailureNotificationsAreLoggedWithTheirOwnPrefix) {
    CreateGlobals();
    Notify(dsFail, 0, 0, L"连接超时");
    Notify(dsError, 0, 0, L"[THttpClient._HttpRequest] bad");
    const std::wstring logFile = g_Logger->LogDir() + g_Logger->LogFileName();
    FreeGlobals();
    std::string log;
    ASSERT_TRUE(uitest::ReadFileBytes(logFile, log)) << sys::ToUtf8(logFile);
    EXPECT_NE(std::string::npos, log.find(sys::ToAnsi(L"[Information] 下载失败dsFail： 连接超时\r\n")));
    EXPECT_NE(std::string::npos, log.find(sys::ToAnsi(L"[Information] 下载失败dsError: [THttpClient._HttpRequest] bad\r\n")));
}

TEST_F(ProgressDisplay, CloseDuringARunBecomesTheCancelAnswerOfTheNextProgress) {
    form->PC->SetActivePage(form->TS3);
    EXPECT_FALSE(Notify(dsProgress, 10, 100));
    form->btnCloseClick(nullptr);  // a run is under way: this only asks it to stop
    EXPECT_TRUE(form->CancelRequested());
    EXPECT_FALSE(Notify(dsStart, 0, 0));
    EXPECT_TRUE(Notify(dsProgress, 20, 100));

    form->ResetDownloadState();
    EXPECT_FALSE(form->CancelRequested());
    // The reset leaves what is shown until the next notification.
    EXPECT_EQ(L"正在下载(20%)", form->labProcess->Caption());
    EXPECT_FALSE(Notify(dsProgress, 30, 100));
}

}  // namespace
