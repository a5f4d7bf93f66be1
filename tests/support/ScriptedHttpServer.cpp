#include "tests/support/ScriptedHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace testsrv {

namespace {

const uint32_t kPollSliceMs = 50;
const uint32_t kSendStallLimitMs = 5000;   // a client that reads nothing for this long is gone
const size_t kMaxRequestHead = 64 * 1024;
const size_t kSendChunk = 64 * 1024;

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool HasHeaderNamed(const HeaderList& headers, const std::string& name) {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return EqualsNoCase(header.first, name); });
}

// Waits up to sliceMs for the socket to become readable (or writable); false on timeout.
bool WaitSocket(SOCKET socket, bool forWrite, uint32_t sliceMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{static_cast<long>(sliceMs / 1000), static_cast<long>((sliceMs % 1000) * 1000)};
    int ready = forWrite ? select(0, nullptr, &set, nullptr, &timeout) : select(0, &set, nullptr, nullptr, &timeout);
    return ready > 0;
}

void ParseHead(const std::string& head, RecordedRequest& request) {
    size_t lineEnd = head.find("\r\n");
    request.requestLine = head.substr(0, lineEnd);
    size_t firstBlank = request.requestLine.find(' ');
    request.method = request.requestLine.substr(0, firstBlank);
    if (firstBlank != std::string::npos) {
        size_t secondBlank = request.requestLine.find(' ', firstBlank + 1);
        request.target = request.requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    }
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(pos, end - pos);
        size_t colon = line.find(':');
        if (colon != std::string::npos)
            request.headers.emplace_back(line.substr(0, colon), TrimBlanks(line.substr(colon + 1)));
        pos = end + 2;
    }
}

}  // namespace

struct ScriptedHttpServer::Connection {
    SOCKET socket = INVALID_SOCKET;
    int index = 0;
    std::string pending;  // bytes received beyond the request being handled
    std::thread thread;
};

bool RecordedRequest::HasHeader(const std::string& name) const { return HasHeaderNamed(headers, name); }

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& header : headers)
        if (EqualsNoCase(header.first, name)) return header.second;
    return {};
}

RequestMatcher AnyRequest() {
    return [](const RecordedRequest&) { return true; };
}

RequestMatcher IsMethod(const std::string& method) {
    return [method](const RecordedRequest& request) { return EqualsNoCase(request.method, method); };
}

RequestMatcher IsHead() { return IsMethod("HEAD"); }
RequestMatcher IsGet() { return IsMethod("GET"); }

RequestMatcher IsGetWithRange() {
    return [](const RecordedRequest& request) { return EqualsNoCase(request.method, "GET") && request.HasHeader("Range"); };
}

RequestMatcher IsGetWithoutRange() {
    return [](const RecordedRequest& request) { return EqualsNoCase(request.method, "GET") && !request.HasHeader("Range"); };
}

std::string PatternBody(size_t size, uint32_t seed) {
    std::string body(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& c : body) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return body;
}

ScriptedHttpServer::ScriptedHttpServer() {
    fallback_.status = 599;
    fallback_.reason = "Unscripted";
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        WSACleanup();
        throw std::runtime_error("scripted server: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
    stopping_ = true;
    SetEvent(stopEvent_);
    acceptThread_.join();
    for (auto& connection : connections_)
        if (connection->thread.joinable()) connection->thread.join();
    closesocket(listener_);
    CloseHandle(stopEvent_);
    WSACleanup();
}

std::wstring ScriptedHttpServer::HostPort() const { return L"127.0.0.1:" + std::to_wstring(port_); }

std::wstring ScriptedHttpServer::Url(const std::wstring& path) const { return L"http://" + HostPort() + path; }

void ScriptedHttpServer::Add(ScriptedResponse response, RequestMatcher matcher, bool sticky, ResponseShaper shape) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back({std::move(response), std::move(matcher), sticky, false, std::move(shape)});
}

void ScriptedHttpServer::SetFallback(ScriptedResponse response) {
    std::lock_guard<std::mutex> lock(mutex_);
    fallback_ = std::move(response);
}

void ScriptedHttpServer::SetIdleTimeout(uint32_t ms) { idleTimeoutMs_ = ms; }

