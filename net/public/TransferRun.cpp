// The coordinator of a download run: asks every line what it serves, starts connections where
// there is work and room, and ends the run when the file is whole, a fault makes it
// untrustworthy, or no line delivers any more.
#include <algorithm>

#include "net/public/DateTimeUtils.h"
#include "net/public/TransferCoordinator.h"
#include "sys/SysUtils.h"

namespace transfer {
TRunOutcome TCoordinator::Run() {
    try {
        FHeads.resize(S.Lines.size());
        FJoins.resize(S.Lines.size());
        if (AskReference() && Prepare()) {
            Loop();
            Conclude();
        }
    } catch (const sys::Exception& e) {
        S.Board.Close();
        FOut.ErrorText = e.Message();
    }
    FOut.Total = S.Total;
    for (const auto& line : S.Lines) FOut.Lines.push_back({line->Host, line->Bytes, line->Used});
    const TLineAnswer& reference = Reference();
    FOut.LastModified = reference.Info.LastModified;
    FOut.LastModifiedSt = reference.Info.LastModifiedSt;
    return FOut;
}

// The checked line answers first; a line that cannot answer hands the run to the next one.
bool TCoordinator::AskReference() {
    std::wstring firstFailure;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < S.Lines.size(); ++i) {
            TLine& line = *S.Lines[i];
            if (line.Standby != (pass == 1)) continue;
            if (!FHeads[i])
                FHeads[i] = Ask(static_cast<int>(i));
            if (!WaitUnlessStopped(*FHeads[i], S)) return false;
            line.Answer = FHeads[i]->Result();
            FHeads[i].reset();
            if (line.Answer.Ok) {
                S.Reference = static_cast<int>(i);
                line.Status = TLineStatus::Joined;
                line.Cap = S.ConnectionsPerLine;
                return true;
            }
            if (firstFailure.empty()) {
                firstFailure = line.Answer.Text;
                FOut.ClientError = line.Answer.ClientError;
            }
            SetAside(line);
        }
    }
    Fail(firstFailure);
    return false;
}

void TCoordinator::Loop() {
    S.LastDelivery = GetTickCount64();
    uint64_t sideWritten = GetTickCount64();
    int64_t sideBytes = S.Board.Downloaded();
    while (!Ended()) {
        WatchSilence();
        JoinLines();
        StartConnections();
        const uint64_t now = GetTickCount64();
        if (now - sideWritten >= kSideEveryMs && S.Board.Downloaded() != sideBytes) {
            sideBytes = S.Board.Downloaded();
            FSide.Have = S.Board.Have();
            WriteSide();
            sideWritten = now;
        }
        WaitForSingleObject(S.Wake.Get(), kTickMs);
    }
}

bool TCoordinator::Ended() {
    if (Stopped(S)) return true;
    CollectEnded();
    if (FFatal.End == TConnEnd::Fatal) {
        Fail(FFatal.Text);
        return true;
    }
    const std::wstring writeError = S.Board.WriteError();
    if (!writeError.empty()) {
        Fail(writeError);
        return true;
    }
    if (S.First != TFirstAnswer::Pending && S.First != TFirstAnswer::Failed && S.Board.Complete()) {
        FSucceeded = true;
        return true;
    }
    const bool waiting = std::any_of(FHeads.begin(), FHeads.end(), [](const auto& t) { return t != nullptr; }) ||
                         std::any_of(FJoins.begin(), FJoins.end(), [](const auto& j) { return j != nullptr; });
    // A line not asked yet (standing by, or joining) may still carry the rest.
    const bool untried = (S.First == TFirstAnswer::Ranged || S.First == TFirstAnswer::Failed) &&
                         std::any_of(S.Lines.begin(), S.Lines.end(), [](const std::unique_ptr<TLine>& line) {
                             return line->Status == TLineStatus::Waiting && line->AsideUntil == 0;
                         });
    if (FConns.empty() && FFirstStarted && !waiting && !untried && OthersAside(-1)) {
        Fail(FLastFailure);  // every line refuses at once
        return true;
    }
    const int32_t timeout = S.Client->GetTimeout();
    if (timeout > 0 && GetTickCount64() - S.LastDelivery > static_cast<uint64_t>(timeout) + kTickMs) {
        Fail(FLastFailure.empty() ? L"从网络读取文件失败:" + sys::SysErrorMessage(ERROR_INTERNET_TIMEOUT) : FLastFailure);
        return true;
    }
    return false;
}

