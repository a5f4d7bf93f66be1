#include "net/LineProbe.h"

#include "net/public/HttpClientImpl.h"
#include "net/public/HttpFileUtils.h"

#include <thread>
#include <vector>

namespace {

const wchar_t kProbeRange[] = L"Range:bytes=0-262143";
constexpr DWORD kPollMs = 10;

bool OutOfTime(uint64_t deadline, const TProbeStop& stop) { return *stop || GetTickCount64() >= deadline; }

// The body's bytes up to kProbeBytes; -1 when the time ran out or a read failed.
int64_t ReadProbeBody(HINTERNET request, uint64_t deadline, const TProbeStop& stop) {
    std::vector<char> buffer(65536);
    int64_t total = 0;
    for (;;) {
        if (OutOfTime(deadline, stop)) return -1;
        DWORD read = 0;
        if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) return -1;
        if (read == 0) return total;
        total += read;
        if (total > kProbeBytes) return -1;
    }
}

// Each line's result, shared with its thread: a thread still blocked in the network when the
// time is up finishes on its own (its time-outs end it) and writes into this, not into the caller.
struct TProbeState {
    TLineSpeed Lines[2];
    std::atomic<bool> Done[2] = {false, false};
};

void StartLineThread(const std::shared_ptr<TProbeState>& state, int index, std::wstring url, uint64_t deadline,
                     const TProbeStop& stop) {
    std::thread([state, index, url, deadline, stop] {
        state->Lines[index] = ProbeLine(url, deadline, stop);
        state->Done[index] = true;
    }).detach();
}

}  // namespace

TLineSpeed ProbeLine(const std::wstring& url, uint64_t deadline, const TProbeStop& stop) {
    HttpClientPtr owner = THttpClient::Create();
    auto& client = static_cast<THttpClient&>(*owner.Get());
    const uint64_t now = GetTickCount64();
    if (now >= deadline) return {};
    client.SetTimeout(static_cast<int32_t>(deadline - now));
    TInternetConnection connection;
    std::wstring errorText;
    if (!client._CreateInternetConnect(EncodeURL(url), connection, errorText)) return {};
    TInternetHandle request;
    if (client._SendFollowingRedirects(connection, request, L"HEAD", nullptr, 1, nullptr) != TSendOutcome::Sent)
        return {};
    if (OutOfTime(deadline, stop)) return {};
    const auto askForTheStart = [](HINTERNET opened) {
        return HttpAddRequestHeadersW(opened, kProbeRange, static_cast<DWORD>(-1),
                                      HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE) != FALSE;
    };
    const uint64_t start = GetTickCount64();
    if (client._SendFollowingRedirects(connection, request, L"GET", askForTheStart, 1, nullptr) !=
            TSendOutcome::Sent ||
        QueryStatusCode(request.Get()) != HTTP_STATUS_PARTIAL_CONTENT)
        return {};
    if (ReadProbeBody(request.Get(), deadline, stop) != kProbeBytes) return {};
    const uint64_t elapsed = GetTickCount64() - start;
    return {true, static_cast<double>(kProbeBytes) * 1000.0 / static_cast<double>(elapsed == 0 ? 1 : elapsed)};
}

TLineProbeResult ProbeLines(const std::wstring& primary, const std::wstring& secondary, DWORD budgetMs,
                            const TProbeStop& stop) {
    const uint64_t deadline = GetTickCount64() + budgetMs;
    auto state = std::make_shared<TProbeState>();
    StartLineThread(state, 0, primary, deadline, stop);
    StartLineThread(state, 1, secondary, deadline, stop);
    while (!(state->Done[0] && state->Done[1]) && !OutOfTime(deadline, stop)) Sleep(kPollMs);
    TLineProbeResult result;
    if (*stop) return result;
    if (state->Done[0]) result.Primary = state->Lines[0];
    if (state->Done[1]) result.Secondary = state->Lines[1];
    return result;
}

bool SecondaryIsFaster(const TLineProbeResult& result) {
    if (!result.Secondary.Answered) return false;
    return !result.Primary.Answered || result.Secondary.BytesPerSecond > result.Primary.BytesPerSecond;
}
