#pragma once
// The side file beside a partial download: what the server announced (section "server", keys
// ContentLen and LastModified, as every launcher writes them), the lines the bytes came from with
// their validators, and the byte ranges that are on disk.
#include <cstdint>
#include <string>
#include <vector>

#include "net/public/ByteRanges.h"

struct TLineValidators {
    std::wstring Host;          // host[:port] of the line
    std::wstring ETag;          // strong ETag as sent, "" for none
    std::wstring LastModified;  // "yyyy-mm-dd hh:nn:ss", "" for none
};

struct TSideRecord {
    int64_t ContentLen = 0;
    std::wstring LastModified;
    std::vector<TLineValidators> Lines;
    bool HasRanges = false;  // a side file of the earlier format: the temporary file is one range from 0
    TByteRanges Have;
};

// False when there is no side file or it names no length.
bool ReadSideFile(const std::wstring& name, TSideRecord& record);
// Written beside and moved over the old one, so that a launcher killed while writing leaves the
// previous record whole.
bool WriteSideFile(const std::wstring& name, const TSideRecord& record);
