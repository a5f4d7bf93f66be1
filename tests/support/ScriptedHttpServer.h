#pragma once
// An in-process HTTP/1.1 server for tests that need exact faults a real server will not make on
// demand: a chosen status, missing or lying headers, a connection dropped after N body bytes, a
// stall before the answer or in the middle of the body, keep-alive or close.
//
// Usage:
//     testsrv::ScriptedHttpServer server;            // listening on 127.0.0.1:<ephemeral port>
//     testsrv::ScriptedResponse head;
//     head.headers = {{"Last-Modified", "Tue, 01 Dec 2026 10:00:00 GMT"}};
//     head.body = std::string(1000, 'x');            // HEAD answers send headers only
//     server.Add(head, testsrv::IsHead());
//     testsrv::ScriptedResponse get = head;
//     get.cutAfterBytes = 400;                       // then the connection is closed
//     server.Add(get, testsrv::IsGet());
//     ... client talks to server.Url(L"/file.bin") ...
//     auto requests = server.Requests();             // raw request heads, in arrival order
//
// Choosing the answer: each request takes the first not-yet-used script entry whose matcher
// accepts it (entries added with `sticky` answer any number of times and are never used up).
// A request no entry accepts gets the fallback answer, "599 Unscripted" unless SetFallback
// changed it, so an unexpected request shows up as a failure on the client side.
//
// Framing: unless the entry's headers already name Content-Length, the server adds
// "Content-Length: <body size>" (switch off with sendContentLength = false). A response without
// Content-Length, a `keepAlive = false` response ("Connection: close" is added) and a cut response
// close the connection after they are sent. HEAD answers never carry the body.
//
// Threads and time: one accepting thread plus one thread per connection; several connections and
// several requests per connection are served. Every wait is bounded (idle keep-alive connections
// close after SetIdleTimeout's figure, a send to a client that reads nothing gives up after a few
// seconds, sockets are non-blocking) and the destructor stops every thread within a tenth of a
// second or so, stalls included.
#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsrv {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
    std::string raw;          // request line and header lines exactly as received, up to the blank line
    std::string requestLine;  // "GET /path HTTP/1.1"
    std::string method;
    std::string target;
    HeaderList headers;       // in order of arrival, names as sent
    std::string body;         // only when the request announced a Content-Length
    int connection = 0;       // 0-based index of the connection, in order of acceptance
    int scriptEntry = -1;     // index of the script entry that answered it (in Add order), -1 = fallback

    bool HasHeader(const std::string& name) const;       // case-insensitive
    std::string Header(const std::string& name) const;  // first match, value trimmed; "" if absent
};

struct ScriptedResponse {
    int status = 200;
    std::string reason = "OK";
    HeaderList headers;               // sent in this order, verbatim
    std::string body;
    bool sendContentLength = true;    // add "Content-Length: body.size()" unless headers name one
    bool keepAlive = true;            // false: add "Connection: close" and close after the answer
    int64_t cutAfterBytes = -1;       // >= 0: send only this many body bytes, then close
    bool chunked = false;             // Transfer-Encoding: chunked instead of Content-Length;
                                      // a cut then stops inside a chunk
    uint32_t stallBeforeMs = 0;       // wait before the status line
    int64_t stallAtByte = -1;         // >= 0: after this many body bytes, wait stallMidBodyMs
    uint32_t stallMidBodyMs = 0;
    uint32_t bytesPerSecond = 0;      // > 0: the body at about this rate, as a line capping each connection
};

using RequestMatcher = std::function<bool(const RecordedRequest&)>;
// Completes the chosen entry's answer from the request it answers.
using ResponseShaper = std::function<void(const RecordedRequest&, ScriptedResponse&)>;

// The file as a mirror with ranges serves it: "Range: bytes=a-b" or "bytes=a-" gets a 206 of those
// bytes with its Content-Range; no Range (or one it cannot read) gets the whole file.
ResponseShaper ServeRanges(std::string file);

RequestMatcher AnyRequest();
RequestMatcher IsMethod(const std::string& method);
RequestMatcher IsHead();
RequestMatcher IsGet();                  // any GET
RequestMatcher IsGetWithRange();         // GET with a Range header
RequestMatcher IsGetWithoutRange();      // GET without one

// Deterministic body bytes (position-dependent, not periodic on short spans) for checking a copy.
std::string PatternBody(size_t size, uint32_t seed = 1);

class ScriptedHttpServer {
public:
    ScriptedHttpServer();  // throws std::runtime_error when the socket cannot be set up
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    uint16_t Port() const { return port_; }
    std::wstring HostPort() const;                  // L"127.0.0.1:PORT"
    std::wstring Url(const std::wstring& path) const;  // L"http://127.0.0.1:PORT" + path

    void Add(ScriptedResponse response, RequestMatcher matcher = AnyRequest(), bool sticky = false,
             ResponseShaper shape = nullptr);
    void SetFallback(ScriptedResponse response);
    void SetIdleTimeout(uint32_t ms);               // keep-alive wait for the next request (default 10 s)

    std::vector<RecordedRequest> Requests() const;
    int ConnectionCount() const;
    // True once at least `count` requests have arrived; false after timeoutMs.
    bool WaitForRequests(size_t count, uint32_t timeoutMs) const;

private:
    struct ScriptEntry {
        ScriptedResponse response;
        RequestMatcher matcher;
        bool sticky = false;
        bool used = false;
        ResponseShaper shape;
    };
    struct Connection;

    void AcceptLoop();
    void Serve(Connection* connection);
    bool ReadRequest(Connection& connection, RecordedRequest& request);
    bool Answer(Connection& connection, const RecordedRequest& request, const ScriptedResponse& response);
    bool SendAll(SOCKET socket, const char* data, size_t size);
    bool Pause(uint32_t ms);  // false when the server is stopping
    ScriptedResponse Choose(RecordedRequest& request);

    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    HANDLE stopEvent_ = nullptr;
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable requestArrived_;
    std::vector<ScriptEntry> script_;
    ScriptedResponse fallback_;
    std::vector<RecordedRequest> requests_;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::atomic<uint32_t> idleTimeoutMs_{10000};
};

}  // namespace testsrv
