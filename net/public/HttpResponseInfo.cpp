#include "net/public/HttpResponseInfo.h"

#include <algorithm>
#include <vector>

#include "sys/SysUtils.h"
#include "net/public/DateTimeUtils.h"

namespace {

// A header's value as text; false when it is missing.
bool QueryHeaderText(HINTERNET request, DWORD query, std::string& text) {
    char value[128];
    DWORD size = sizeof(value) - 1;
    if (!HttpQueryInfoA(request, query, value, &size, nullptr)) return false;
    text.assign(value, size);
    return true;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

int64_t ParseDecimal(const std::string& text) {
    const std::string digits = Trimmed(text);
    if (digits.empty() || digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool ParseContentRange(const std::string& text, TContentRange& range) {
    const std::string value = Trimmed(text);
    const size_t dash = value.find('-');
    const size_t slash = value.find('/');
    if (value.compare(0, 6, "bytes ") != 0 || dash == std::string::npos || slash == std::string::npos ||
        dash > slash)
        return false;
    range.First = ParseDecimal(value.substr(6, dash - 6));
    range.Last = ParseDecimal(value.substr(dash + 1, slash - dash - 1));
    const int64_t last = range.Last;
    const std::string complete = value.substr(slash + 1);
    range.Complete = complete == "*" ? -1 : ParseDecimal(complete);
    if (range.First < 0 || last < range.First) return false;
    return complete == "*" || range.Complete > last;
}

bool QueryContentRange(HINTERNET request, TContentRange& range) {
    std::string text;
    return QueryHeaderText(request, HTTP_QUERY_CONTENT_RANGE, text) && ParseContentRange(text, range);
}

DWORD QueryStatusCode(HINTERNET request) {
    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return status;
}

// Content-Length is read as text: the numeric query holds only 32 bits.
TRemoteFileInfo _QueryFileInfo(HINTERNET request) {
    TRemoteFileInfo info;
    std::string length;
    if (QueryHeaderText(request, HTTP_QUERY_CONTENT_LENGTH, length))
        info.ContentLength = std::max<int64_t>(ParseDecimal(length), 0);
    SYSTEMTIME st{};
    DWORD size = sizeof(st);
    if (HttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &size, nullptr))
        info.LastModified = SystemTimeToDateTime(st);
    info.LastModifiedSt = DateTimeToSystemTime(info.LastModified);
    return info;
}

std::wstring QueryInfoText(HINTERNET request, DWORD query) {
    DWORD size = 0;
    HttpQueryInfoW(request, query, nullptr, &size, nullptr);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) return {};
    return std::wstring(buffer.data());
}
