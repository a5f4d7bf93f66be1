// The download's decisions against exact server behaviour: notification order, cancel answers,
// resume or restart, short bodies, stalls, size limit, and what each outcome leaves on disk.
#include <algorithm>

#include "net/public/DateTimeUtils.h"
#include "sys/SysUtils.h"
#include "net/public/HttpResponseInfo.h"
#include "tests/net/ScriptedFixture.h"

using namespace nettest;
using testsrv::IsGet;
using testsrv::IsGetWithRange;
using testsrv::IsGetWithoutRange;
using testsrv::IsHead;

namespace {

using ScriptedDownload = ScriptedFixture;

TEST_F(ScriptedDownload, SuccessNotifiesInOrderMovesIntoPlaceAndStampsTheServerTime) {
    const std::string body = testsrv::PatternBody(1000);
    server_.Add(File(body), IsHead());
    server_.Add(File(body), IsGet());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder, L"/pkg.bin", 7), 0) << client_->GetLastError();
    EXPECT_EQ(recorder.States(), "S P N");
    for (const THttpDownloadInfo& info : recorder.Seen) {
        EXPECT_EQ(info.Version, 1);
        EXPECT_EQ(info.Tag, 7);
    }
    EXPECT_EQ(recorder.Seen[0].Total, 0);
    EXPECT_EQ(recorder.Seen[0].ResultCode, -1);
    const THttpDownloadInfo& finish = recorder.Seen.back();
    EXPECT_EQ(recorder.Seen[recorder.Seen.size() - 2].Downloaded, 1000);
    EXPECT_EQ(finish.Downloaded, 1000);
    EXPECT_EQ(finish.Total, 1000);
    EXPECT_EQ(finish.ResultCode, 0);
    EXPECT_EQ(ReadFileBytes(save_), body);
    EXPECT_FALSE(Exists(Temp()));
    EXPECT_FALSE(Exists(Side()));
    EXPECT_EQ(FormatDateTime(FileWriteDateTime(save_)), L"2019-03-05 08:09:10");
}

