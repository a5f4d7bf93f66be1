// The coordinator of a download run: asks every line what it serves, decides what an earlier run
// left is worth, starts connections where there is work and room, and ends the run when the file
// is whole, a fault makes it untrustworthy, or no line delivers any more.
#include "net/public/TransferRun.h"

#include <winioctl.h>

#include <algorithm>

#include "net/public/DateTimeUtils.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/LineJoin.h"
#include "sys/SysUtils.h"

namespace {

const wchar_t kTooLarge[] = L"超过下载文件大小限制！";
constexpr DWORD kTickMs = 50;
constexpr uint64_t kSilentMs = 10000;
constexpr uint64_t kSideEveryMs = 2000;
constexpr DWORD kFirstBackoffMs = 2000;
constexpr DWORD kMaxBackoffMs = 30000;

using TConnTask = sys::TTask<TConnResult>;
using THeadTask = sys::TTask<TLineAnswer>;

struct TRunning {
    int Line = 0;
    std::shared_ptr<TConnWatch> Watch;
    std::unique_ptr<TConnTask> Task;
};

class TCoordinator {
public:
    explicit TCoordinator(const std::shared_ptr<TRunShared>& run) : FShared(run), S(*run) {}
    TRunOutcome Run();

private:
    bool AskReference();
    bool Prepare();
    bool ResumableFrom(const TSideRecord& side, const std::wstring& work, TByteRanges& have) const;
    bool AdoptLineOfThePart(const TSideRecord& side, const std::wstring& work, TByteRanges& have);
    bool OpenPart(bool resume, const std::wstring& work, TByteRanges& have);
    void Loop();
    bool Ended();
    void CollectEnded();
    void ConnectionEnded(TLine& line, const TConnResult& result);
    void WatchSilence();
    void JoinLines();
    void JoinLine(int index);
    void StartConnections();
    void StartConnection(int line);
    int ActiveOnHost(const std::wstring& host) const;
    bool OthersAside(int except) const;
    void SetAside(TLine& line);
    void LostConnection(TLine& line);
    std::unique_ptr<THeadTask> Ask(int line) const;
    void WriteSide();
    void Conclude();
    void Fail(const std::wstring& text) { FOut.FailText = text; }
    void StampLastModified(const std::wstring& name) const;
    const TLineAnswer& Reference() const { return S.Lines[S.Reference]->Answer; }