std::vector<RecordedRequest> ScriptedHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

int ScriptedHttpServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(connections_.size());
}

bool ScriptedHttpServer::WaitForRequests(size_t count, uint32_t timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return requestArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return requests_.size() >= count; });
}

void ScriptedHttpServer::AcceptLoop() {
    while (!stopping_) {
        if (!WaitSocket(listener_, false, kPollSliceMs)) continue;
        SOCKET accepted = accept(listener_, nullptr, nullptr);
        if (accepted == INVALID_SOCKET) continue;
        u_long nonBlocking = 1;  // a send to a client that stopped reading must not block the stop
        ioctlsocket(accepted, FIONBIO, &nonBlocking);
        std::lock_guard<std::mutex> lock(mutex_);
        auto connection = std::make_unique<Connection>();
        connection->socket = accepted;
        connection->index = static_cast<int>(connections_.size());
        Connection* raw = connection.get();
        connections_.push_back(std::move(connection));
        raw->thread = std::thread([this, raw] { Serve(raw); });
    }
}

void ScriptedHttpServer::Serve(Connection* connection) {
    for (;;) {
        RecordedRequest request;
        request.connection = connection->index;
        if (!ReadRequest(*connection, request)) break;
        ScriptedResponse response = Choose(request);
        if (!Answer(*connection, request, response)) break;
    }
    closesocket(connection->socket);
}

