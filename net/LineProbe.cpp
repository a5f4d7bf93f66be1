#include "net/LineProbe.h"

#include <memory>

#include "net/public/HttpClientImpl.h"
#include "net/public/LineJoin.h"

namespace {

constexpr DWORD kWaitSliceMs = 20;

bool OutOfTime(uint64_t deadline, const TProbeStop& stop) { return stop.Stopped() || GetTickCount64() >= deadline; }

}  // namespace

TLineSpeed ProbeLine(const std::wstring& url, uint64_t deadline, const TProbeStop& stop) {
    const uint64_t now = GetTickCount64();
    if (now >= deadline) return {};
    HttpClientPtr owner = THttpClient::Create();
    auto& client = static_cast<THttpClient&>(*owner.Get());
    client.SetTimeout(static_cast<int32_t>(deadline - now));
    if (!client.Head(url, nullptr) || OutOfTime(deadline, stop)) return {};
    const uint64_t start = GetTickCount64();
    std::string bytes;
    if (!FetchStart(client, EncodeURL(url), kProbeBytes, stop, bytes) || OutOfTime(deadline, stop)) return {};
    const uint64_t elapsed = GetTickCount64() - start;
    return {true, static_cast<double>(kProbeBytes) * 1000.0 / static_cast<double>(elapsed == 0 ? 1 : elapsed)};
}

// A line still blocked in the network when the time is up is left to its task, which ends it at
// its own time-out; the verdict does not wait for it.
TLineProbeResult ProbeLines(const std::wstring& primary, const std::wstring& secondary, DWORD budgetMs,
                            const TProbeStop& stop) {
    const uint64_t deadline = GetTickCount64() + budgetMs;
    const auto probe = [deadline, stop](std::wstring url) {
        return std::make_unique<sys::TTask<TLineSpeed>>(
            [url, deadline, stop](const sys::TStopToken&) { return ProbeLine(url, deadline, stop); });
    };
    const auto first = probe(primary), second = probe(secondary);
    const HANDLE done[] = {first->DoneEvent(), second->DoneEvent()};
    while (!OutOfTime(deadline, stop) && WaitForMultipleObjects(2, done, TRUE, kWaitSliceMs) == WAIT_TIMEOUT) {
    }
    TLineProbeResult result;
    if (stop.Stopped()) return result;
    result.Primary = first->Result();
    result.Secondary = second->Result();
    return result;
}

bool SecondaryIsFaster(const TLineProbeResult& result) {
    if (!result.Secondary.Answered) return false;
    return !result.Primary.Answered || result.Secondary.BytesPerSecond > result.Primary.BytesPerSecond;
}