    std::shared_ptr<TRunShared> FShared;
    TRunShared& S;
    TRunOutcome FOut;
    std::vector<TRunning> FConns;
    std::vector<TRunning> FAbandoned;  // left to end on their own
    std::vector<std::unique_ptr<THeadTask>> FHeads;
    std::vector<std::unique_ptr<TLineJoin>> FJoins;
    TSideRecord FSide;
    std::wstring FLastFailure;
    TConnResult FFatal;
    bool FSucceeded = false;
    bool FFirstStarted = false;
};

bool Stopped(const TRunShared& run) { return run.Stop.Stopped(); }

template <typename T>
bool WaitUnlessStopped(const sys::TTask<T>& task, const TRunShared& run) {
    while (!task.Wait(kTickMs))
        if (Stopped(run)) return false;
    return true;
}

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

bool TCoordinator::Prepare() {
    TSideRecord side;
    const bool sideRead = ReadSideFile(S.SideName, side);
    const std::wstring work = sideRead && side.HasRanges && FileExistsEx(S.PartName) ? S.PartName : S.TempName;
    TByteRanges have;
    bool resume = sideRead && Reference().Info.ContentLength > 0 && ResumableFrom(side, work, have);
    if (!resume && sideRead && FileExistsEx(work)) resume = AdoptLineOfThePart(side, work, have);
    const TRemoteFileInfo& info = Reference().Info;
    if (info.ContentLength > S.Client->GetMaxFileSize()) {
        Fail(kTooLarge);
        return false;
    }
    if (FileExistsEx(S.SavePath) && GetFileSize64(S.SavePath) == info.ContentLength &&
        GetFileModifyTime(S.SavePath) == info.LastModified) {
        FOut.Result = 0;
        FOut.UpToDate = true;
        return false;
    }
    if (resume && have.Covers(info.ContentLength)) {
        // An earlier run received everything: only the move into place is left.
        if (work == S.PartName) MoveFileExW(S.PartName.c_str(), S.TempName.c_str(), MOVEFILE_REPLACE_EXISTING);
        StampLastModified(S.TempName);
        FOut.Result = 0;
        FOut.Downloaded = info.ContentLength;
        return false;
    }
    FSide.ContentLen = info.ContentLength;
    FSide.LastModified = FormatDateTime(info.LastModified);
    FSide.Lines = {{S.Lines[S.Reference]->Host, Reference().ETag,
                    info.LastModified != 0 ? FSide.LastModified : std::wstring()}};
    if (!OpenPart(resume, work, have)) return false;
    FSide.Have = have;
    WriteSide();
    S.Total = info.ContentLength;
    return true;
}

// The checked line no longer serves the part's file: another line that still does carries the run
// instead, so a long partial download is not thrown away for one mirror's other copy.
bool TCoordinator::AdoptLineOfThePart(const TSideRecord& side, const std::wstring& work, TByteRanges& have) {
    const int checked = S.Reference;
    for (size_t i = 0; i < S.Lines.size(); ++i) {
        TLine& line = *S.Lines[i];
        if (static_cast<int>(i) == checked || line.Standby) continue;
        FHeads[i] = Ask(static_cast<int>(i));
        if (!WaitUnlessStopped(*FHeads[i], S)) return false;
        line.Answer = FHeads[i]->Result();
        FHeads[i].reset();
        if (!line.Answer.Ok) continue;
        S.Reference = static_cast<int>(i);
        if (ResumableFrom(side, work, have)) {
            line.Status = TLineStatus::Joined;
            line.Cap = S.ConnectionsPerLine;
            S.Lines[checked]->Status = TLineStatus::Waiting;
            return true;
        }
        S.Reference = checked;
    }
    return false;
}

// The part belongs to the file the reference announces, and its bytes are where the record says.
bool TCoordinator::ResumableFrom(const TSideRecord& side, const std::wstring& work, TByteRanges& have) const {
    if (!FileExistsEx(work) || !AnnouncesRecordedFile(Reference(), side, S.LengthAloneResumes)) return false;
    if (side.HasRanges && work == S.PartName) {
        have = side.Have;
        return !have.Empty();
    }
    const int64_t size = GetFileSize64(work);
    if (size <= 0 || size > side.ContentLen) return false;
    have = TByteRanges();
    have.Add(0, size - 1);
    return true;
}

bool TCoordinator::OpenPart(bool resume, const std::wstring& work, TByteRanges& have) {
    if (resume && work == S.TempName && !MoveFileExW(S.TempName.c_str(), S.PartName.c_str(), MOVEFILE_REPLACE_EXISTING))
        resume = false;
    TFileHandle file;
    if (resume)
        file.Reset(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // Whatever was there cannot be continued: a part that vanished is not refilled from 0.
        have = TByteRanges();
        DeleteIfExists(S.PartName);
        if (FileExistsEx(S.TempName) && !DeleteFileW(S.TempName.c_str())) {
            Fail(L"创建下载文件失败:" + LastSystemMessage());
            return false;
        }
        file.Reset(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Fail(L"创建下载文件失败:" + LastSystemMessage());
            return false;
        }
        // Pieces land far apart: without sparse ranges NTFS would first fill the gap with zeros.
        DWORD returned = 0;
        DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    }
    S.Board.Open(std::move(file), Reference().Info.ContentLength, have, S.Client->GetMaxFileSize());
    return true;
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
    const bool untried = S.First == TFirstAnswer::Ranged &&
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
    if (S.First != TFirstAnswer::Ranged) return;
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
        if (!FFirstStarted) {
            FFirstStarted = true;
            StartConnection(S.Reference);
        }
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
        while (ActiveOnHost(line.Host) < cap && line.Active < cap && S.Board.HasWork(false))
            StartConnection(static_cast<int>(i));
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

void TCoordinator::StampLastModified(const std::wstring& name) const {
    const TRemoteFileInfo& info = Reference().Info;
    FILETIME lastWrite;
    if (info.LastModified == 0 || !SystemTimeToFileTime(&info.LastModifiedSt, &lastWrite)) return;
    TFileHandle file(CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFileTime(file.Get(), nullptr, nullptr, &lastWrite);
}

// A part without holes goes back to the plain temporary name (an older launcher reads that as one
// range from 0); one with holes keeps the name no launcher mistakes for a whole file.
void TCoordinator::Conclude() {
    const TByteRanges have = S.Board.Close();
    FOut.Downloaded = have.Bytes();
    if (FFatal.Discard) {
        DeleteIfExists(S.PartName);
        DeleteIfExists(S.TempName);
        DeleteIfExists(S.SideName);
        return;
    }
    FSide.ContentLen = std::max<int64_t>(FSide.ContentLen, S.Board.Total());
    FSide.Have = have;
    if (have.Empty()) {
        DeleteIfExists(S.PartName);
    } else if (have.IsPrefix()) {
        TFileHandle file(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = have.Ranges()[0].Last + 1;
        if (file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
        file.Reset();
        MoveFileExW(S.PartName.c_str(), S.TempName.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    WriteSide();
    if (!FSucceeded) return;
    StampLastModified(S.TempName);
    FOut.Result = 0;
}

}  // namespace

TRunOutcome RunTransfer(const std::shared_ptr<TRunShared>& run) { return TCoordinator(run).Run(); }
