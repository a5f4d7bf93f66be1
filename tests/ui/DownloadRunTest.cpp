// A download run from the window: its checks in order, the question about an existing package,
// what the failure prompt's and the close question's answers lead to, a close request from
// outside, and real transfers from the local mirror over either line.
#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
#include "sys/SysUtils.h"
#include "tests/support/ScriptedHttpServer.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/PromptDriver.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/MirrorHosts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kExistsQuestion = L"已存在，需要重新下载吗？";
const std::wstring kCloseQuestion = L"当前下载还没有完成，如果关闭软件，需要重新下载，确定关闭软件吗？";
const std::wstring kOffline = L"网络异常，请检查网络后重试！";

std::wstring MirrorPackagePath() {
    const std::wstring dir = testenv::NginxDir();
    return dir.empty() ? dir : dir + L"\\www\\uploads\\" + kPackageFileName;
}

class DownloadRun : public ::testing::Test {
protected:
    void SetUp() override {
        form = uitest::MakeMainWindow(services);
        saveDir = testenv::MakeScratchDir(L"ui_download_run");
        package = saveDir + kPackageFileName;
    }
    void TearDown() override { uitest::FreeMainWindow(form); }

    // The folder page's button, with the folder typed into its field.
    void DownloadInto(const std::wstring& folder) {
        form->labCustomClick(nullptr);
        form->edtDir->SetText(folder);
        form->btnDownloadClick(nullptr);
    }
    const std::vector<uitest::TShownMessage>& Shown() { return services.Shown; }

    uitest::TScriptedServices services;
    Tfrm_Main* form = nullptr;
    std::wstring saveDir;
    std::wstring package;
};

TEST_F(DownloadRun, ChecksStopInOrderWithTheirMessageAndLeaveThePage) {
    services.Online = false;
    form->rdbDX->SetChecked(false);
    form->RdbLT->SetChecked(false);
    DownloadInto(L"");
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(mdkInfo, Shown()[0].Kind);
    EXPECT_EQ(L"请选择保存路径。", Shown()[0].Text);

    DownloadInto(saveDir);
    ASSERT_EQ(2u, Shown().size());
    EXPECT_EQ(L"找不到下载文件。", Shown()[1].Text);

    form->RdbLT->SetChecked(true);
    ASSERT_TRUE(uitest::WriteFileBytes(package, "old"));
    DownloadInto(saveDir);
    ASSERT_EQ(3u, Shown().size());
    EXPECT_EQ(mdkInfo, Shown()[2].Kind);
    EXPECT_EQ(kOffline, Shown()[2].Text);
    EXPECT_EQ(form->TS2, form->PC->ActivePage());
    EXPECT_TRUE(uitest::FileExists(package));
    EXPECT_TRUE(services.Downloads.empty());
}

TEST_F(DownloadRun, ExistingPackageIsKeptOnCancelAndDeletedOnOk) {
    ASSERT_TRUE(uitest::WriteFileBytes(package, "old"));
    services.Answers = {mdrRight};
    DownloadInto(saveDir);
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(mdkOkCancel, Shown()[0].Kind);
    EXPECT_EQ(package + kExistsQuestion, Shown()[0].Text);
    EXPECT_TRUE(uitest::FileExists(package));
    EXPECT_EQ(form->TS2, form->PC->ActivePage());
    EXPECT_TRUE(services.Downloads.empty());

    // OK: the file goes and the run starts on the progress page; it fails and the prompt is closed.
    services.Answers = {mdrRight, mdrLeft};
    bool deletedBeforeTheRun = false;
    uitest::TNotice start{dsStart};
    Tfrm_Main* window = form;
    const std::wstring path = package;
    start.Before = [&deletedBeforeTheRun, window, path] {
        deletedBeforeTheRun = !uitest::FileExists(path) && window->PC->ActivePage() == window->TS3;
    };
    services.Runs = {{{start}, -1}};
    uitest::TPromptDriver driver([](HWND prompt) { uitest::ClickClose(prompt); });
    DownloadInto(saveDir);
    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(deletedBeforeTheRun);
    EXPECT_EQ(2u, Shown().size());
    ASSERT_EQ(1u, services.Downloads.size());
    EXPECT_EQ(package, services.Downloads[0].SavePath);
    // The closed prompt returns the window to its start state.
    EXPECT_EQ(form->TS1, form->PC->ActivePage());
    EXPECT_FALSE(form->btnInstall->Visible());
}