TEST_F(ScriptedDownload, CancelAtStartIsAFailureAndSendsNothing) {
    TDownloadRecorder recorder;
    recorder.CancelWhen = [](const THttpDownloadInfo& i) { return i.State == dsStart; };
    EXPECT_EQ(Run(recorder), -1);
    EXPECT_EQ(recorder.States(), "S N");
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(ScriptedDownload, CancelAnswersAfterTheDataEndedAreIgnored) {
    const std::string body = testsrv::PatternBody(300);
    server_.Add(File(body), IsHead());
    server_.Add(File(body), IsGet());
    TDownloadRecorder recorder;
    recorder.CancelWhen = [](const THttpDownloadInfo& i) { return i.State == dsProgress && i.Downloaded == 300; };
    EXPECT_EQ(Run(recorder), 0);
    EXPECT_EQ(ReadFileBytes(save_), body);
}

TEST_F(ScriptedDownload, BodyCutShortKeepsThePartAndTheNextRunResumesIt) {
    const std::string body = testsrv::PatternBody(1000, 5);
    testsrv::ScriptedResponse cut = File(body);
    cut.cutAfterBytes = 400;
    server_.Add(File(body), IsHead());
    server_.Add(cut, IsGet());
    TDownloadRecorder first;
    EXPECT_EQ(Run(first), -1);
    EXPECT_EQ(first.States(), "S P F N");
    ASSERT_NE(first.First(dsFail), nullptr);
    EXPECT_EQ(first.First(dsFail)->Msg, L"下载文件与服务器上记录的大小不一致，请重试!");
    EXPECT_EQ(client_->GetLastError(), first.First(dsFail)->Msg);
    EXPECT_EQ(ReadFileBytes(Temp()), body.substr(0, 400));
    EXPECT_TRUE(Exists(Side()));
    EXPECT_FALSE(Exists(save_));

    server_.Add(File(body), IsHead());
    server_.Add(Partial(body, 400), IsGetWithRange());
    TDownloadRecorder second;
    ASSERT_EQ(Run(second), 0) << client_->GetLastError();
    EXPECT_EQ(server_.Requests().back().Header("Range"), "bytes=400-");
    EXPECT_EQ(ReadFileBytes(save_), body);
}

// A line or a mirror that does not deliver the announced package: the run fails, no final file
// appears, and T and S are kept only while T can still be the package's beginning.
TEST_F(ScriptedDownload, TransfersThatDoNotDeliverTheAnnouncedPackageFail) {
    const std::string body = testsrv::PatternBody(1000, 31);
    const std::wstring mismatch = L"下载文件与服务器上记录的大小不一致，请重试!";
    auto chunked = [&](const std::string& data, int64_t cut = -1) {
        testsrv::ScriptedResponse r = File(data);
        r.chunked = true;
        r.cutAfterBytes = cut;
        return r;
    };
    testsrv::ScriptedResponse early = Partial(body, 400);
    early.body = body.substr(0, 600);
    early.headers.back().second = "bytes 0-599/1000";
    testsrv::ScriptedResponse unranged = Partial(body, 400);
    unranged.headers.pop_back();
    testsrv::ScriptedResponse refused;
    refused.status = 416;
    refused.reason = "Range Not Satisfiable";
    testsrv::ScriptedResponse huge = File(body);
    huge.headers.push_back({"Content-Length", "5368709120"});
    testsrv::ScriptedResponse unframed = File(body);
    unframed.sendContentLength = false;
    testsrv::ScriptedResponse hugePart = Partial(body, 0);
    hugePart.headers.back().second = "bytes 0-999/5368709120";
    testsrv::ScriptedResponse unavailable;
    unavailable.status = 503;
    unavailable.reason = "Service Unavailable";
    struct Case {
        const char* name;
        bool partial;  // T holds the first 400 bytes and S matches
        testsrv::ScriptedResponse head, get;
        std::wstring msg;
        int tempLeft;  // bytes of the package's beginning left in T, -1: no T
        bool sideKept;
        size_t requests;
    };
    const Case cases[] = {
        {"206 from another offset", true, File(body), Partial(body, 300), mismatch, -1, false, 2},
        {"206 from offset 0, as long as what is missing", true, File(body), early, mismatch, -1, false, 2},
        {"206 of another length", true, File(body), Partial(body + "tail", 400), mismatch, -1, false, 2},
        {"206 without a range", true, File(body), unranged, mismatch, -1, false, 2},
        {"range refused", true, File(body), refused, L"[416]Range Not Satisfiable", -1, false, 2},
        {"chunked and longer", false, File(body), chunked(body + "more"), mismatch, -1, false, 2},
        {"chunked and shorter", false, File(body), chunked(body.substr(0, 600)), mismatch, 600, true, 2},
        {"chunked and cut", false, File(body), chunked(body, 500), mismatch, 500, true, 2},
        {"5 GiB announced", false, huge, File(body), L"超过下载文件大小限制！", -1, false, 1},
        {"5 GiB in the GET only", false, unframed, huge, L"超过下载文件大小限制！", -1, true, 2},
        {"206 of 5 GiB, none announced", false, unframed, hugePart, L"超过下载文件大小限制！", -1, true, 2},
        {"503 on resuming", true, File(body), unavailable, L"[503]Service Unavailable", 400, true, 2},
    };
    for (const Case& c : cases) {
        if (c.partial) LeavePartial(body.substr(0, 400), 1000);
        server_.Add(c.head, IsHead());
        if (c.requests > 1) server_.Add(c.get, IsGet());
        const size_t before = server_.Requests().size();
        TDownloadRecorder recorder;
        EXPECT_EQ(Run(recorder), -1) << c.name;
        ASSERT_NE(recorder.First(dsFail), nullptr) << c.name;
        EXPECT_EQ(recorder.First(dsFail)->Msg, c.msg) << c.name;
        EXPECT_EQ(server_.Requests().size() - before, c.requests) << c.name;
        EXPECT_FALSE(Exists(save_)) << c.name;
        EXPECT_EQ(Exists(Temp()), c.tempLeft >= 0) << c.name;
        if (c.tempLeft >= 0) {
            EXPECT_EQ(ReadFileBytes(Temp()), body.substr(0, c.tempLeft)) << c.name;
        }
        EXPECT_EQ(Exists(Side()), c.sideKept) << c.name;
        DeleteFileW(Temp().c_str());
        DeleteFileW(Side().c_str());
    }
}

// The resumed request names the date the side file matched; a mirror whose file changed since
// answers with the whole new file, which replaces the part.
TEST_F(ScriptedDownload, RangeAnsweredWithWholeFileRestartsFromZero) {
    const std::string body = testsrv::PatternBody(1000, 9);
    LeavePartial(std::string(400, 'J'), 1000);
    server_.Add(File(body), IsHead());
    server_.Add(File(body), IsGetWithRange());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), body);
    const std::vector<std::string> names = HeaderNames(server_.Requests().back());
    const auto range = std::find(names.begin(), names.end(), "range");
    ASSERT_NE(range, names.end());
    ASSERT_NE(range + 1, names.end());
    EXPECT_EQ(range[1], "if-range");
    EXPECT_EQ(server_.Requests().back().Header("If-Range"), kServerDate);
    int64_t shown = 0;
    for (const THttpDownloadInfo& info : recorder.Seen) {
        EXPECT_GE(info.Downloaded, shown) << "the replaced part is never counted, so the figure never goes back";
        shown = info.Downloaded;
    }
    EXPECT_EQ(recorder.Seen.back().Downloaded, 1000);
}

