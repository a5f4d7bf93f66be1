// Downloads against the real local nginx: resume after an interruption, a server that ignores
// ranges, the certificate check, and what the finishing step may and may not touch.
#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>

#include "sys/SysUtils.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/DateTimeUtils.h"
#include "net/public/HttpResponseInfo.h"
#include "tests/net/DownloadRecorder.h"
#include "tests/support/TestEnv.h"

using namespace nettest;

namespace {

class NginxTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        if (testenv::NginxHttp().empty()) GTEST_SKIP() << "no local nginx (run through ctest)";
        const std::wstring id = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        name_ = L"t-" + id + L".bin";
        dir_ = testenv::MakeScratchDir(L"nginx-" + id);
        save_ = dir_ + L"pkg.bin";
        client_ = THttpClient::Create();
        client_->SetResumable(true);
        client_->SetTimeout(10000);
    }
    void TearDown() override {
        if (!name_.empty()) DeleteFileW(Source().c_str());
    }

    // A fresh file in the server's root with a whole-second modification time.
    std::string Publish(size_t size) {
        const std::string bytes = PatternBytes(size, GetTickCount());
        WriteFileBytes(Source(), bytes);
        SYSTEMTIME st{};
        st.wYear = 2019; st.wMonth = 3; st.wDay = 5; st.wHour = 8; st.wMinute = 9; st.wSecond = 10;
        SetModifyTime(Source(), st);
        return bytes;
    }
    std::wstring Source() const { return testenv::NginxDir() + L"\\www\\" + name_; }
    std::wstring Url(const std::wstring& location) const { return testenv::NginxHttp() + location + name_; }

    int32_t Download(const std::wstring& url, TDownloadRecorder& recorder) {
        return client_->DownloadFile(url, save_, recorder.Handler(), 0, nullptr);
    }
    // Interrupts a rate-limited transfer at its first periodic notification; returns the bytes kept.
    int64_t DownloadPartly() {
        TDownloadRecorder recorder;
        recorder.CancelWhen = [](const THttpDownloadInfo& i) { return i.State == dsProgress && i.Downloaded > 0; };
        EXPECT_EQ(Download(Url(L"/slow/"), recorder), 1);
        const int64_t kept = sys::FileSize(save_ + L".tmp");
        EXPECT_GT(kept, 0);
        return kept;
    }
    // The access log line of this test's file, for the given location prefix; empty when none comes.
    std::string LogLine(const std::string& needle) const {
        for (const ULONGLONG end = GetTickCount64() + 30000; GetTickCount64() < end; Sleep(50)) {
            const std::string log = ReadFileBytes(testenv::NginxDir() + L"\\access.log");
            const size_t at = log.find(needle);
            if (at == std::string::npos) continue;
            const size_t start = log.rfind('\n', at) + 1;  // npos + 1: the first line
            return log.substr(start, log.find('\n', at) - start);
        }
        return {};
    }
    // The methods of this test's requests to "/", in the order the mirror logged them; a last
    // request elsewhere, once logged, vouches that all before it are.
    std::string MethodsLogged() const {
        std::wstring text;
        client_->GetText(Url(L"/nolm/"), nullptr, nullptr, text);
        LogLine("GET /nolm/" + NameA());
        const std::string log = ReadFileBytes(testenv::NginxDir() + L"\\access.log"), uri = " /" + NameA() + " ";
        std::string methods;
        for (size_t at = log.find(uri); at != std::string::npos; at = log.find(uri, at + 1))
            methods += log.substr(log.rfind('\n', at) + 1, at - log.rfind('\n', at) - 1) + " ";
        return methods;
    }
    std::string NameA() const { return std::string(name_.begin(), name_.end()); }

    std::wstring name_, dir_, save_;
    HttpClientPtr client_;
};

TEST_F(NginxTransfer, InterruptedTransferResumesWithRangeAndEndsIdentical) {
    const std::string source = Publish(1536 * 1024);
    const int64_t kept = DownloadPartly();
    ASSERT_LT(kept, static_cast<int64_t>(source.size()));
    EXPECT_TRUE(Exists(save_ + L".sdc"));
    EXPECT_FALSE(Exists(save_));

    TDownloadRecorder recorder;
    ASSERT_EQ(Download(Url(L"/"), recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), source);
    EXPECT_FALSE(Exists(save_ + L".tmp"));
    EXPECT_FALSE(Exists(save_ + L".sdc"));
    EXPECT_EQ(FileWriteDateTime(save_), FileWriteDateTime(Source())) << "last-write time is the server's";
    const auto first = std::find_if(recorder.Seen.begin(), recorder.Seen.end(),
                                    [](const THttpDownloadInfo& i) { return i.Downloaded > 0; });
    ASSERT_NE(first, recorder.Seen.end());
    EXPECT_GE(first->Downloaded, kept) << "counted from the part kept, not from 0";
    EXPECT_EQ(first->Total, static_cast<int64_t>(source.size()));
    EXPECT_EQ(recorder.Seen.back().State, dsFinish);
    EXPECT_EQ(recorder.Seen.back().Downloaded, static_cast<int64_t>(source.size()));

    const std::string line = LogLine("GET /" + NameA() + " \"bytes=" + std::to_string(kept) + "-\"");
    EXPECT_NE(line.find(" 206 "), std::string::npos) << line;
    EXPECT_NE(line.find("\"Mozilla/5.0 (compatible; MSIE 9.0;"), std::string::npos) << line;
}