// The two ways back into a run, each met by a check that stops it.
enum class TRunAgain { AfterFailure, AfterCancelledClose };

TEST_F(DownloadRun, ARunStartedAgainThatACheckStopsReturnsToTheStartPage) {
    for (TRunAgain way : {TRunAgain::AfterFailure, TRunAgain::AfterCancelledClose}) {
        SCOPED_TRACE(way == TRunAgain::AfterFailure ? "after a failure" : "after a cancelled close");
        services.Online = true;
        services.Shown.clear();
        services.Answers = {mdrRight};  // Cancel on the close question
        services.OnShown = [this](const uitest::TShownMessage& shown) {
            if (shown.Text == kCloseQuestion) services.Online = false;
        };
        Tfrm_Main* window = form;
        uitest::TNotice closing{dsProgress, 10, 100};
        closing.Before = [window] { uitest::PostCloseClick(window); };
        const bool viaFailure = way == TRunAgain::AfterFailure;
        services.Runs = {viaFailure ? uitest::TScriptedRun{{{dsStart}}, -1} : uitest::TScriptedRun{{closing}, 1}};
        uitest::TPromptDriver driver([this](HWND prompt) {
            services.Online = false;
            uitest::ClickReload(prompt);
        });
        form->btnDownloadNowClick(nullptr);
        EXPECT_EQ(viaFailure, driver.Ran());
        ASSERT_FALSE(Shown().empty());
        EXPECT_EQ(kOffline, Shown().back().Text);
        EXPECT_EQ(form->TS1, form->PC->ActivePage());
        EXPECT_TRUE(form->rdbDX->Checked());
    }
}

// Escape is the keyboard's close request and Enter the start page's download picture.
TEST_F(DownloadRun, ACloseFromOutsideOrEscapeDuringTheTransferAsksLikeTheCloseButton) {
    for (bool byKeys : {false, true}) {
        SCOPED_TRACE(byKeys ? "Enter, then Escape" : "the picture, then WM_CLOSE");
        uitest::FreeMainWindow(form);
        services = uitest::TScriptedServices();
        form = uitest::MakeMainWindow(services);
        Tfrm_Main* window = form;
        uitest::TNotice closing{dsProgress, 10, 100};
        closing.Before = [window, byKeys] {
            if (byKeys) uitest::PressKeys(window->Handle(), {VK_ESCAPE});
            else PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
        };
        services.Answers = {mdrRight};
        services.Runs = {{{{dsStart}, closing, {dsProgress, 20, 100}}, 0}, {{}, 0}};
        if (byKeys) uitest::PressKeys(form->Handle(), {VK_RETURN});
        else form->btnDownloadNowClick(nullptr);
        ASSERT_EQ(2u, services.Seen.size());
        EXPECT_TRUE(services.Seen[1].Cancel);
        ASSERT_EQ(1u, Shown().size());
        EXPECT_EQ(mdkOkCancel, Shown()[0].Kind);
        EXPECT_EQ(kCloseQuestion, Shown()[0].Text);
        EXPECT_EQ(2u, services.Downloads.size());
        EXPECT_FALSE(gui::Application.Terminated());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(form->btnInstall->Visible());
    }
}