void TCoordinator::CollectEnded() {
    for (auto it = FConns.begin(); it != FConns.end();) {
        if (!it->Task->Done()) {
            ++it;
            continue;
        }
        TConnResult result = it->Task->Result();
        if (it->Task->Failed()) result = {TConnEnd::Failed, L"从网络读取文件失败!", false, 0};
        TLine& line = *S.Lines[it->Line];
        --line.Active;
        it = FConns.erase(it);
        ConnectionEnded(line, result);
    }
}

void TCoordinator::ConnectionEnded(TLine& line, const TConnResult& result) {
    const uint64_t now = GetTickCount64();
    switch (result.End) {
        case TConnEnd::Idle:
            return;
        case TConnEnd::Fatal:
            FFatal = result;
            return;
        case TConnEnd::Busy:
            line.Cap = std::max(1, line.Cap - 1);
            line.CapBackAt = result.RetryAfterMs ? now + result.RetryAfterMs : 0;
            break;
        case TConnEnd::Failed:
            break;
    }
    FLastFailure = result.Text;
    // One stream carries the whole file: there is nothing to hand to another connection.
    if (S.First == TFirstAnswer::Whole) {
        FFatal = {TConnEnd::Fatal, result.Text, false, 0};
        return;
    }
    LostConnection(line);
}

// A connection that has delivered nothing for a while, when others still deliver, has lost its
// line: its piece goes back now, and the connection is left to end on its own.
void TCoordinator::WatchSilence() {
    const uint64_t now = GetTickCount64();
    if (now - S.LastDelivery >= kSilentMs) return;
    for (auto it = FConns.begin(); it != FConns.end();) {
        if (now - it->Watch->LastDelivery < kSilentMs) {
            ++it;
            continue;
        }
        it->Watch->Abandoned = true;
        it->Watch->ReleaseOnce(S.Board);
        TLine& line = *S.Lines[it->Line];
        --line.Active;
        FAbandoned.push_back(std::move(*it));
        it = FConns.erase(it);
        FLastFailure = L"从网络读取文件失败:" + sys::SysErrorMessage(ERROR_INTERNET_TIMEOUT);
        LostConnection(line);
    }
}

void TCoordinator::JoinLines() {
    if (S.First != TFirstAnswer::Ranged && S.First != TFirstAnswer::Failed) return;
    for (size_t i = 0; i < S.Lines.size(); ++i) JoinLine(static_cast<int>(i));
}

void TCoordinator::JoinLine(int index) {
    TLine& line = *S.Lines[index];
    if (line.Status != TLineStatus::Waiting || line.AsideUntil > GetTickCount64()) return;
    if (line.Standby && !OthersAside(index)) return;
    if (!FHeads[index] && !FJoins[index]) {
        FHeads[index] = Ask(index);
        return;
    }
    if (FHeads[index]) {
        if (!FHeads[index]->Done()) return;
        line.Answer = FHeads[index]->Result();
        FHeads[index].reset();
        if (!line.Answer.Ok) {
            SetAside(line);
            return;
        }
        FJoins[index] = std::make_unique<TLineJoin>(FShared, S.Reference, index);
    }
    TJoinVerdict verdict = FJoins[index]->Verdict();
    if (verdict == TJoinVerdict::Pending) return;
    FJoins[index].reset();
    line.Status = verdict == TJoinVerdict::Same ? TLineStatus::Joined : TLineStatus::Out;
    if (line.Status != TLineStatus::Joined) return;
    line.Cap = S.ConnectionsPerLine;
    line.AsideUntil = 0;
    FSide.Lines.push_back({line.Host, line.Answer.ETag,
                           line.Answer.Info.LastModified != 0 ? FormatDateTime(line.Answer.Info.LastModified) : L""});
}

int TCoordinator::ActiveOnHost(const std::wstring& host) const {
    int active = 0;
    for (const auto& line : S.Lines)
        if (CompareStringOrdinal(line->Host.c_str(), -1, host.c_str(), -1, TRUE) == CSTR_EQUAL) active += line->Active;
    return active;
}

bool TCoordinator::OthersAside(int except) const {
    const uint64_t now = GetTickCount64();
    for (size_t i = 0; i < S.Lines.size(); ++i) {
        const TLine& line = *S.Lines[i];
        if (static_cast<int>(i) == except || line.Status != TLineStatus::Joined) continue;
        if (line.Active > 0 || line.AsideUntil <= now) return false;
    }
    return true;
}

