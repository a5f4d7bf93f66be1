#include "net/public/ByteRanges.h"

#include <algorithm>

void TByteRanges::Add(int64_t first, int64_t last) {
    if (last < first) return;
    std::vector<TByteRange> merged;
    TByteRange added{first, last};
    for (const TByteRange& range : FRanges) {
        if (range.Last + 1 < added.First || added.Last + 1 < range.First) {
            merged.push_back(range);
        } else {
            added = {std::min(range.First, added.First), std::max(range.Last, added.Last)};
        }
    }
    merged.push_back(added);
    std::sort(merged.begin(), merged.end(), [](const TByteRange& a, const TByteRange& b) { return a.First < b.First; });
    FRanges = std::move(merged);
}

int64_t TByteRanges::Bytes() const {
    int64_t bytes = 0;
    for (const TByteRange& range : FRanges) bytes += range.Size();
    return bytes;
}

std::vector<TByteRange> TByteRanges::Missing(int64_t total) const {
    std::vector<TByteRange> gaps;
    int64_t next = 0;
    for (const TByteRange& range : FRanges) {
        if (range.First >= total) break;
        if (range.First > next) gaps.push_back({next, range.First - 1});
        next = std::max(next, range.Last + 1);
    }
    if (next < total) gaps.push_back({next, total - 1});
    return gaps;
}

std::wstring TByteRanges::Format() const {
    std::wstring text;
    for (const TByteRange& range : FRanges) {
        if (!text.empty()) text += L',';
        text += std::to_wstring(range.First) + L'-' + std::to_wstring(range.Last);
    }
    return text;
}

namespace {

// A decimal of at most 18 digits starting at pos; -1 otherwise.
int64_t ReadNumber(const std::wstring& text, size_t& pos) {
    int64_t value = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9' && digits < 19) {
        value = value * 10 + (text[pos++] - L'0');
        ++digits;
    }
    return digits == 0 || digits > 18 ? -1 : value;
}

}  // namespace

bool TByteRanges::Parse(const std::wstring& text, int64_t total, TByteRanges& ranges) {
    ranges = TByteRanges();
    size_t pos = 0;
    while (pos < text.size()) {
        const int64_t first = ReadNumber(text, pos);
        if (first < 0 || pos >= text.size() || text[pos++] != L'-') return false;
        const int64_t last = ReadNumber(text, pos);
        if (last < first || last >= total) return false;
        if (pos < text.size() && (text[pos++] != L',' || pos == text.size())) return false;
        ranges.Add(first, last);
    }
    return true;
}