// The package is checked after the transfer and again at the install click, each time held open
// so that nothing else can write it; a package that fails either check is deleted.
TEST_F(DownloadRun, OnlyAPackageThatPassesBothChecksIsLeftToStart) {
    const TPackageCheck genuine{true, L"", L"Tallyvo Test Publisher"};
    const TPackageCheck other{false, L"发布者不符：Other", L"Other"};
    const std::wstring path = package;
    uitest::TNotice start{dsStart};
    start.Before = [path] { uitest::WriteFileBytes(path, "MZ package"); };

    services.Checks = {other};
    services.Runs = {{{start}, 0}};
    uitest::TPromptDriver failed([](HWND prompt) { uitest::ClickClose(prompt); });
    DownloadInto(saveDir);
    EXPECT_TRUE(failed.Ran()) << "a rejected package is a failed download";
    EXPECT_FALSE(uitest::FileExists(package));
    EXPECT_FALSE(form->btnInstall->Visible());

    services.Checks = {genuine, other};
    services.Runs = {{{start}, 0}};
    DownloadInto(saveDir);
    EXPECT_TRUE(form->btnInstall->Visible());
    EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption());
    EXPECT_TRUE(uitest::FileExists(package));
    form->btnInstallClick(nullptr);
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(L"安装包校验失败，请重新下载。", Shown().back().Text);
    EXPECT_FALSE(uitest::FileExists(package));
    EXPECT_FALSE(form->btnInstall->Visible());
    EXPECT_EQ(form->TS1, form->PC->ActivePage());

    ASSERT_EQ(3u, services.CheckCalls.size());
    for (const auto& call : services.CheckCalls) {
        EXPECT_TRUE(call.FileHeld);
        EXPECT_TRUE(call.DeniesWriting);
    }
    EXPECT_EQ(L"正在校验安装包…", services.CheckCalls[0].Caption);
}

// The install click starts the very file its check judged, held so that nobody can write it in
// between; a second click while the check runs does nothing.
TEST_F(DownloadRun, TheInstallClickStartsTheFileItCheckedOnce) {
    uitest::TNotice start{dsStart};
    const std::wstring path = package;
    start.Before = [path] { uitest::WriteFileBytes(path, "MZ package"); };
    services.Checks = {{true, L"", L"Tallyvo Test Publisher"}};
    services.Runs = {{{start}, 0}};
    DownloadInto(saveDir);
    ASSERT_TRUE(form->btnInstall->Visible());

    const HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    services.CheckGate = gate;
    Tfrm_Main* window = form;
    uitest::PostCall([window, gate] {
        window->btnInstallClick(nullptr);
        SetEvent(gate);
    });
    form->btnInstallClick(nullptr);
    services.CheckGate = nullptr;
    CloseHandle(gate);
    EXPECT_EQ(2u, services.CheckCalls.size()) << "one check after the transfer, one for the click";
    ASSERT_EQ(1u, services.Starts.size());
    EXPECT_EQ(package, services.Starts[0].FinalPath);
    EXPECT_TRUE(services.Starts[0].SameFileAsChecked);
    EXPECT_TRUE(services.Starts[0].DeniesWriting);
}

// A package the check cannot read (another program holds it without sharing, or the check
// throws) is tried again, and when it stays unreadable it is kept with 立即安装 to check it
// again; one let go of while the check tries again passes without a word.
TEST_F(DownloadRun, APackageThatCannotBeReadIsKeptAndCheckedAgain) {
    const std::wstring kHeld = L"安装包正被其他程序占用，请稍后重试。";
    const std::wstring path = package;
    HANDLE holder = INVALID_HANDLE_VALUE;
    uitest::TNotice start{dsStart};
    start.Before = [path] { uitest::WriteFileBytes(path, "MZ package"); };
    bool hold = true;
    uitest::TNotice finish{dsFinish};
    finish.Before = [path, &holder, &hold] {
        if (hold) holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    services.Checks = {{true, L"", L"Tallyvo Test Publisher"}};
    uitest::TPromptDriver failed([](HWND prompt) { uitest::ClickClose(prompt); });
    for (bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "the check throws" : "held without sharing");
        services.CheckThrows = throws;
        hold = !throws;
        services.CheckCalls.clear();
        services.Shown.clear();
        services.Runs = {{{start, {dsProgress, 10, 10}, finish}, 0}};
        DownloadInto(saveDir);
        ASSERT_FALSE(Shown().empty());
        EXPECT_EQ(kHeld, Shown().back().Text);
        EXPECT_GE(services.CheckCalls.size(), 2u) << "tried again before telling the user";
        EXPECT_TRUE(uitest::FileExists(package));
        EXPECT_TRUE(form->btnInstall->Visible());
        EXPECT_EQ(form->TS3, form->PC->ActivePage());
        if (hold) CloseHandle(holder);
        services.CheckThrows = false;
    }
    form->btnInstallClick(nullptr);
    EXPECT_EQ(1u, services.Starts.size()) << "once let go, the click checks and starts it";
    EXPECT_TRUE(form->rdbDX->Checked()) << "the line stays";

    services.Shown.clear();
    services.CheckCalls.clear();
    hold = true;
    services.BeforeCheck = [this, &holder] {
        if (services.CheckCalls.size() == 1) CloseHandle(holder);
    };
    services.Runs = {{{start, {dsProgress, 10, 10}, finish}, 0}};
    DownloadInto(saveDir);
    EXPECT_EQ(2u, services.CheckCalls.size());
    EXPECT_TRUE(form->btnInstall->Visible());
    for (const auto& shown : Shown()) EXPECT_NE(kHeld, shown.Text);
    EXPECT_FALSE(failed.Ran()) << "a package not read is not a failed download";
}

