// What goes over the wire: request lines, header order, the status rule and the attempt count.
#include <algorithm>

#include "net/public/DateTimeUtils.h"
#include "tests/net/ScriptedFixture.h"

using namespace nettest;
using testsrv::IsGet;
using testsrv::IsGetWithRange;
using testsrv::IsHead;

namespace {

using RequestShape = ScriptedFixture;

size_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

TEST_F(RequestShape, ResumedGetCarriesFixedHeadersThenRangeInOrder) {
    const std::string body = testsrv::PatternBody(1000);
    LeavePartial(body.substr(0, 400), 1000);
    server_.Add(File(body), IsHead());
    server_.Add(Partial(body, 400), IsGetWithRange());
    TDownloadRecorder recorder;
    ASSERT_EQ(Run(recorder, L"/dir/pkg.bin?x=1"), 0) << client_->GetLastError();
    EXPECT_EQ(ReadFileBytes(save_), body);

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "HEAD /dir/pkg.bin?x=1 HTTP/1.1");
    EXPECT_FALSE(requests[0].HasHeader("Range"));
    EXPECT_FALSE(requests[0].HasHeader("Content-type"));
    EXPECT_EQ(requests[0].Header("User-Agent"), "test_net.exe") << "the probe goes out with the agent";

    const testsrv::RecordedRequest& get = requests[1];
    EXPECT_EQ(get.requestLine, "GET /dir/pkg.bin?x=1 HTTP/1.1");
    EXPECT_EQ(get.Header("User-Agent"), kFixedUserAgent);
    EXPECT_EQ(get.Header("Content-type"), "application/octet-stream");
    EXPECT_EQ(get.Header("Accept-Ranges"), "bytes");
    EXPECT_EQ(get.Header("Range"), "bytes=400-");
    const auto names = HeaderNames(get);
    EXPECT_LT(IndexOf(names, "user-agent"), IndexOf(names, "content-type"));
    EXPECT_LT(IndexOf(names, "content-type"), IndexOf(names, "accept-ranges"));
    EXPECT_LT(IndexOf(names, "accept-ranges"), IndexOf(names, "range"));
    EXPECT_LT(IndexOf(names, "range"), names.size());

    const THttpDownloadInfo& last = recorder.Seen[recorder.Seen.size() - 2];
    EXPECT_EQ(last.State, dsProgress);
    EXPECT_EQ(last.Downloaded, 1000) << "the 400 bytes kept count with the 600 received";
    EXPECT_EQ(last.Total, 1000);
}

TEST_F(RequestShape, PlainDownloadSendsOneGetForSlashWithoutRangeAndDropsTheSideFile) {
    client_->SetResumable(false);
    const std::string body = testsrv::PatternBody(700, 3);
    LeavePartial("stale", 700);
    server_.Add(File(body), IsGet());
    TDownloadRecorder recorder;
    ASSERT_EQ(client_->DownloadFile(server_.Url(L""), save_, recorder.Handler(), 0, nullptr), 0);
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET / HTTP/1.1");
    EXPECT_FALSE(requests[0].HasHeader("Range"));
    EXPECT_FALSE(requests[0].HasHeader("Accept-Ranges"));
    EXPECT_EQ(ReadFileBytes(save_), body) << "the stale temporary file is rewritten from 0";
    EXPECT_FALSE(Exists(Side()));
}

TEST_F(RequestShape, OnlyStatus200And206CountAsSuccess) {
    testsrv::ScriptedResponse partial = File("part");
    partial.status = 206;
    partial.reason = "Partial Content";
    server_.Add(partial);
    testsrv::ScriptedResponse missing = File("gone");
    missing.status = 404;
    missing.reason = "Not Found Here";
    server_.Add(missing);
    std::wstring text;
    EXPECT_TRUE(client_->GetText(server_.Url(L"/a"), nullptr, nullptr, text));
    EXPECT_EQ(text, L"part");
    EXPECT_FALSE(client_->GetText(server_.Url(L"/b"), nullptr, nullptr, text));
    EXPECT_EQ(text, L"发送请求失败:[404]Not Found Here");
    EXPECT_EQ(client_->GetLastError(), L"[404]Not Found Here");
}