TEST_F(ScriptedDownload, ChangedAnnouncementDeletesThePartAndStartsOver) {
    const std::string body = testsrv::PatternBody(1000, 11);
    for (const char* stale : {"2019-03-05 08:09:11", kServerDateText}) {
        const size_t announced = stale == kServerDateText ? 2000 : 1000;
        LeavePartial(std::string(400, 'J'), announced, stale);
        server_.Add(File(body), IsHead());
        server_.Add(File(body), IsGetWithoutRange());
        TDownloadRecorder recorder;
        ASSERT_EQ(Run(recorder), 0) << stale;
        EXPECT_EQ(ReadFileBytes(save_), body);
        EXPECT_EQ(server_.Requests().back().requestLine, "GET /pkg.bin HTTP/1.1");
        DeleteFileW(save_.c_str());
    }
}

TEST_F(ScriptedDownload, CompleteTemporaryFileIsMovedWithoutAGet) {
    const std::string body = testsrv::PatternBody(1000, 13);
    LeavePartial(body, 1000);
    server_.Add(File(body), IsHead());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder), 0);
    EXPECT_EQ(recorder.States(), "S P N");
    EXPECT_EQ(recorder.Seen.back().Downloaded, 1000);
    EXPECT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(ReadFileBytes(save_), body);
    EXPECT_FALSE(Exists(Side())) << "a finished package leaves nothing to resume";
    EXPECT_EQ(FormatDateTime(FileWriteDateTime(save_)), L"2019-03-05 08:09:10");
}

TEST_F(ScriptedDownload, MissingLastModifiedIsNotComparedAndMissingLengthSkipsTheSizeCheck) {
    const std::string body = testsrv::PatternBody(1000, 15);
    LeavePartial(body.substr(0, 300), 1000, "2001-01-01 00:00:00");
    server_.Add(File(body, false), IsHead());
    server_.Add(Partial(body, 300), IsGetWithRange());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), body) << "only the length decides when no date is announced";
    EXPECT_FALSE(server_.Requests().back().HasHeader("If-Range"));

    DeleteFileW(save_.c_str());
    testsrv::ScriptedResponse unframed = File(body);
    unframed.sendContentLength = false;
    testsrv::ScriptedResponse hugePart = Partial(body, 0);
    hugePart.headers.back().second = "bytes 0-999/5368709120";
    testsrv::ScriptedResponse unavailable;
    unavailable.status = 503;
    unavailable.reason = "Service Unavailable";
    server_.Add(unframed, IsHead());
    server_.Add(unframed, IsGet());
    TDownloadRecorder plain;
    ASSERT_EQ(Run(plain), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), body);
    for (const THttpDownloadInfo& info : plain.Seen) EXPECT_EQ(info.Total, 0);
}

