#pragma once
// Whether another line serves the same package as the reference line: the same length and the
// same validator, or, where mirrors synced without dates disagree on validators, the same first
// bytes. The package check stays the final judge.
#include <memory>
#include <string>

#include "net/public/TransferRun.h"

enum class TJoinVerdict { Pending, Same, Different };

// Two strong ETags, compared without the quotes a side file may have dropped.
bool SameETag(const std::wstring& a, const std::wstring& b);

// Whether a line's answer announces the file a side file was written for: the same length and a
// recorded strong ETag, else a recorded Last-Modified; with neither, the length alone when
// lengthAlone (a later check catches any splice).
bool AnnouncesRecordedFile(const TLineAnswer& answer, const TSideRecord& side, bool lengthAlone);

// The first `count` bytes of url through client: a GET of bytes=0-(count-1) answered by a 206 of
// exactly that many bytes; at most count bytes are read whatever the mirror sends. False on
// anything else or a stop.
bool FetchStart(THttpClient& client, const std::wstring& url, int64_t count, const sys::TStopToken& stop,
                std::string& bytes);

// Whether a line's first bytes are `start` (at most the comparison's 256 KiB).
bool LineStartsWith(const std::shared_ptr<TRunShared>& run, int line, const std::string& start,
                    const sys::TStopToken& stop);
// The first bytes of a part, as many as a comparison of starts takes and the part holds from 0.
bool ReadPartStart(const std::wstring& part, const TByteRanges& have, std::string& start);

class TLineJoin {
public:
    TLineJoin(const std::shared_ptr<TRunShared>& run, int reference, int line);
    TJoinVerdict Verdict() const;

private:
    TJoinVerdict FVerdict = TJoinVerdict::Pending;
    std::unique_ptr<sys::TTask<bool>> FCompare;
};
