// The progress page as the transfer's notifications redraw it: percentage or amount received,
// bar, speed and time left, the cancel answer, what a done run shows, and the failure log lines.
#include "app/f_Logger.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/PromptDriver.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/DownloadFigures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

constexpr int64_t kMiB = 1024LL * 1024;
constexpr int64_t kGiB = 1024 * kMiB;

struct TFigureCase {
    int64_t Pos, Total;
    const wchar_t* Caption;
    int Bar;  // over a 551-pixel track
};

TEST(DownloadFigures, CaptionAndBarWidth) {
    const TFigureCase cases[] = {
        {0, 100, L"正在下载(0%)", 0},
        {50, 200, L"正在下载(25%)", 137},       // 137.75 truncated
        {37, 100, L"正在下载(37%)", 203},
        {199, 200, L"正在下载(100%)", 551},     // 99.5 rounds to a whole number
        {200, 200, L"正在下载(100%)", 551},
        {5000, 100, L"正在下载(100%)", 551},    // more than announced stays in the track
        {3 * kGiB, 4 * kGiB, L"正在下载(75%)", 413},
        {5 * kGiB, 5 * kGiB, L"正在下载(100%)", 551},
        {kGiB, 8 * kGiB, L"正在下载(13%)", 71},  // 12.5 % of a package whose size needs more than 32 bits
        {-1, 100, L"正在下载(0%)", 0},
        // No length announced: the amount received in binary units, and no bar.
        {0, 0, L"正在下载(0.00B)", 0},
        {1024, 0, L"正在下载(1024.00B)", 0},
        {1025, 0, L"正在下载(1.00KB)", 0},
        {12 * kMiB + kMiB / 2, 0, L"正在下载(12.50MB)", 0},
        {3 * kGiB, 0, L"正在下载(3.00GB)", 0},
    };
    for (const TFigureCase& c : cases) {
        EXPECT_EQ(c.Caption, ProgressCaption(c.Pos, c.Total)) << c.Pos << " of " << c.Total;
        EXPECT_EQ(c.Bar, ProgressBarWidthFor(c.Pos, c.Total, 551)) << c.Pos << " of " << c.Total;
    }
}

struct TSpeedCase {
    const char* Speed;
    const char* Remaining;  // GBK, as the client formats it
    bool TotalKnown;
    const wchar_t* Caption;
};

TEST(DownloadFigures, SpeedAndTimeLeft) {
    const TSpeedCase cases[] = {
        {"1.50MB/s", "00:01:01", true, L"1.50MB/s  剩余 00:01:01"},
        {"1.50MB/s", "00:01:01", false, L"1.50MB/s  剩余 --:--:--"},
        {"117.74MB/s", "1\xCC\xEC ", true, L"117.74MB/s  剩余 1天 "},
        {"0.50B/s", "\xB4\xF3\xD3\xDA" "999\xCC\xEC...", true, L"0.50B/s  剩余 大于999天..."},
    };
    for (const TSpeedCase& c : cases)
        EXPECT_EQ(c.Caption, SpeedCaption(c.Speed, c.Remaining, c.TotalKnown)) << c.Speed << " " << c.TotalKnown;
}

class ProgressPage : public ::testing::Test {
protected:
    void SetUp() override { form = uitest::MakeMainWindow(services); }
    void TearDown() override { uitest::FreeMainWindow(form); }
    void Run(std::vector<uitest::TScriptedRun> runs) {
        services.Runs = std::move(runs);
        form->btnDownloadNowClick(nullptr);
    }
    uitest::TScriptedServices services;
    Tfrm_Main* form = nullptr;
};

uitest::TNotice Progress(int64_t pos, int64_t total, int64_t speed = 0, const char* speedText = "0.00B/s",
                         const char* remaining = "00:00:00") {
    return {dsProgress, pos, total, speed, speedText, remaining};
}

struct TStep {
    uitest::TNotice Notice;
    const wchar_t* Caption;
    int Bar;
    const wchar_t* Speed;
};

TEST_F(ProgressPage, FollowsEachNotification) {
    const TStep steps[] = {
        {{dsStart}, L"正在下载（0%）", 0, L""},
        {Progress(0, 0), L"正在下载(0.00B)", 0, L""},
        // Measured without a length: the time left cannot be known, whatever the text says.
        {Progress(12 * kMiB + kMiB / 2, 0, 1572864, "1.50MB/s", "00:00:09"), L"正在下载(12.50MB)", 0,
         L"1.50MB/s  剩余 --:--:--"},
        // Not measured since: the last figures stay.
        {Progress(50, 200), L"正在下载(25%)", 137, L"1.50MB/s  剩余 --:--:--"},
        // A later notification without a total keeps the total already known.
        {Progress(100, 0, 1536, "1.50KB/s", "00:01:01"), L"正在下载(50%)", 275, L"1.50KB/s  剩余 00:01:01"},
        {Progress(6 * kGiB, 6 * kGiB, 3 * kMiB, "3.00MB/s", "00:00:00"), L"正在下载(100%)", 551,
         L"3.00MB/s  剩余 00:00:00"},
    };
    uitest::TScriptedRun run;
    for (const TStep& step : steps) run.Notices.push_back(step.Notice);
    run.Result = 0;
    Run({run});
    ASSERT_EQ(std::size(steps), services.Seen.size());
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(steps[i].Caption, services.Seen[i].Caption) << "notification " << i;
        EXPECT_EQ(steps[i].Bar, services.Seen[i].Bar) << "notification " << i;
        EXPECT_EQ(steps[i].Speed, services.Seen[i].Speed) << "notification " << i;
    }
}