// A close pressed while the last notice of a run pumps is answered once the run is over: the
// launcher ends, instead of checking the package or offering the failure prompt.
TEST_F(DownloadRun, ACloseDuringTheLastNoticeEndsTheLauncher) {
    for (TDownloadState last : {dsFinish, dsFail}) {
        SCOPED_TRACE(last == dsFinish ? "dsFinish" : "dsFail");
        uitest::FreeMainWindow(form);
        services = uitest::TScriptedServices();
        form = uitest::MakeMainWindow(services);
        services.Checks = {{true, L"", L"Tallyvo Test Publisher"}};
        Tfrm_Main* window = form;
        uitest::TNotice closing{last};
        closing.Before = [window] { PostMessageW(window->Handle(), WM_CLOSE, 0, 0); };
        services.Runs = {{{{dsStart}, {dsProgress, 10, 10}, closing}, last == dsFinish ? 0 : -1}};
        uitest::TPromptDriver prompt([](HWND p) { uitest::ClickClose(p); });
        DownloadInto(saveDir);
        EXPECT_EQ(1, services.EndProcessCalls);
        EXPECT_TRUE(services.CheckCalls.empty());
        EXPECT_FALSE(prompt.Ran());
    }
}

// Without a choice of the user's the probe checks the faster line; a press on download before the
// probe has ended downloads from the line checked then, and stops the probe.
TEST_F(DownloadRun, TheProbeChecksTheFasterLineUnlessTheDownloadStartsFirst) {
    testsrv::ScriptedResponse head;
    head.body = testsrv::PatternBody(300000);
    testsrv::ScriptedResponse start = head;
    start.status = 206;
    start.body.resize(262144);
    start.headers = {{"Content-Range", "bytes 0-262143/300000"}};
    testsrv::ScriptedResponse stalledHead = head;
    stalledHead.stallBeforeMs = 6000;
    testsrv::ScriptedResponse slowStart = start;
    slowStart.stallAtByte = 1000;
    slowStart.stallMidBodyMs = 400;
    for (bool pressFirst : {false, true}) {
        SCOPED_TRACE(pressFirst ? "download pressed first" : "no press");
        testsrv::ScriptedHttpServer primary, secondary;
        primary.Add(pressFirst ? stalledHead : head, testsrv::IsHead());
        primary.Add(slowStart, testsrv::IsGet());
        secondary.Add(head, testsrv::IsHead());
        secondary.Add(start, testsrv::IsGet());
        uitest::FreeMainWindow(form);
        services.ProbeUrls[0] = primary.Url(L"/pkg.exe");
        services.ProbeUrls[1] = secondary.Url(L"/pkg.exe");
        const int probesBefore = *services.ProbesEnded;
        form = uitest::MakeMainWindow(services);
        if (!pressFirst) {
            EXPECT_TRUE(uitest::PumpUntil([&] { return form->RdbLT->Checked(); })) << "the faster Unicom line";
            continue;
        }
        ASSERT_TRUE(primary.WaitForRequests(1, 5000));
        services.Runs = {{{{dsStart}}, 0}};
        form->btnDownloadNowClick(nullptr);
        ASSERT_EQ(1u, services.Downloads.size());
        EXPECT_EQ(PrimaryDownloadUrl(), services.Downloads[0].Url);
        EXPECT_TRUE(uitest::PumpUntil([&] { return *services.ProbesEnded > probesBefore; }, 1500))
            << "the probe should end with the press, not at its time limit";
    }
}

