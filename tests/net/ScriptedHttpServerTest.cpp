// Proves the scripted server against raw WinInet before the engine relies on it.
#include "tests/support/ScriptedHttpServer.h"

#include "net/public/InternetHandle.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <string>

using testsrv::ScriptedHttpServer;
using testsrv::ScriptedResponse;

namespace {

struct Reply {
    bool sent = false;
    DWORD sendError = 0;
    DWORD status = 0;
    std::wstring contentLength;
    std::wstring lastModified;
    std::string body;
    bool readFailed = false;
};

std::wstring QueryHeader(HINTERNET request, DWORD info) {
    wchar_t value[256];
    DWORD size = sizeof(value);
    DWORD index = 0;
    if (!HttpQueryInfoW(request, info, value, &size, &index)) return {};
    return value;
}

// One request on an open connection, the way the download engine issues them.
Reply Request(HINTERNET connection, const wchar_t* verb, const wchar_t* path, const std::wstring& extraHeaders = {},
              DWORD receiveTimeoutMs = 0) {
    Reply reply;
    TInternetHandle request(HttpOpenRequestW(connection, verb, path, nullptr, nullptr, nullptr,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION, 0));
    if (!request) return reply;
    if (receiveTimeoutMs)
        InternetSetOptionW(request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs, sizeof(receiveTimeoutMs));
    reply.sent = HttpSendRequestW(request.Get(), extraHeaders.empty() ? nullptr : extraHeaders.c_str(),
                                  static_cast<DWORD>(extraHeaders.size()), nullptr, 0) != FALSE;
    if (!reply.sent) {
        reply.sendError = GetLastError();
        return reply;
    }
    DWORD size = sizeof(reply.status);
    HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &reply.status, &size, nullptr);
    reply.contentLength = QueryHeader(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
    reply.lastModified = QueryHeader(request.Get(), HTTP_QUERY_LAST_MODIFIED);
    char buffer[16384];
    for (int guard = 0; guard < 100000; ++guard) {
        DWORD read = 0;
        if (!InternetReadFile(request.Get(), buffer, sizeof(buffer), &read)) {
            reply.readFailed = true;
            break;
        }
        if (read == 0) break;
        reply.body.append(buffer, read);
    }
    return reply;
}

class ScriptedServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(internet_);
        DWORD timeout = 3000;
        InternetSetOptionW(internet_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
        InternetSetOptionW(internet_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    }

    TInternetHandle Connect() {
        return TInternetHandle(InternetConnectW(internet_.Get(), L"127.0.0.1", server_.Port(), nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
    }

    ScriptedHttpServer server_;
    TInternetHandle internet_{InternetOpenW(L"scripted-server-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
};

ScriptedResponse WithBody(const std::string& body) {
    ScriptedResponse response;
    response.body = body;
    return response;
}

}  // namespace

TEST_F(ScriptedServerTest, HeadThenRangedGetAreRecordedAndAnsweredByMatcher) {
    const std::string body = testsrv::PatternBody(5000);
    ScriptedResponse head = WithBody(body);
    head.headers = {{"Last-Modified", "Tue, 01 Dec 2026 10:00:00 GMT"}, {"Accept-Ranges", "bytes"}};
    ScriptedResponse partial = WithBody(body.substr(1000));
    partial.status = 206;
    partial.reason = "Partial Content";
    partial.headers = {{"Content-Range", "bytes 1000-4999/5000"}};
    server_.Add(partial, testsrv::IsGetWithRange());
    server_.Add(head, testsrv::IsHead());

    TInternetHandle connection = Connect();
    Reply probe = Request(connection.Get(), L"HEAD", L"/pkg.exe");
    Reply data = Request(connection.Get(), L"GET", L"/pkg.exe", L"Range:bytes=1000-\r\n");

    EXPECT_EQ(probe.status, 200u);
    EXPECT_EQ(probe.contentLength, L"5000");
    EXPECT_EQ(probe.lastModified, L"Tue, 01 Dec 2026 10:00:00 GMT");
    EXPECT_TRUE(probe.body.empty());
    EXPECT_EQ(data.status, 206u);
    EXPECT_EQ(data.body, body.substr(1000));

    auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "HEAD /pkg.exe HTTP/1.1");
    EXPECT_EQ(requests[0].scriptEntry, 1);
    EXPECT_FALSE(requests[0].HasHeader("range"));
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/pkg.exe");
    EXPECT_EQ(requests[1].Header("RANGE"), "bytes=1000-");
    EXPECT_EQ(requests[1].scriptEntry, 0);
    EXPECT_EQ(requests[1].raw.substr(0, requests[1].requestLine.size() + 2), requests[1].requestLine + "\r\n");
    EXPECT_EQ(requests[1].raw.substr(requests[1].raw.size() - 4), "\r\n\r\n");
    EXPECT_NE(requests[1].raw.find("Range: bytes=1000-\r\n"), std::string::npos) << requests[1].raw;
    EXPECT_EQ(requests[0].connection, requests[1].connection) << "keep-alive reuses the connection";
    EXPECT_EQ(server_.ConnectionCount(), 1);
}

TEST_F(ScriptedServerTest, EntriesAreUsedUpInOrderStickyOnesRepeatAndStrayRequestsGetTheFallback) {
    server_.Add(WithBody("first"));
    server_.Add(WithBody("again"), testsrv::IsGet(), true);
    TInternetHandle connection = Connect();

    EXPECT_EQ(Request(connection.Get(), L"GET", L"/a").body, "first");
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/b").body, "again");
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/c").body, "again");
    EXPECT_EQ(Request(connection.Get(), L"HEAD", L"/d").status, 599u);

    ScriptedResponse notFound;
    notFound.status = 404;
    notFound.reason = "Not Found";
    server_.SetFallback(notFound);
    EXPECT_EQ(Request(connection.Get(), L"HEAD", L"/e").status, 404u);
    EXPECT_EQ(server_.Requests().back().scriptEntry, -1);
}

TEST_F(ScriptedServerTest, CutBodyClosesTheConnectionShortOfTheAnnouncedLength) {
    ScriptedResponse cut = WithBody(testsrv::PatternBody(100000));
    cut.cutAfterBytes = 40000;
    server_.Add(cut);
    server_.Add(WithBody("next"));
    TInternetHandle connection = Connect();

    Reply reply = Request(connection.Get(), L"GET", L"/big");
    EXPECT_EQ(reply.contentLength, L"100000");
    EXPECT_EQ(reply.body.size(), 40000u);
    EXPECT_EQ(reply.body, testsrv::PatternBody(40000));

    EXPECT_EQ(Request(connection.Get(), L"GET", L"/big").body, "next");
    EXPECT_EQ(server_.ConnectionCount(), 2) << "the cut connection cannot be reused";
}

TEST_F(ScriptedServerTest, MissingContentLengthOrCloseEndsTheBodyWithTheConnection) {
    ScriptedResponse unframed = WithBody("until the end");
    unframed.sendContentLength = false;
    ScriptedResponse closing = WithBody("closing");
    closing.keepAlive = false;
    server_.Add(unframed);
    server_.Add(closing);
    server_.Add(WithBody("third"));
    TInternetHandle connection = Connect();

    Reply first = Request(connection.Get(), L"GET", L"/1");
    EXPECT_TRUE(first.contentLength.empty());
    EXPECT_EQ(first.body, "until the end");
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/2").body, "closing");
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/3").body, "third");
    EXPECT_EQ(server_.ConnectionCount(), 3);
}

TEST_F(ScriptedServerTest, StallsDelayTheAnswerAndCanOutlastTheClientTimeout) {
    ScriptedResponse slowStart = WithBody("late");
    slowStart.stallBeforeMs = 300;
    ScriptedResponse slowMiddle = WithBody(testsrv::PatternBody(20000));
    slowMiddle.stallAtByte = 5000;
    slowMiddle.stallMidBodyMs = 300;
    ScriptedResponse tooSlow = WithBody("never seen");
    tooSlow.stallBeforeMs = 3000;
    server_.Add(slowStart);
    server_.Add(slowMiddle);
    server_.Add(tooSlow);
    TInternetHandle connection = Connect();

    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/late").body, "late");
    EXPECT_EQ(Request(connection.Get(), L"GET", L"/middle").body, testsrv::PatternBody(20000));
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, std::chrono::milliseconds(550));

    Reply timedOut = Request(connection.Get(), L"GET", L"/slow", {}, 500);
    EXPECT_FALSE(timedOut.sent);
    // Windows reports the time-out as such; Wine reports it as an aborted connection.
    EXPECT_TRUE(timedOut.sendError == ERROR_INTERNET_TIMEOUT || timedOut.sendError == ERROR_INTERNET_CONNECTION_ABORTED)
        << timedOut.sendError;
}

TEST_F(ScriptedServerTest, ServesConnectionsSideBySide) {
    ScriptedResponse slow = WithBody("slow");
    slow.stallBeforeMs = 600;
    server_.Add(slow, testsrv::AnyRequest(), true);
    std::string first, second;
    auto started = std::chrono::steady_clock::now();
    std::thread other([&] {
        TInternetHandle connection = Connect();
        first = Request(connection.Get(), L"GET", L"/one").body;
    });
    {
        TInternetHandle connection = Connect();
        second = Request(connection.Get(), L"GET", L"/two").body;
    }
    other.join();
    EXPECT_EQ(first, "slow");
    EXPECT_EQ(second, "slow");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1100));
    EXPECT_EQ(server_.ConnectionCount(), 2);
}

TEST(ScriptedServer, StopsPromptlyWhileAnAnswerIsStalledAndAClientStillHoldsTheConnection) {
    TInternetHandle internet(InternetOpenW(L"scripted-server-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    std::chrono::steady_clock::duration stopTook{};
    {
        auto server = std::make_unique<ScriptedHttpServer>();
        ScriptedResponse stalled = WithBody(testsrv::PatternBody(1 << 20));
        stalled.stallAtByte = 1000;
        stalled.stallMidBodyMs = 60000;
        server->Add(stalled);
        TInternetHandle connection(InternetConnectW(internet.Get(), L"127.0.0.1", server->Port(), nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
        TInternetHandle request(HttpOpenRequestW(connection.Get(), L"GET", L"/", nullptr, nullptr, nullptr, INTERNET_FLAG_RELOAD, 0));
        ASSERT_TRUE(HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0));
        ASSERT_TRUE(server->WaitForRequests(1, 2000));
        auto started = std::chrono::steady_clock::now();
        server.reset();
        stopTook = std::chrono::steady_clock::now() - started;
    }
    EXPECT_LT(stopTook, std::chrono::milliseconds(1000));
}