struct TDoneCase {
    const char* Name;
    std::vector<uitest::TNotice> Notices;
};

TEST(ProgressPageDone, ShowsTheWholePackageWhateverTheNotificationsSaid) {
    const TDoneCase cases[] = {
        {"already whole, no notification", {}},
        {"no length announced", {Progress(5000, 0)}},
        {"last notification short of the length", {Progress(50, 200)}},
    };
    for (const TDoneCase& c : cases) {
        uitest::TScriptedServices services;
        Tfrm_Main* form = uitest::MakeMainWindow(services);
        services.Runs = {{c.Notices, 0}};
        form->btnDownloadNowClick(nullptr);
        EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption()) << c.Name;
        EXPECT_EQ(form->imgProcessOuter->Width(), form->imgProcessInner->Width()) << c.Name;
        EXPECT_TRUE(form->btnInstall->Visible()) << c.Name;
        EXPECT_EQ(form->TS3, form->PC->ActivePage()) << c.Name;
        uitest::FreeMainWindow(form);
    }
}

TEST_F(ProgressPage, CancelIsAnsweredOnlyToProgressAndAfterItsPump) {
    const std::wstring closeQuestion = L"当前下载还没有完成，如果关闭软件，需要重新下载，确定关闭软件吗？";
    Tfrm_Main* window = form;
    uitest::TNotice startWithClose{dsStart};
    startWithClose.Before = [window] { uitest::PostCloseClick(window); };
    uitest::TNotice progressWithClose = Progress(20, 100);
    progressWithClose.Before = [window] { uitest::PostCloseClick(window); };
    services.Answers = {mdrRight, mdrRight};  // Cancel on both close questions: go on
    Run({
        // A close pending through dsStart, dsFail, dsError and dsFinish is answered only by progress.
        {{startWithClose, {dsFail}, {dsError}, {dsFinish}, Progress(10, 100)}, 1},
        // The click handled in a progress notification's own pump stops that notification.
        {{Progress(10, 100), progressWithClose, Progress(30, 100)}, 1},
        {{}, 0},
    });
    const bool expected[] = {false, false, false, false, true, false, true};
    ASSERT_EQ(std::size(expected), services.Seen.size());
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(expected[i], services.Seen[i].Cancel) << "notification " << i << ", state " << services.Seen[i].State;
    ASSERT_EQ(2u, services.Shown.size());
    for (const uitest::TShownMessage& shown : services.Shown) {
        EXPECT_EQ(mdkOkCancel, shown.Kind);
        EXPECT_EQ(closeQuestion, shown.Text);
    }
    ASSERT_EQ(3u, services.Downloads.size());
    EXPECT_EQ(services.Downloads[0].SavePath, services.Downloads[2].SavePath);
    EXPECT_TRUE(form->btnInstall->Visible());
}

TEST_F(ProgressPage, FailureNotificationsAreLoggedInGbkWithTheirOwnPrefix) {
    // A log of the test's own: the day's file beside the program gathers the lines of every run.
    auto logger = std::make_unique<TLogger>(nullptr, testenv::MakeScratchDir(L"ui_progress_log"));
    services.Log = [&](const std::wstring& line) { logger->WriteLog(line, llInformation); };
    uitest::TNotice fail{dsFail};
    fail.Msg = L"连接超时";
    uitest::TNotice error{dsError};
    error.Msg = L"[THttpClient._HttpRequest] bad";
    uitest::TPromptDriver driver([](HWND prompt) { uitest::ClickClose(prompt); });
    Run({{{fail, error}, -1}});
    const std::wstring written = logger->LogDir() + logger->LogFileName();
    services.Log = nullptr;
    logger.reset();  // which lets go of the file
    EXPECT_TRUE(driver.Ran());
    std::string log;
    ASSERT_TRUE(uitest::ReadFileBytes(written, log)) << "nothing was logged";
    // 下载失败 and the full-width colon as GBK bytes.
    EXPECT_NE(std::string::npos, log.find("[Information] \xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC" "dsFail\xA3\xBA "
                                          "\xC1\xAC\xBD\xD3\xB3\xAC\xCA\xB1\r\n"));
    EXPECT_NE(std::string::npos,
              log.find("[Information] \xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC" "dsError: [THttpClient._HttpRequest] bad\r\n"));
}

}  // namespace