class MirrorDownload : public DownloadRun {
protected:
    void SetUp() override {
        DownloadRun::SetUp();
        const std::wstring mirrored = MirrorPackagePath();
        if (mirrored.empty() || testenv::NginxHttp().empty()) GTEST_SKIP() << "no local mirror";
        // Read, never written: the mirror and its package are shared with the other tests.
        ASSERT_TRUE(uitest::ReadFileBytes(mirrored, content)) << "no package on the local mirror";
    }
    void ExpectDone() {
        EXPECT_TRUE(form->btnInstall->Visible());
        EXPECT_EQ(form->TS3, form->PC->ActivePage());
        EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption());
        EXPECT_EQ(form->imgProcessOuter->Width(), form->imgProcessInner->Width());
        std::string got;
        ASSERT_TRUE(uitest::ReadFileBytes(package, got));
        EXPECT_TRUE(got == content) << "downloaded " << got.size() << " of " << content.size() << " bytes";
    }
    // The host of each GET of the package that nginx logged after offset bytes of its log.
    std::vector<std::string> PackageGetHostsAfter(size_t offset) {
        std::vector<std::string> hosts;
        std::string log;
        // nginx logs a request once it has ended, a moment after the client has it all.
        for (const ULONGLONG end = GetTickCount64() + 30000; hosts.empty() && GetTickCount64() < end; Sleep(20)) {
            if (!uitest::ReadFileBytes(AccessLog(), log) || log.size() <= offset) continue;
            size_t at = offset;
            while (at < log.size()) {
                const size_t end = log.find('\n', at);
                const std::string line = log.substr(at, end == std::string::npos ? std::string::npos : end - at);
                at = end == std::string::npos ? log.size() : end + 1;
                if (line.rfind("GET /uploads/Tallyvo", 0) == 0) hosts.push_back(line.substr(line.rfind(' ') + 1));
            }
        }
        return hosts;
    }
    size_t AccessLogSize() {
        std::string log;
        return uitest::ReadFileBytes(AccessLog(), log) ? log.size() : 0;
    }
    static std::wstring AccessLog() { return testenv::NginxDir() + L"\\access.log"; }

    std::string content;
};

struct TLineCase {
    bool Unicom;
    const char* Host;  // as the local twin spells each line's host
};

TEST_F(MirrorDownload, FetchesThePackageFromTheHostOfTheChosenLine) {
    const TLineCase lines[] = {{false, "127.0.0.1"}, {true, "localhost"}};
    for (const TLineCase& line : lines) {
        SCOPED_TRACE(line.Host);
        DeleteFileW(package.c_str());
        if (line.Unicom) form->RdbLT->SetChecked(true);
        ASSERT_EQ(!line.Unicom, form->rdbDX->Checked());
        const size_t logged = AccessLogSize();
        DownloadInto(saveDir);
        EXPECT_TRUE(Shown().empty());
        ASSERT_EQ(1u, services.Downloads.size());
        EXPECT_EQ(package, services.Downloads[0].SavePath);
        ExpectDone();
        EXPECT_EQ(std::vector<std::string>{line.Host}, PackageGetHostsAfter(logged));
        services.Downloads.clear();
        // A finished run leaves the window on its install page; the next line starts afresh.
        uitest::FreeMainWindow(form);
        form = uitest::MakeMainWindow(services);
    }
}

TEST_F(MirrorDownload, CloseDuringTheRunAsksAndCancelResumesToTheEnd) {
    services.Answers = {mdrRight};
    bool closed = false;
    Tfrm_Main* window = form;
    services.OnRealNotice = [&closed, window](const THttpDownloadInfo& info) {
        if (closed || info.State != dsProgress) return;
        closed = true;
        uitest::PostCloseClick(window);
    };
    DownloadInto(saveDir);
    EXPECT_TRUE(closed);
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(mdkOkCancel, Shown()[0].Kind);
    EXPECT_EQ(kCloseQuestion, Shown()[0].Text);
    EXPECT_EQ(2u, services.Downloads.size());
    ExpectDone();
}

}  // namespace
