#pragma once
// The bytes of a download that are on disk, as sorted ranges that never touch or overlap, in the
// form the side file keeps them: "0-4194303,8388608-9437183" (first and last byte, inclusive).
#include <cstdint>
#include <string>
#include <vector>

struct TByteRange {
    int64_t First = 0;
    int64_t Last = -1;  // inclusive; Last < First is empty
    int64_t Size() const { return Last - First + 1; }
};

class TByteRanges {
public:
    // Adds [first, last], merging with neighbours it touches or overlaps.
    void Add(int64_t first, int64_t last);
    int64_t Bytes() const;
    bool Empty() const { return FRanges.empty(); }
    // One range from byte 0: what a plain temporary file of that length holds.
    bool IsPrefix() const { return FRanges.size() == 1 && FRanges[0].First == 0; }
    bool Covers(int64_t total) const { return total > 0 && IsPrefix() && FRanges[0].Last == total - 1; }
    // The gaps below total, in order.
    std::vector<TByteRange> Missing(int64_t total) const;
    const std::vector<TByteRange>& Ranges() const { return FRanges; }

    std::wstring Format() const;
    // False for anything but ranges inside [0, total) in the written form; "" is no range.
    static bool Parse(const std::wstring& text, int64_t total, TByteRanges& ranges);

private:
    std::vector<TByteRange> FRanges;
};