// A server that goes quiet before answering the GET or in the middle of the body: the run fails
// within the time-out instead of hanging, and the final file is not touched.
TEST_F(ScriptedDownload, StallPastTheTimeoutFailsTheRun) {
    client_->SetTimeout(800);
    const std::string body = testsrv::PatternBody(1000);
    testsrv::ScriptedResponse beforeAnswer = File(body);
    beforeAnswer.stallBeforeMs = 5000;
    testsrv::ScriptedResponse midBody = File(body);
    midBody.stallAtByte = 200;
    midBody.stallMidBodyMs = 5000;
    struct Case { testsrv::ScriptedResponse get; const char* states; const wchar_t* prefix; };
    for (const Case& c : {Case{beforeAnswer, "S P F N", L"[120"}, Case{midBody, "S P F N", L"从网络读取文件失败"}}) {
        server_.Add(File(body), IsHead());
        server_.Add(c.get, IsGet());
        TDownloadRecorder recorder;
        const ULONGLONG started = GetTickCount64();
        EXPECT_EQ(Run(recorder), -1) << c.states;
        EXPECT_LT(GetTickCount64() - started, 4500u);
        EXPECT_EQ(recorder.States(), c.states);
        ASSERT_NE(recorder.First(dsFail), nullptr);
        EXPECT_EQ(recorder.First(dsFail)->Msg.rfind(c.prefix, 0), 0u) << recorder.First(dsFail)->Msg;
        EXPECT_FALSE(Exists(save_));
    }
}

// A pause of over a second inside the body closes one measuring window: that chunk is notified
// with the window's rate, and with -1 as remaining time when the server announced no length.
TEST_F(ScriptedDownload, MeasuringWindowGivesRateAndRemainingTime) {
    const std::string body = testsrv::PatternBody(1000);
    for (bool announced : {true, false}) {
        testsrv::ScriptedResponse slow = File(body);
        slow.sendContentLength = announced;
        slow.stallAtByte = 200;
        slow.stallMidBodyMs = 1300;
        testsrv::ScriptedResponse head = File(body);
        head.sendContentLength = announced;
        server_.Add(head, IsHead());
        server_.Add(slow, IsGet());
        TDownloadRecorder recorder;
        ASSERT_EQ(Run(recorder), 0) << announced;
        ASSERT_EQ(recorder.States(), "S P N") << announced;
        const auto measured = std::find_if(recorder.Seen.begin(), recorder.Seen.end(),
                                           [](const THttpDownloadInfo& i) { return i.Speed > 0; });
        ASSERT_NE(measured, recorder.Seen.end()) << announced;
        const THttpDownloadInfo& periodic = *measured;
        EXPECT_EQ(periodic.Downloaded, 1000);
        EXPECT_GE(periodic.Speed, 256) << "the 1000 bytes over the 1.3 s pause, on a machine up to 3 times slower";
        EXPECT_LE(periodic.Speed, 1000) << "at most the 1000 bytes in a window of at least a second";
        EXPECT_EQ(periodic.RemainingMs, announced ? 0 : -1);
        EXPECT_EQ(periodic.RemainingText, announced ? "00:00:00" : "--:--:--");
        EXPECT_EQ(recorder.Seen[recorder.Seen.size() - 2].Speed, periodic.Speed)
            << "the end of data repeats the last figures";
        EXPECT_EQ(recorder.Seen.back().Speed, 0);
        DeleteFileW(save_.c_str());
    }
}

