// Downloads over two scripted lines that cap each connection: pieces from both, a line lost or
// silent half-way, lines that must stay out, a busy answer, parts with holes, and a cancel while
// a connect never completes. What the mirrors were asked is checked, not only the final bytes.
#include <winsock2.h>

#include <algorithm>
#include <memory>

#include "net/public/HttpResponseInfo.h"
#include "tests/net/ScriptedFixture.h"

using namespace nettest;

namespace {

constexpr size_t kMiB = 1024 * 1024;
const char kTagA[] = "\"5c7e2f46-400000\"";

struct TAsked {
    size_t First, Last;
};

// The ranges of a server's GETs, "bytes=a-" read up to the file's end.
std::vector<TAsked> RangesAsked(const testsrv::ScriptedHttpServer& server, size_t size) {
    std::vector<TAsked> asked;
    for (const auto& request : server.Requests()) {
        if (request.method != "GET") continue;
        size_t first = 0, last = size - 1;
        if (sscanf(request.Header("Range").c_str(), "bytes=%zu-%zu", &first, &last) < 1) first = 0;
        asked.push_back({first, last});
    }
    return asked;
}

size_t GetsOf(const testsrv::ScriptedHttpServer& server) { return RangesAsked(server, 1).size(); }

class LinesDownload : public ScriptedFixture {
protected:
    // A line serving body with ranges and a strong ETag, every connection capped at rate.
    static void Serve(testsrv::ScriptedHttpServer& server, const std::string& body, uint32_t rate,
                      const char* tag = kTagA) {
        testsrv::ScriptedResponse file = File(std::string());
        file.headers.push_back({"ETag", tag});
        file.bytesPerSecond = rate;
        server.Add(file, testsrv::AnyRequest(), true, testsrv::ServeRanges(body));
    }
    int32_t RunLines(TDownloadRecorder& recorder, bool standby = false, testsrv::ScriptedHttpServer* first = nullptr) {
        TDownloadSources sources;
        sources.UncappedConnection = uncapped_;
        sources.Urls = {(first ? *first : server_).Url(L"/pkg.bin")};
        if (other_) sources.Urls.push_back(other_->Url(L"/pkg.bin"));
        sources.OthersOnlyOnFailure = standby;
        return client_->DownloadFromLines(sources, save_, recorder.Handler(), 0, nullptr, &report_);
    }
    int64_t BytesOf(size_t line) const { return line < report_.size() ? report_[line].Bytes : -1; }

    std::unique_ptr<testsrv::ScriptedHttpServer> other_ = std::make_unique<testsrv::ScriptedHttpServer>();
    std::vector<TLineReport> report_;
    int64_t uncapped_ = TDownloadSources().UncappedConnection;
};

TEST_F(LinesDownload, BothCappedLinesCarryPiecesAndEveryByteIsRight) {
    const std::string body = testsrv::PatternBody(8 * kMiB, 41);
    Serve(server_, body, 1 * kMiB);
    Serve(*other_, body, 1 * kMiB);
    TDownloadRecorder recorder;
    ASSERT_EQ(RunLines(recorder), 0) << client_->GetLastError();
    EXPECT_TRUE(ReadFileBytes(save_) == body);
    EXPECT_GT(BytesOf(0), 0);
    EXPECT_GT(BytesOf(1), 0);
    EXPECT_EQ(BytesOf(0) + BytesOf(1), static_cast<int64_t>(body.size())) << "each byte counted once";
    EXPECT_GE(GetsOf(server_), 3u) << "a line that caps connections gets several";
    EXPECT_EQ(server_.Requests()[1].Header("If-Range"), kTagA);
    int64_t shown = 0;
    for (const THttpDownloadInfo& info : recorder.Seen) {
        EXPECT_GE(info.Downloaded, shown);
        shown = info.Downloaded;
    }
    EXPECT_FALSE(Exists(Side()));
}

// The other line goes away (refusing) or goes quiet (open, nothing arriving) a third of the way:
// its pieces go back and the first line finishes them.
TEST_F(LinesDownload, ALineLostHalfWayCostsNothing) {
    const std::string body = testsrv::PatternBody(8 * kMiB, 43);
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent" : "refusing");
        other_ = std::make_unique<testsrv::ScriptedHttpServer>();
        DeleteFileW(save_.c_str());
        if (!silent) Serve(server_, body, 512 * 1024);
        testsrv::ScriptedResponse quiet = File(std::string());
        quiet.headers.push_back({"ETag", kTagA});
        quiet.bytesPerSecond = 512 * 1024;
        quiet.stallAtByte = 200 * 1024;
        quiet.stallMidBodyMs = 60000;
        if (silent) {
            other_->Add(quiet, testsrv::AnyRequest(), true, testsrv::ServeRanges(body));
        } else {
            Serve(*other_, body, 512 * 1024);
        }
        TDownloadRecorder recorder;
        recorder.CancelWhen = [&](const THttpDownloadInfo& info) {
            if (!silent && info.Downloaded > static_cast<int64_t>(body.size() / 3)) other_.reset();
            return false;
        };
        ASSERT_EQ(RunLines(recorder), 0) << client_->GetLastError();
        EXPECT_TRUE(ReadFileBytes(save_) == body);
        EXPECT_GT(BytesOf(0), static_cast<int64_t>(body.size() / 2));
        EXPECT_GT(BytesOf(1), 0);
    }
}

