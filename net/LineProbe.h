#pragma once
// How fast each of the two mirrors delivers the start of the package, measured side by side in a
// bounded time, so that a user who does not know their carrier gets the faster line.
#include <windows.h>

#include <cstdint>
#include <string>

#include "sys/Task.h"

struct TLineSpeed {
    bool Answered = false;      // the ranged GET came back whole within the time
    double BytesPerSecond = 0;  // of the ranged GET, from sending it to its last byte
};

struct TLineProbeResult {
    TLineSpeed Primary;
    TLineSpeed Secondary;
};

// What one line's probe asks for: the package's first 256 KiB.
constexpr int64_t kProbeBytes = 262144;
constexpr DWORD kProbeBudgetMs = 3000;

using TProbeStop = sys::TStopToken;

// One line: a HEAD, then GET with "Range: bytes=0-262143", which must come back as a 206 of
// exactly that many bytes. Anything else, the deadline (a GetTickCount64 value) or a stop means
// not answered.
TLineSpeed ProbeLine(const std::wstring& url, uint64_t deadline, const TProbeStop& stop);

// Both lines at once. Returns within budgetMs whatever the mirrors do (a line still busy then
// counts as not answered), or within about 10 ms of a stop.
TLineProbeResult ProbeLines(const std::wstring& primary, const std::wstring& secondary, DWORD budgetMs,
                            const TProbeStop& stop);

// The line that answered faster; a line that answered beats one that did not; the primary when
// neither answered.
bool SecondaryIsFaster(const TLineProbeResult& result);