TEST_F(RequestShape, RetryCountBoundsTheAttemptsAndZeroSendsNothing) {
    testsrv::ScriptedResponse busy = File("");
    busy.status = 503;
    busy.reason = "Busy";
    server_.Add(busy, testsrv::AnyRequest(), true);
    client_->SetRetryCount(3);
    EXPECT_FALSE(client_->Head(server_.Url(L"/x"), nullptr));
    EXPECT_EQ(server_.Requests().size(), 3u);
    EXPECT_EQ(client_->GetLastError(), L"[503]Busy");

    client_->SetRetryCount(0);
    static_cast<THttpClient*>(client_.Get())->SetLastErrorText(L"earlier");
    std::wstring text;
    EXPECT_FALSE(client_->GetText(server_.Url(L"/y"), nullptr, nullptr, text));
    EXPECT_EQ(text, L"发送请求失败:earlier");
    EXPECT_EQ(server_.Requests().size(), 3u);
}

struct TFixedHeaders : IHttpHeaders {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    int32_t GetCount() override { return static_cast<int32_t>(entries.size()); }
    std::wstring GetName(int32_t i) override { return entries[static_cast<size_t>(i)].first; }
    std::wstring GetLine(int32_t) override { return L"never asked"; }
    std::wstring GetValue(int32_t i) override { return entries[static_cast<size_t>(i)].second; }
};

TEST_F(RequestShape, CallerHeadersFollowTheFixedOnesWithTrimmedNames) {
    server_.Add(File("ok"));
    TFixedHeaders headers;
    headers.entries = {{L"  X-One\t", L"1"}, {L" \r ", L"skipped"}, {L"X-Two", L"two words"}};
    std::wstring text;
    ASSERT_TRUE(client_->GetText(server_.Url(L"/h"), &headers, nullptr, text));
    const auto request = server_.Requests().at(0);
    EXPECT_EQ(request.Header("X-One"), "1");
    EXPECT_EQ(request.Header("X-Two"), "two words");
    EXPECT_EQ(request.raw.find("skipped"), std::string::npos);
    const auto names = HeaderNames(request);
    EXPECT_LT(IndexOf(names, "content-type"), IndexOf(names, "x-one"));
    EXPECT_LT(IndexOf(names, "x-one"), IndexOf(names, "x-two"));
    EXPECT_LT(IndexOf(names, "x-two"), names.size());
}

struct TResponseFacts : IHttpResponseInfo {
    std::string rawHeaders;
    std::vector<TDateTime> lastModified;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void SetRawHeaders(const char* block) override { rawHeaders = block; }
    void SetLastModified(TDateTime value) override { lastModified.push_back(value); }
};

TEST_F(RequestShape, ResponseInfoGetsTheHeaderBlockThenNoDateThenTheServerDate) {
    testsrv::ScriptedResponse answer = File("body");
    answer.headers.push_back({"X-Probe", "seen"});
    server_.Add(answer);
    server_.Add(File("body", false));
    TResponseFacts dated, undated;
    std::wstring text;
    ASSERT_TRUE(client_->GetText(server_.Url(L"/i"), nullptr, &dated, text));
    EXPECT_EQ(dated.rawHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << dated.rawHeaders;
    EXPECT_NE(dated.rawHeaders.find("X-Probe: seen\r\n"), std::string::npos);
    ASSERT_EQ(dated.lastModified.size(), 2u);
    EXPECT_EQ(dated.lastModified[0], 0);
    EXPECT_EQ(FormatDateTime(dated.lastModified[1]), L"2019-03-05 08:09:10");
    ASSERT_TRUE(client_->GetText(server_.Url(L"/j"), nullptr, &undated, text));
    EXPECT_EQ(undated.lastModified, std::vector<TDateTime>{0});
}

TEST_F(RequestShape, PostSendsTheUtf8BodyAndDecodesTheAnswer) {
    server_.Add(File("\xe5\xae\x8c\xe6\x88\x90"), testsrv::IsMethod("POST"));
    std::wstring text;
    ASSERT_TRUE(client_->PostText(server_.Url(L"/p"), nullptr, nullptr, L"下载", text));
    EXPECT_EQ(text, L"完成");
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, "\xe4\xb8\x8b\xe8\xbd\xbd");
}

}  // namespace