// Reads one request head (and its announced body); false when the peer left, went idle too long,
// sent garbage, or the server is stopping.
bool ScriptedHttpServer::ReadRequest(Connection& connection, RecordedRequest& request) {
    auto idleSince = std::chrono::steady_clock::now();
    auto receiveMore = [&]() -> int {  // 1 = got bytes, 0 = nothing yet, -1 = give up
        if (stopping_) return -1;
        if (std::chrono::steady_clock::now() - idleSince > std::chrono::milliseconds(idleTimeoutMs_.load())) return -1;
        if (!WaitSocket(connection.socket, false, kPollSliceMs)) return 0;
        char buffer[8192];
        int received = recv(connection.socket, buffer, sizeof(buffer), 0);
        if (received == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
        if (received <= 0) return -1;
        connection.pending.append(buffer, static_cast<size_t>(received));
        idleSince = std::chrono::steady_clock::now();
        return 1;
    };
    size_t headEnd;
    while ((headEnd = connection.pending.find("\r\n\r\n")) == std::string::npos) {
        if (connection.pending.size() > kMaxRequestHead || receiveMore() < 0) return false;
    }
    request.raw = connection.pending.substr(0, headEnd + 4);
    connection.pending.erase(0, headEnd + 4);
    ParseHead(request.raw.substr(0, headEnd), request);
    size_t bodySize = request.HasHeader("Content-Length") ? std::strtoul(request.Header("Content-Length").c_str(), nullptr, 10) : 0;
    while (connection.pending.size() < bodySize)
        if (receiveMore() < 0) return false;
    request.body = connection.pending.substr(0, bodySize);
    connection.pending.erase(0, bodySize);
    return true;
}

ScriptedResponse ScriptedHttpServer::Choose(RecordedRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    ScriptedResponse chosen = fallback_;
    for (size_t i = 0; i < script_.size(); ++i) {
        ScriptEntry& entry = script_[i];
        if (entry.used || !entry.matcher(request)) continue;
        entry.used = !entry.sticky;
        request.scriptEntry = static_cast<int>(i);
        chosen = entry.response;
        if (entry.shape) entry.shape(request, chosen);
        break;
    }
    requests_.push_back(request);
    requestArrived_.notify_all();
    return chosen;
}

namespace {

// The body in chunked transfer coding, 4 KiB a chunk; a cut ends the wire after that many body
// bytes, inside their chunk and without the last-chunk marker.
std::string ChunkedWire(const std::string& body, int64_t cutAfterBytes) {
    constexpr size_t kWireChunk = 4096;
    const size_t limit = cutAfterBytes >= 0 ? std::min(body.size(), static_cast<size_t>(cutAfterBytes)) : body.size();
    std::string wire;
    for (size_t at = 0; at < body.size(); at += kWireChunk) {
        const size_t n = std::min(kWireChunk, body.size() - at);
        char sizeLine[24];
        snprintf(sizeLine, sizeof(sizeLine), "%lx\r\n", static_cast<unsigned long>(n));
        wire += sizeLine;
        if (at + n > limit) return wire.append(body, at, limit - at);
        wire.append(body, at, n).append("\r\n");
    }
    return cutAfterBytes >= 0 ? wire : wire + "0\r\n\r\n";
}

}  // namespace

// Sends one answer; true when the connection stays open for the next request.
bool ScriptedHttpServer::Answer(Connection& connection, const RecordedRequest& request, const ScriptedResponse& response) {
    if (!Pause(response.stallBeforeMs)) return false;
    const bool isHead = EqualsNoCase(request.method, "HEAD");
    const bool namesLength = HasHeaderNamed(response.headers, "Content-Length");
    const bool addLength = response.sendContentLength && !namesLength && !response.chunked;
    bool keepOpen = response.keepAlive && response.cutAfterBytes < 0 &&
                    (isHead || namesLength || addLength || response.chunked);

    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
    for (const auto& header : response.headers) head += header.first + ": " + header.second + "\r\n";
    if (addLength) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    if (response.chunked) head += "Transfer-Encoding: chunked\r\n";
    if (!response.keepAlive) head += "Connection: close\r\n";
    head += "\r\n";
    if (!SendAll(connection.socket, head.data(), head.size())) return false;
    if (isHead) return keepOpen;

    const std::string payload = response.chunked ? ChunkedWire(response.body, response.cutAfterBytes) : response.body;
    size_t toSend = payload.size();
    if (!response.chunked && response.cutAfterBytes >= 0)
        toSend = std::min(toSend, static_cast<size_t>(response.cutAfterBytes));
    size_t sent = 0;
    if (response.stallAtByte >= 0 && static_cast<size_t>(response.stallAtByte) < toSend) {
        sent = static_cast<size_t>(response.stallAtByte);
        if (!SendAll(connection.socket, payload.data(), sent) || !Pause(response.stallMidBodyMs)) return false;
    }
    // A capped line: a slice every 50 ms.
    const size_t slice = response.bytesPerSecond > 0 ? std::max<size_t>(response.bytesPerSecond / 20, 1) : toSend;
    while (sent < toSend) {
        const size_t now = std::min(slice, toSend - sent);
        if (!SendAll(connection.socket, payload.data() + sent, now)) return false;
        sent += now;
        if (response.bytesPerSecond > 0 && sent < toSend && !Pause(50)) return false;
    }
    return keepOpen;
}

ResponseShaper ServeRanges(std::string file) {
    return [file = std::move(file)](const RecordedRequest& request, ScriptedResponse& response) {
        const std::string range = request.Header("Range");
        size_t first = 0, last = 0;
        char dash = 0;
        const int read = sscanf(range.c_str(), "bytes=%zu%c%zu", &first, &dash, &last);
        if (read < 2 || dash != '-' || first >= file.size()) {
            response.body = file;
            return;
        }
        if (read < 3 || last >= file.size()) last = file.size() - 1;
        response.status = 206;
        response.reason = "Partial Content";
        response.body = file.substr(first, last - first + 1);
        response.headers.push_back({"Content-Range", "bytes " + std::to_string(first) + "-" + std::to_string(last) +
                                                         "/" + std::to_string(file.size())});
    };
}

bool ScriptedHttpServer::SendAll(SOCKET socket, const char* data, size_t size) {
    auto lastProgress = std::chrono::steady_clock::now();
    while (size > 0) {
        if (stopping_) return false;
        if (std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(kSendStallLimitMs)) return false;
        if (!WaitSocket(socket, true, kPollSliceMs)) continue;
        int sent = send(socket, data, static_cast<int>(std::min(size, kSendChunk)), 0);
        if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
        lastProgress = std::chrono::steady_clock::now();
    }
    return true;
}

bool ScriptedHttpServer::Pause(uint32_t ms) {
    if (ms == 0) return !stopping_;
    return WaitForSingleObject(stopEvent_, ms) == WAIT_TIMEOUT;
}

}  // namespace testsrv