TEST_F(ScriptedDownload, SizeLimitAppliesOnlyWhenResumable) {
    const std::string body = testsrv::PatternBody(1000);
    client_->SetMaxFileSize(999);
    server_.Add(File(body), IsHead());
    TDownloadRecorder limited;
    EXPECT_EQ(Run(limited), -1);
    ASSERT_NE(limited.First(dsFail), nullptr);
    EXPECT_EQ(limited.First(dsFail)->Msg, L"超过下载文件大小限制！");
    EXPECT_EQ(server_.Requests().size(), 1u);

    testsrv::ScriptedResponse unframed = File(body);
    unframed.sendContentLength = false;
    testsrv::ScriptedResponse chunked = File(body + body);
    chunked.chunked = true;
    server_.Add(unframed, IsHead());
    server_.Add(chunked, IsGet());
    TDownloadRecorder unannounced;
    EXPECT_EQ(Run(unannounced), -1);
    ASSERT_NE(unannounced.First(dsFail), nullptr);
    EXPECT_EQ(unannounced.First(dsFail)->Msg, L"超过下载文件大小限制！");
    EXPECT_LE(sys::FileSize(Temp()), 999);

    client_->SetResumable(false);
    server_.Add(File(body), IsGet());
    TDownloadRecorder plain;
    EXPECT_EQ(Run(plain), 0);
    EXPECT_EQ(ReadFileBytes(save_), body);
}

