// A download run from the window: its checks in order, the question about an existing package,
// what the failure prompt's answers lead to, and real transfers from the local mirror.
#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
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

std::string SomeBytes(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
    }
    return bytes;
}

// A folder where the package's temporary file cannot be made fails every run in the client,
// whether the mirror has the package or not (other tests place it there side by side).
void BlockTemporaryFile(const std::wstring& package) {
    CreateDirectoryW(GetHttpClient()->GetTempName(package).c_str(), nullptr);
}

class DownloadRun : public ::testing::Test {
protected:
    void SetUp() override {
        form = uitest::MakeMainWindow();
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
    const std::vector<uitest::TShownMessage>& Shown() { return uitest::Messages().Shown; }

    Tfrm_Main* form = nullptr;
    std::wstring saveDir;
    std::wstring package;
};

TEST_F(DownloadRun, ChecksStopInOrderWithTheirMessage) {
    uitest::g_Online = false;
    form->rdbDX->SetChecked(false);
    form->RdbLT->SetChecked(false);
    DownloadInto(L"");
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(kMessageInfo, Shown()[0].Kind);
    EXPECT_EQ(L"请选择保存路径。", Shown()[0].Text);

    DownloadInto(saveDir);
    ASSERT_EQ(2u, Shown().size());
    EXPECT_EQ(L"找不到下载文件。", Shown()[1].Text);

    form->RdbLT->SetChecked(true);
    ASSERT_TRUE(uitest::WriteFileBytes(package, "old"));
    DownloadInto(saveDir);
    ASSERT_EQ(3u, Shown().size());
    EXPECT_EQ(kMessageInfo, Shown()[2].Kind);
    EXPECT_EQ(kOffline, Shown()[2].Text);
    EXPECT_EQ(form->TS2, form->PC->ActivePage());
    EXPECT_TRUE(uitest::FileExists(package));
    EXPECT_FALSE(form->DownloadFailed());
}

TEST_F(DownloadRun, ExistingPackageIsKeptOnCancelAndDeletedOnOk) {
    ASSERT_TRUE(uitest::WriteFileBytes(package, "old"));
    uitest::Messages().Answers = {3};
    DownloadInto(saveDir);
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(kMessageOkCancel, Shown()[0].Kind);
    EXPECT_EQ(package + kExistsQuestion, Shown()[0].Text);
    EXPECT_TRUE(uitest::FileExists(package));
    EXPECT_EQ(form->TS2, form->PC->ActivePage());

    // OK: the file goes and the run starts on the progress page; it fails and the prompt is closed.
    BlockTemporaryFile(package);
    uitest::Messages().Answers = {3, kMessageOk};
    bool deletedBeforeTheRun = false;
    Tfrm_Main* window = form;
    std::wstring path = package;
    uitest::TPromptDriver driver([&](HWND prompt) {
        deletedBeforeTheRun = !uitest::FileExists(path) && window->PC->ActivePage() == window->TS3 && window->DownloadFailed();
        uitest::ClickClose(prompt);
    });
    DownloadInto(saveDir);
    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(deletedBeforeTheRun);
    EXPECT_EQ(2u, Shown().size());
    // The closed prompt returns the window to its start state.
    EXPECT_EQ(form->TS1, form->PC->ActivePage());
    EXPECT_FALSE(form->DownloadFailed());
    EXPECT_FALSE(form->btnInstall->Visible());
}

TEST_F(DownloadRun, DownloadAgainWhileOfflineStopsOnTheProgressPage) {
    BlockTemporaryFile(package);
    uitest::TPromptDriver driver([](HWND prompt) {
        uitest::g_Online = false;
        uitest::ClickReload(prompt);
    });
    DownloadInto(saveDir);
    EXPECT_TRUE(driver.Ran());
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(kOffline, Shown()[0].Text);
    EXPECT_EQ(form->TS3, form->PC->ActivePage());
    EXPECT_FALSE(form->DownloadFailed());
}

class MirrorDownload : public DownloadRun {
protected:
    void SetUp() override {
        DownloadRun::SetUp();
        mirrored = MirrorPackagePath();
        if (mirrored.empty() || testenv::NginxHttp().empty()) GTEST_SKIP() << "no local mirror";
        content = SomeBytes(3 * 1024 * 1024 + 17);
        ASSERT_TRUE(uitest::WriteFileBytes(mirrored, content));
    }
    void TearDown() override {
        if (!mirrored.empty()) DeleteFileW(mirrored.c_str());
        DownloadRun::TearDown();
    }
    void ExpectDone() {
        EXPECT_TRUE(form->DownloadDone());
        EXPECT_TRUE(form->btnInstall->Visible());
        EXPECT_EQ(form->TS3, form->PC->ActivePage());
        EXPECT_EQ(L"正在下载(100%)", form->labProcess->Caption());
        EXPECT_EQ(form->imgProcessOuter->Width(), form->imgProcessInner->Width());
        std::string got;
        ASSERT_TRUE(uitest::ReadFileBytes(package, got));
        EXPECT_TRUE(got == content) << "downloaded " << got.size() << " of " << content.size() << " bytes";
    }
    std::wstring mirrored;
    std::string content;
};

TEST_F(MirrorDownload, FetchesThePackageFromTheChosenLine) {
    form->RdbLT->SetChecked(true);
    DownloadInto(saveDir);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(package, form->SaveFile());
    ExpectDone();
}

Tfrm_Main* g_closing = nullptr;

void CALLBACK PressCloseOnce(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_closing) g_closing->btnCloseClick(nullptr);
}

TEST_F(MirrorDownload, CloseDuringTheRunAsksAndCancelResumesToTheEnd) {
    g_closing = form;
    uitest::Messages().Answers = {3};
    // The timer fires in the first pump of the running download, as a click on the close button would.
    uitest::Messages().OnShown = [](const uitest::TShownMessage&) { g_closing = nullptr; };
    SetTimer(nullptr, 0, 0, PressCloseOnce);
    DownloadInto(saveDir);
    g_closing = nullptr;
    ASSERT_EQ(1u, Shown().size());
    EXPECT_EQ(kMessageOkCancel, Shown()[0].Kind);
    EXPECT_EQ(kCloseQuestion, Shown()[0].Text);
    ExpectDone();
}

}  // namespace