// The other line serves another length, or the same length without ranges: it stays out or
// falls out, and the first line carries the file alone (on one connection: nothing caps it).
TEST_F(LinesDownload, ALineWithAnotherFileOrWithoutRangesDoesNotSpliceIn) {
    const std::string body = testsrv::PatternBody(3 * kMiB, 47);
    uncapped_ = 256 * 1024;  // what a connection at 4 MiB/s exceeds, however busy the machine
    Serve(server_, body, 4 * kMiB);
    Serve(*other_, body + "tail", 0, "\"other\"");
    TDownloadRecorder recorder;
    ASSERT_EQ(RunLines(recorder), 0) << client_->GetLastError();
    EXPECT_TRUE(ReadFileBytes(save_) == body);
    EXPECT_EQ(GetsOf(*other_), 0u) << "a line announcing another length is never asked for bytes";
    EXPECT_EQ(GetsOf(server_), 1u) << "a line faster than any cap keeps one connection";

    DeleteFileW(save_.c_str());
    other_ = std::make_unique<testsrv::ScriptedHttpServer>();
    testsrv::ScriptedResponse whole = File(body);
    whole.headers.push_back({"ETag", kTagA});
    whole.bytesPerSecond = 4 * kMiB;
    other_->Add(whole, testsrv::AnyRequest(), true);
    TDownloadRecorder unranged;
    ASSERT_EQ(RunLines(unranged), 0) << client_->GetLastError();
    EXPECT_TRUE(ReadFileBytes(save_) == body);
    EXPECT_EQ(BytesOf(1), 0) << "bytes of a whole-file answer to a range are never written";
}

// A 503 to the third connection costs that connection, not the run; a standby line is not
// asked while the checked line works.
TEST_F(LinesDownload, BusyAnswerTakesOneConnectionOffAndAStandbyLineWaits) {
    const std::string body = testsrv::PatternBody(6 * kMiB, 53);
    testsrv::ScriptedResponse busy;
    busy.status = 503;
    busy.reason = "Service Unavailable";
    testsrv::ScriptedResponse file = File(std::string());
    file.headers.push_back({"ETag", kTagA});
    file.bytesPerSecond = 1 * kMiB;
    server_.Add(file, testsrv::IsHead(), true, testsrv::ServeRanges(body));
    server_.Add(file, testsrv::IsGet(), false, testsrv::ServeRanges(body));
    server_.Add(file, testsrv::IsGet(), false, testsrv::ServeRanges(body));
    server_.Add(busy, testsrv::IsGet());
    server_.Add(file, testsrv::IsGet(), true, testsrv::ServeRanges(body));
    Serve(*other_, body, 0);
    TDownloadRecorder recorder;
    ASSERT_EQ(RunLines(recorder, true), 0) << client_->GetLastError();
    EXPECT_TRUE(ReadFileBytes(save_) == body);
    EXPECT_EQ(recorder.First(dsFail), nullptr);
    EXPECT_GE(GetsOf(server_), 4u) << "the 503 and the connections that carried the file";
    EXPECT_TRUE(other_->Requests().empty()) << "the line the user did not choose stands by";
}

// The line the user chose breaks off after its first megabyte, or refuses the first GET after
// its HEAD, and then refuses: the line standing by carries the rest, from the byte the first
// one reached.
TEST_F(LinesDownload, AStandbyLineTakesOverWhenTheChosenLineFails) {
    const std::string body = testsrv::PatternBody(3 * kMiB, 61);
    for (const size_t reached : {kMiB, size_t{0}}) {
        SCOPED_TRACE(reached);
        testsrv::ScriptedHttpServer chosen;
        other_ = std::make_unique<testsrv::ScriptedHttpServer>();
        DeleteFileW(save_.c_str());
        testsrv::ScriptedResponse file = File(std::string());
        file.headers.push_back({"ETag", kTagA});
        testsrv::ScriptedResponse cut = file;
        cut.cutAfterBytes = kMiB;
        testsrv::ScriptedResponse refused;
        refused.status = 500;
        refused.reason = "Internal Server Error";
        chosen.Add(file, testsrv::IsHead(), true, testsrv::ServeRanges(body));
        if (reached > 0) chosen.Add(cut, testsrv::IsGet(), false, testsrv::ServeRanges(body));
        chosen.Add(refused, testsrv::IsGet(), true);
        Serve(*other_, body, 0);
        TDownloadRecorder recorder;
        ASSERT_EQ(RunLines(recorder, true, &chosen), 0) << client_->GetLastError();
        EXPECT_TRUE(ReadFileBytes(save_) == body);
        const std::vector<TAsked> asked = RangesAsked(*other_, body.size());
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(std::min_element(asked.begin(), asked.end(), [](auto a, auto b) { return a.First < b.First; })->First,
                  reached)
            << "what the chosen line delivered is not asked again";
        EXPECT_EQ(BytesOf(0), static_cast<int64_t>(reached));
        EXPECT_EQ(BytesOf(1), static_cast<int64_t>(body.size() - reached));
    }
}