// The Unicom line has a port of its own on the same mirror: the same files, logged under its host.
TEST_F(NginxTransfer, UnicomLinePortServesTheSameFilesUnderItsHost) {
    const std::wstring line2 = testenv::NginxLine2Http();
    ASSERT_EQ(line2.rfind(L"http://localhost:", 0), 0u) << line2;
    ASSERT_NE(line2, L"http://localhost:" + testenv::NginxHttp().substr(sizeof("http://127.0.0.1:") - 1)) << "the same port as the Telecom line";
    const std::string source = Publish(300 * 1024);
    TDownloadRecorder recorder;
    ASSERT_EQ(Download(line2 + L"/" + name_, recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), source);
    const std::string line = LogLine("GET /" + NameA() + " ");
    EXPECT_NE(line.find(" 200 "), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.rfind(' ') + 1), "localhost") << line;
}

TEST_F(NginxTransfer, ServerIgnoringTheRangeRestartsTheFileInsteadOfAppending) {
    const std::string source = Publish(1024 * 1024);
    DownloadPartly();

    TDownloadRecorder recorder;
    ASSERT_EQ(Download(Url(L"/norange/"), recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), source);
    const THttpDownloadInfo& last = recorder.Seen[recorder.Seen.size() - 2];
    EXPECT_EQ(last.State, dsProgress);
    EXPECT_EQ(last.Downloaded, static_cast<int64_t>(source.size())) << "counted from 0 again";
    EXPECT_NE(LogLine("GET /norange/" + NameA()).find(" 200 "), std::string::npos);
}

// Cancel answered once the HEAD has answered: P is untouched, and the side file holds what the
// server announced and exactly the bytes the temporary file kept.
TEST_F(NginxTransfer, CancelKeepsTheAnnouncementAndWhatArrived) {
    Publish(1024 * 1024);
    TDownloadRecorder recorder;
    recorder.CancelWhen = [](const THttpDownloadInfo& i) { return i.State == dsProgress && i.Total > 0; };
    EXPECT_EQ(Download(Url(L"/slow/"), recorder), 1);
    EXPECT_EQ(recorder.States(), "S P N");
    EXPECT_EQ(recorder.Seen.back().ResultCode, 1);
    EXPECT_FALSE(Exists(save_));
    EXPECT_FALSE(Exists(save_ + L".part"));
    const std::string side = ReadFileBytes(save_ + L".sdc");
    EXPECT_EQ(side.rfind("[server]\r\nContentLen=1048576\r\nLastModified=2019-03-05 08:09:10\r\n", 0), 0u) << side;
    const int64_t kept = Exists(save_ + L".tmp") ? sys::FileSize(save_ + L".tmp") : 0;
    const std::string have = kept > 0 ? "0-" + std::to_string(kept - 1) : "";
    EXPECT_NE(side.find("\r\nHave=" + have + "\r\n"), std::string::npos) << side;
}

// Without Last-Modified the finished file keeps the time it was written at.
TEST_F(NginxTransfer, MissingLastModifiedLeavesTheTimeOfWriting) {
    const std::string source = Publish(1000);
    SYSTEMTIME now;
    GetSystemTime(&now);
    TDownloadRecorder recorder;
    ASSERT_EQ(Download(Url(L"/nolm/"), recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), source);
    EXPECT_NEAR(FileWriteDateTime(save_), SystemTimeToDateTime(now), 60.0 / 86400);
}

TEST_F(NginxTransfer, SelfSignedCertificateIsRefused) {
    std::wstring text;
    EXPECT_FALSE(client_->GetText(testenv::NginxHttps() + L"/small.bin", nullptr, nullptr, text));
    EXPECT_EQ(text.rfind(L"发送请求失败:[12045]", 0), 0u) << text;
    EXPECT_EQ(client_->GetLastError().rfind(L"[12045]", 0), 0u);

    TDownloadRecorder recorder;
    EXPECT_EQ(client_->DownloadFile(testenv::NginxHttps() + L"/small.bin", save_, recorder.Handler(), 0, nullptr), -1);
    ASSERT_NE(recorder.First(dsFail), nullptr);
    EXPECT_EQ(recorder.First(dsFail)->Msg.rfind(L"获取下载包信息失败:", 0), 0u);
    EXPECT_FALSE(Exists(save_));
}