TEST_F(ScriptedDownload, TemporaryFileThatCannotBeMadeFailsTheRun) {
    const std::string body = testsrv::PatternBody(1000);
    ASSERT_TRUE(CreateDirectoryW(Temp().c_str(), nullptr));
    server_.Add(File(body), IsHead());
    server_.Add(File(body), IsGet());
    TDownloadRecorder recorder;
    EXPECT_EQ(Run(recorder), -1);
    ASSERT_NE(recorder.First(dsFail), nullptr);
    EXPECT_EQ(recorder.First(dsFail)->Msg, L"创建下载文件失败:" + sys::SysErrorMessage(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(Exists(save_));
    RemoveDirectoryW(Temp().c_str());
}

TEST_F(ScriptedDownload, FailuresReachLastErrorOnlyThroughAHandler) {
    testsrv::ScriptedResponse missing;
    missing.status = 404;
    missing.reason = "Nope";
    server_.Add(missing, IsHead(), true);
    EXPECT_EQ(client_->DownloadFile(server_.Url(L"/pkg.bin"), save_, nullptr, 0, nullptr), -1);
    EXPECT_EQ(client_->GetLastError(), L"[404]Nope");

    TDownloadRecorder recorder;
    EXPECT_EQ(Run(recorder), -1);
    EXPECT_EQ(recorder.States(), "S P F N");
    EXPECT_EQ(client_->GetLastError(), recorder.First(dsFail)->Msg);
    EXPECT_EQ(client_->GetLastError(), L"获取下载包信息失败:[404]Nope");
}

// An old final file that cannot be removed (held open without sharing, or a folder of that
// name) fails the run; the finished temporary file stays for the next attempt.
TEST_F(ScriptedDownload, FinalNameThatCannotBeReplacedFailsAndKeepsTheData) {
    const std::string body = testsrv::PatternBody(500, 21);
    for (bool folder : {false, true}) {
        HANDLE held = INVALID_HANDLE_VALUE;
        if (folder) {
            ASSERT_TRUE(CreateDirectoryW(save_.c_str(), nullptr));
        } else {
            WriteFileBytes(save_, "old");
            held = CreateFileW(save_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        server_.Add(File(body), IsHead());
        server_.Add(File(body), IsGet());
        TDownloadRecorder recorder;
        EXPECT_EQ(Run(recorder), -1) << folder;
        EXPECT_EQ(recorder.States(), "S P F N");
        ASSERT_NE(recorder.First(dsFail), nullptr);
        EXPECT_EQ(recorder.First(dsFail)->Msg.rfind(L"删除[" + save_ + L"]文件失败:", 0), 0u);
        EXPECT_EQ(recorder.Seen.back().ResultCode, -1);
        EXPECT_EQ(ReadFileBytes(Temp()), body);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        DeleteFileW(save_.c_str());
        RemoveDirectoryW(save_.c_str());
        DeleteFileW(Temp().c_str());
    }
}

TEST_F(ScriptedDownload, DownloadedSizePrefersTheTemporaryFile) {
    EXPECT_EQ(client_->GetDownloadedSize(save_), 0);
    WriteFileBytes(save_, std::string(30, 'p'));
    EXPECT_EQ(client_->GetDownloadedSize(save_), 30);
    LeavePartial(std::string(12, 't'), 100);
    EXPECT_EQ(client_->GetDownloadedSize(save_), 12);
    EXPECT_TRUE(client_->DeleteDownloadFiles(save_));
    EXPECT_FALSE(Exists(save_));
    EXPECT_FALSE(Exists(Temp()));
    EXPECT_FALSE(Exists(Side()));
    EXPECT_TRUE(client_->DeleteDownloadFiles(save_)) << "nothing left to delete is still a success";
}

// The hook sees the announcement and may take over: its object name, range and save path win.
TEST_F(ScriptedDownload, BeforeDownloadHookThatHandlesTheRunSteersTheRequest) {
    const std::string body = testsrv::PatternBody(1000, 23);
    WriteFileBytes(Temp(), body.substr(0, 250));
    const std::wstring elsewhere = dir_ + L"other.bin";
    uint32_t seenLength = 0;
    client_->SetOnBeforeDownload([&](IHttpClient*, std::wstring& objectName, std::wstring& savePath, int32_t& tag,
                                     const std::wstring& verb, IHttpHeaders*&, uint32_t& offset,
                                     uint32_t& contentLength, bool& resume, bool& handled) {
        EXPECT_EQ(objectName, L"/pkg.bin");
        EXPECT_EQ(verb, L"GET");
        seenLength = contentLength;
        objectName = L"/mirror/pkg.bin";
        savePath = elsewhere;
        tag = 42;
        offset = 250;
        resume = true;
        handled = true;
    });
    server_.Add(File(body), IsHead());
    server_.Add(Partial(body, 250), IsGetWithRange());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder), 0) << client_->GetLastError();
    EXPECT_EQ(seenLength, 1000u);
    EXPECT_EQ(server_.Requests().back().requestLine, "GET /mirror/pkg.bin HTTP/1.1");
    EXPECT_EQ(server_.Requests().back().Header("Range"), "bytes=250-");
    EXPECT_EQ(recorder.Seen.back().Tag, 42);
    EXPECT_EQ(ReadFileBytes(elsewhere), body);
    EXPECT_FALSE(Exists(save_));
}

TEST_F(ScriptedDownload, SavePathProblemsAreReportedBeforeAnyRequest) {
    TDownloadRecorder empty;
    EXPECT_EQ(client_->DownloadFile(server_.Url(L"/pkg.bin"), L"", empty.Handler(), 0, nullptr), -1);
    EXPECT_EQ(empty.States(), "F");
    EXPECT_EQ(empty.Seen[0].Msg, L"下载保存路径为空！");

    TDownloadRecorder bare;
    EXPECT_EQ(client_->DownloadFile(server_.Url(L"/pkg.bin"), L"pkg.bin", bare.Handler(), 0, nullptr), -1);
    EXPECT_EQ(bare.States(), "E");
    EXPECT_TRUE(server_.Requests().empty());

    const std::string body = testsrv::PatternBody(100);
    server_.Add(File(body), IsHead());
    server_.Add(File(body), IsGet());
    save_ = dir_ + L"a\\b\\pkg.bin";
    TDownloadRecorder nested;
    EXPECT_EQ(Run(nested), 0) << "missing folders are created";
    EXPECT_EQ(ReadFileBytes(save_), body);
}

}  // namespace
