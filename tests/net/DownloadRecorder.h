#pragma once
// Test helpers for downloads: a progress handler that records every notification and can
// answer Cancel, and small file helpers for what a run leaves on disk.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/HttpClientIntf.h"

namespace nettest {

struct TDownloadRecorder {
    std::vector<THttpDownloadInfo> Seen;
    // Answers Cancel when it returns true; looks at every notification.
    std::function<bool(const THttpDownloadInfo&)> CancelWhen;

    TDownloadProgressEvent Handler() {
        return [this](const THttpDownloadInfo& info, bool& cancel) {
            Seen.push_back(info);
            if (CancelWhen && CancelWhen(info)) cancel = true;
        };
    }
    // "S P F N" style: one letter per notification (Start, Progress, fiNish, Fail, Error); a run of
    // progress notifications is one P, since how many come depends on the clock.
    std::string States() const;
    const THttpDownloadInfo* First(TDownloadState state) const;
};

std::string ReadFileBytes(const std::wstring& name);       // empty when missing
void WriteFileBytes(const std::wstring& name, const std::string& bytes);
bool Exists(const std::wstring& name);
std::string PatternBytes(size_t size, unsigned seed);       // deterministic, not compressible
// Sets the last-write time of a file (UTC).
void SetModifyTime(const std::wstring& name, const SYSTEMTIME& utc);

}  // namespace nettest