// A part with holes from an earlier run: only the holes are asked for, and a part of the earlier
// format (one range from 0, no Have) continues from its length.
TEST_F(LinesDownload, PartWithHolesResumesOnlyTheHoles) {
    const std::string body = testsrv::PatternBody(4 * kMiB, 59);
    std::string part(3 * kMiB, '\0');
    part.replace(0, kMiB, body.substr(0, kMiB));
    part.replace(2 * kMiB, kMiB, body.substr(2 * kMiB, kMiB));
    WriteFileBytes(save_ + L".part", part);
    WriteFileBytes(Side(), "[server]\r\nContentLen=4194304\r\nLastModified=2019-03-05 08:09:10\r\nLine1=x\r\n"
                           "Line1ETag=" + std::string(kTagA) + "\r\nHave=0-1048575,2097152-3145727\r\n");
    Serve(server_, body, 0);
    other_.reset();
    TDownloadRecorder recorder;
    ASSERT_EQ(RunLines(recorder), 0) << client_->GetLastError();
    EXPECT_TRUE(ReadFileBytes(save_) == body);
    for (const TAsked& asked : RangesAsked(server_, body.size())) {
        const bool inHole = (asked.First >= kMiB && asked.Last < 2 * kMiB) || asked.First >= 3 * kMiB;
        EXPECT_TRUE(inHole) << "asked " << asked.First << "-" << asked.Last;
    }
    EXPECT_EQ(BytesOf(0), static_cast<int64_t>(2 * kMiB));
}

// A part is continued, not deleted, while a line still serves its file: the other line under
// the recorded ETag while the checked line serves another copy, or both lines resynced under a
// new ETag (then the part's first bytes tell, from the checked line).
TEST_F(LinesDownload, PartIsKeptWhileALineStillServesItsFile) {
    const std::string body = testsrv::PatternBody(3 * kMiB, 67);
    struct Row {
        const char* name;
        int checkedSeed;
        const char *checkedTag, *otherTag;
        size_t checkedStarts;  // at least so many GETs of the first 256 KiB alone: comparisons
    };
    const Row rows[] = {
        {"other line keeps the file", 68, "\"rebuilt\"", kTagA, 0},
        {"both resynced", 67, "\"resynced\"", "\"resynced\"", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsrv::ScriptedHttpServer checked;
        other_ = std::make_unique<testsrv::ScriptedHttpServer>();
        DeleteFileW(save_.c_str());
        WriteFileBytes(Temp(), body.substr(0, kMiB));
        WriteFileBytes(Side(), "[server]\r\nContentLen=3145728\r\nLastModified=2019-03-05 08:09:10\r\nLine1=x\r\n"
                               "Line1ETag=" + std::string(kTagA) + "\r\nHave=0-1048575\r\n");
        Serve(checked, testsrv::PatternBody(3 * kMiB, row.checkedSeed), 0, row.checkedTag);
        Serve(*other_, body, 0, row.otherTag);
        TDownloadRecorder recorder;
        ASSERT_EQ(RunLines(recorder, false, &checked), 0) << client_->GetLastError();
        EXPECT_TRUE(ReadFileBytes(save_) == body);
        size_t checkedStarts = 0;
        for (const testsrv::ScriptedHttpServer* line : {&checked, other_.get()})
            for (const TAsked& asked : RangesAsked(*line, body.size())) {
                const bool start = asked.First == 0 && asked.Last == 262143;
                checkedStarts += start && line == &checked;
                EXPECT_TRUE(start || asked.First >= kMiB) << "the part's megabyte is asked again: " << asked.First;
            }
        EXPECT_GE(checkedStarts, row.checkedStarts);
    }
}

// A line whose connect never completes (a listener that never accepts, its backlog full): the
// caller still hears from the run every 100 ms and a cancel returns within 250 ms.
TEST_F(LinesDownload, CancelDuringAConnectThatNeverAnswersReturnsAtOnce) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<SOCKET> filling;
    for (int i = 0; i < 8; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        filling.push_back(s);
    }
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/pkg.bin";
    TDownloadRecorder recorder;
    ULONGLONG cancelledAt = 0;
    recorder.CancelWhen = [&](const THttpDownloadInfo& info) {
        if (info.State != dsProgress || recorder.Seen.size() < 5) return false;
        cancelledAt = GetTickCount64();
        return true;
    };
    EXPECT_EQ(client_->DownloadFile(url, save_, recorder.Handler(), 0, nullptr), 1);
    EXPECT_LT(GetTickCount64() - cancelledAt, 250u);
    EXPECT_EQ(recorder.States(), "S P N");
    for (SOCKET s : filling) closesocket(s);
    closesocket(listener);
}

}  // namespace