void TCoordinator::StartConnections() {
    if (S.First == TFirstAnswer::Pending || S.First == TFirstAnswer::Failed) {
        if (FConns.empty() && (S.First == TFirstAnswer::Failed || !FFirstStarted)) StartFirst();
        return;
    }
    if (S.First != TFirstAnswer::Ranged) return;
    const uint64_t now = GetTickCount64();
    for (size_t i = 0; i < S.Lines.size(); ++i) {
        TLine& line = *S.Lines[i];
        if (line.Status != TLineStatus::Joined || line.AsideUntil > now || line.NextStartAt > now) continue;
        if (line.AsideUntil != 0 && line.Bytes > line.BytesAtAside) {
            line.AsideUntil = 0;  // back: it delivers again
            line.Backoff = 0;
        }
        if (line.CapBackAt != 0 && line.CapBackAt <= now) {
            line.Cap = std::min(line.Cap + 1, S.ConnectionsPerLine);
            line.CapBackAt = 0;
        }
        // A line back from being set aside proves itself with one connection first.
        const int cap = line.AsideUntil != 0 ? 1 : line.Cap;
        const bool capped = ConnectionsCapped(line, now);
        while (ActiveOnHost(line.Host) < cap && line.Active < cap && (line.Active == 0 || capped) &&
               S.Board.HasWork(false))
            StartConnection(static_cast<int>(i));
    }
}

// Whether the line's connections each deliver as little as a mirror that caps connections lets
// through. Faster than that, another connection adds CPU and memory but no speed (a local
// mirror, an uncapped fibre line), so the line keeps the connections it has until it slows down.
bool TCoordinator::ConnectionsCapped(TLine& line, uint64_t now) {
    if (line.Active == 0) {
        line.RateFrom = 0;
        return false;
    }
    if (line.RateFrom == 0) {
        line.RateFrom = now;
        line.RateBytes = line.Bytes;
        return false;
    }
    if (now - line.RateFrom < kRateWindowMs) return line.RateKnown && line.ConnectionRate < S.UncappedConnection;
    line.ConnectionRate = static_cast<double>(line.Bytes - line.RateBytes) * 1000.0 /
                          static_cast<double>(now - line.RateFrom) / line.Active;
    line.RateKnown = true;
    line.RateFrom = now;
    line.RateBytes = line.Bytes;
    return line.ConnectionRate < S.UncappedConnection;
}

// The first GET decides how the file comes (pieces or one stream); when it found no answer, it
// goes to the next line that serves the file, so a line dead since its HEAD does not end the run.
void TCoordinator::StartFirst() {
    const uint64_t now = GetTickCount64();
    for (size_t i = 0; i < S.Lines.size(); ++i) {
        const TLine& line = *S.Lines[i];
        if (line.Status != TLineStatus::Joined || line.AsideUntil > now) continue;
        FFirstStarted = true;
        S.First = TFirstAnswer::Pending;
        StartConnection(static_cast<int>(i));
        return;
    }
}

void TCoordinator::StartConnection(int index) {
    TLine& line = *S.Lines[index];
    auto watch = std::make_shared<TConnWatch>();
    watch->Line = index;
    watch->LastDelivery = GetTickCount64();
    TRunning running{index, watch, nullptr};
    running.Task = std::make_unique<TConnTask>(
        [run = FShared, index, watch](const sys::TStopToken&) { return RunConnection(run, index, watch); },
        [run = FShared] { SetEvent(run->Wake.Get()); });
    ++line.Active;
    ++line.Used;
    FConns.push_back(std::move(running));
}

std::unique_ptr<THeadTask> TCoordinator::Ask(int line) const {
    return std::make_unique<THeadTask>([run = FShared, line](const sys::TStopToken&) { return AskLine(run, line); });
}

// No new connection for a while on a line that just lost one; a line with none left is set aside.
void TCoordinator::LostConnection(TLine& line) {
    line.NextStartAt = GetTickCount64() + kFirstBackoffMs;
    if (line.Active == 0) SetAside(line);
}

void TCoordinator::SetAside(TLine& line) {
    line.Backoff = line.Backoff == 0 ? kFirstBackoffMs : std::min(line.Backoff * 2, kMaxBackoffMs);
    line.AsideUntil = GetTickCount64() + line.Backoff;
    line.BytesAtAside = line.Bytes;
}

void TCoordinator::WriteSide() { WriteSideFile(S.SideName, FSide); }

}  // namespace transfer

TRunOutcome RunTransfer(const std::shared_ptr<TRunShared>& run) { return transfer::TCoordinator(run).Run(); }
