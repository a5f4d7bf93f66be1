#pragma once
// One resumable download over every line that serves the same package, in pieces over several
// connections per line, on worker threads: what the connections share, and the coordinator that
// starts them, hands work around, watches for lost lines and ends the run.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/HttpClientIntf.h"
#include "net/public/DownloadSideFile.h"
#include "net/public/HttpResponseInfo.h"
#include "net/public/PieceBoard.h"
#include "sys/Task.h"

class THttpClient;

// What a HEAD told of one line's copy.
struct TLineAnswer {
    bool Ok = false;
    std::wstring Text;         // the failure, as the run reports it
    std::wstring ClientError;  // the failed request's own text, which the client's LastError keeps
    TRemoteFileInfo Info;
    std::wstring ETag;  // strong ETags only: a weak one may not be used in If-Range
    // The strongest validator for If-Range; "" when the line gave none.
    std::wstring IfRange() const;
};

enum class TLineStatus { Waiting, Joined, Out };

struct TLine {
    std::wstring Url;  // escaped
    std::wstring Host;
    bool Standby = false;  // used only once every other line is set aside
    TLineStatus Status = TLineStatus::Waiting;
    TLineAnswer Answer;
    int Cap = 1;
    int Active = 0;
    int Used = 0;
    uint64_t AsideUntil = 0;  // set aside until this tick; 0: in use
    DWORD Backoff = 0;
    uint64_t CapBackAt = 0;   // a 503 with Retry-After gives its connection back at this tick
    uint64_t NextStartAt = 0; // no new connection before this tick after one failed
    std::atomic<int64_t> Bytes{0};
    int64_t BytesAtAside = 0;
    uint64_t RateFrom = 0;  // the window over which the speed of each connection is measured
    int64_t RateBytes = 0;
    bool RateKnown = false;
    double ConnectionRate = 0;  // bytes per second
};

enum class TConnEnd { Idle, Failed, Busy, Fatal };

struct TConnResult {
    TConnEnd End = TConnEnd::Idle;
    std::wstring Text;
    bool Discard = false;  // what is on disk cannot be trusted: delete it
    DWORD RetryAfterMs = 0;
};

// One connection as the coordinator watches it.
struct TConnWatch {
    int Line = 0;
    std::atomic<uint64_t> LastDelivery{0};
    std::atomic<bool> Abandoned{false};
    std::mutex Lock;
    TClaim Claim;
    bool Holding = false;
    void Hold(const TClaim& claim);
    void ReleaseOnce(TPieceBoard& board);
};

enum class TFirstAnswer { Pending, Ranged, Whole, Failed };

// What every thread of a run reads and writes; shared so a worker stuck in the network can
// outlive the run that started it.
struct TRunShared {
    HttpClientPtr Client;  // settings only: each thread works on its own clone
    IHttpHeaders* Headers = nullptr;
    bool LengthAloneResumes = true;
    int ConnectionsPerLine = 4;
    double UncappedConnection = 0;  // bytes per second
    std::wstring SavePath, TempName, PartName, SideName;
    std::vector<std::unique_ptr<TLine>> Lines;
    TPieceBoard Board;
    sys::TStopToken Stop;
    TEventHandle Wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a connection ended
    std::atomic<TFirstAnswer> First{TFirstAnswer::Pending};
    std::atomic<uint64_t> LastDelivery{0};
    std::atomic<bool> DataStarted{false};  // the mirror agreed to send: figures count from now
    std::atomic<int64_t> Total{0};
    int Reference = 0;  // the line whose answer the file is held to
    std::mutex Lock;    // Reference's answer when a 200 updates it
};

// What the coordinator hands back to the caller's thread.
struct TRunOutcome {
    int32_t Result = -1;
    bool UpToDate = false;  // the final file already matches: nothing to move
    std::wstring FailText;
    std::wstring ClientError;  // LastError of a run whose HEAD failed, for a caller without a handler
    std::wstring ErrorText;    // an exception's text: dsError
    int64_t Downloaded = 0;
    int64_t Total = 0;
    std::vector<TLineReport> Lines;
    SYSTEMTIME LastModifiedSt{};
    TDateTime LastModified = 0;
};

// The coordinator; runs on a worker until the run ends or is stopped.
TRunOutcome RunTransfer(const std::shared_ptr<TRunShared>& run);
// One connection of a line: claims pieces and fetches them until no work is left or it fails.
TConnResult RunConnection(const std::shared_ptr<TRunShared>& run, int line, const std::shared_ptr<TConnWatch>& watch);
// The HEAD of one line with a client of its own.
TLineAnswer AskLine(const std::shared_ptr<TRunShared>& run, int line);
