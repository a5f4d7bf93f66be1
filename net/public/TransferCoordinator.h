#pragma once
// The coordinator of a download run, shared by the file that runs it and the file that decides
// what an earlier run left is worth and what this one leaves.
#include <memory>
#include <string>
#include <vector>

#include "net/public/LineJoin.h"
#include "net/public/TransferRun.h"

namespace transfer {

constexpr DWORD kTickMs = 50;
constexpr uint64_t kSilentMs = 10000;
constexpr uint64_t kSideEveryMs = 2000;
constexpr DWORD kFirstBackoffMs = 2000;
constexpr DWORD kMaxBackoffMs = 30000;
constexpr uint64_t kRateWindowMs = 200;

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
    bool Adopt(int line, int checked);
    bool PartRanges(const TSideRecord& side, const std::wstring& work, TByteRanges& have) const;
    bool OpenPart(bool resume, const std::wstring& work, TByteRanges& have);
    void Loop();
    bool Ended();
    void CollectEnded();
    void ConnectionEnded(TLine& line, const TConnResult& result);
    void WatchSilence();
    void JoinLines();
    void JoinLine(int index);
    void StartConnections();
    void StartFirst();
    bool ConnectionsCapped(TLine& line, uint64_t now);
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

inline bool Stopped(const TRunShared& run) { return run.Stop.Stopped(); }

template <typename T>
bool WaitUnlessStopped(const sys::TTask<T>& task, const TRunShared& run) {
    while (!task.Wait(kTickMs))
        if (Stopped(run)) return false;
    return true;
}

}  // namespace transfer