// Over HTTPS a redirect is followed only while it stays on HTTPS: nothing of the request may
// reach a plain-HTTP address, however the mirror redirects.
TEST_F(NginxTransfer, HttpsFollowsRedirectsOnlyWhileTheyStayOnHttps) {
    std::wstring trusted = testenv::NginxHttps();
    trusted.replace(trusted.find(L"127.0.0.1"), 9, L"localhost");
    const std::string source = Publish(1000);
    TDownloadRecorder moved;
    ASSERT_EQ(Download(trusted + L"/to-https/" + name_, moved), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), source);

    DeleteFileW(save_.c_str());
    TDownloadRecorder downgraded;
    EXPECT_EQ(Download(trusted + L"/to-http/" + name_, downgraded), -1);
    ASSERT_NE(downgraded.First(dsFail), nullptr);
    EXPECT_EQ(downgraded.First(dsFail)->Msg, L"获取下载包信息失败:HTTPS请求被重定向到非HTTPS地址，已拒绝：" +
                                                 testenv::NginxHttp() + L"/nolm/" + name_);
    // A last request elsewhere, once logged, vouches that every one before it is in the log.
    std::wstring text;
    client_->GetText(Url(L"/norange/"), nullptr, nullptr, text);
    ASSERT_NE(LogLine("GET /norange/" + NameA()), "");
    EXPECT_EQ(ReadFileBytes(testenv::NginxDir() + L"\\access.log").find("/nolm/" + NameA()), std::string::npos)
        << "the plain-HTTP mirror was asked";
    EXPECT_FALSE(Exists(save_));
}

TEST_F(NginxTransfer, UnreachableServerIsReportedWithTheConnectionError) {
    TDownloadRecorder recorder;
    EXPECT_EQ(client_->DownloadFile(L"http://127.0.0.1:1/small.bin", save_, recorder.Handler(), 0, nullptr), -1);
    ASSERT_NE(recorder.First(dsFail), nullptr);
    EXPECT_EQ(recorder.First(dsFail)->Msg,
              L"获取下载包信息失败:" + sys::SysErrorMessage(ERROR_INTERNET_CANNOT_CONNECT));
}

// An up-to-date final file ends the run with 0; a temporary file left from earlier must not
// replace it.
TEST_F(NginxTransfer, UpToDateFinalFileIsNeitherDeletedNorReplaced) {
    const std::string source = Publish(1000);
    TDownloadRecorder first;
    ASSERT_EQ(Download(Url(L"/"), first), 0) << client_->GetLastError();
    for (bool resumable : {true, false}) {
        client_->SetResumable(resumable);
        WriteFileBytes(save_ + L".tmp", "stale part");
        TDownloadRecorder recorder;
        EXPECT_EQ(Download(Url(L"/"), recorder), 0) << resumable;
        EXPECT_EQ(ReadFileBytes(save_), source) << resumable;
        EXPECT_EQ(recorder.States(), resumable ? "S P N" : "S N") << resumable;
    }
    // A resumable run learns from its HEAD alone that the file is there, a plain one from its GET's headers.
    EXPECT_EQ(MethodsLogged(), "HEAD GET HEAD GET ");
}

TEST_F(NginxTransfer, FailedMoveIntoPlaceIsReportedAndKeepsTheTemporaryFile) {
    const std::string source = Publish(1000);
    HANDLE lock = INVALID_HANDLE_VALUE;
    TDownloadRecorder recorder;
    recorder.CancelWhen = [&](const THttpDownloadInfo& i) {
        if (i.State == dsProgress && i.Downloaded == i.Total && lock == INVALID_HANDLE_VALUE)
            lock = CreateFileW((save_ + L".tmp").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        return false;
    };
    const int32_t result = Download(Url(L"/"), recorder);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CloseHandle(lock);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(recorder.States(), "S P F N");
    const THttpDownloadInfo* fail = recorder.First(dsFail);
    ASSERT_NE(fail, nullptr);
    EXPECT_EQ(fail->Msg.rfind(L"移动[" + save_ + L".tmp]文件到[" + save_ + L"]失败:", 0), 0u) << fail->Msg;
    EXPECT_EQ(recorder.Seen.back().ResultCode, -1);
    EXPECT_EQ(ReadFileBytes(save_ + L".tmp"), source);
    EXPECT_FALSE(Exists(save_));
}

}  // namespace
