#pragma once
// The response facts the download compares with its files (through sys/) to decide between
// resuming, restarting and leaving an up-to-date file alone.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "net/HttpClientIntf.h"
#include "sys/SysUtils.h"

struct TRemoteFileInfo {
    int64_t ContentLength = 0;     // 0 when the server announced none or sent no number
    TDateTime LastModified = 0;    // UTC, 0 when the server announced none
    SYSTEMTIME LastModifiedSt{};   // the same; 1899-12-30 when none
};

// Content-Length and Last-Modified of a sent request.
TRemoteFileInfo _QueryFileInfo(HINTERNET request);
// The status code of a sent request; 0 when there is none.
DWORD QueryStatusCode(HINTERNET request);
// A text the answer carries (HTTP_QUERY_STATUS_TEXT, HTTP_QUERY_LOCATION...); empty when none.
std::wstring QueryInfoText(HINTERNET request, DWORD query);

// "bytes <first>-<last>/<complete>" of a 206 answer.
struct TContentRange {
    int64_t First = -1;
    int64_t Last = -1;
    int64_t Complete = -1;  // -1 for "*"
};
// False when the header is missing or is not a satisfied byte range.
bool QueryContentRange(HINTERNET request, TContentRange& range);
bool ParseContentRange(const std::string& text, TContentRange& range);
// A decimal number of at most 18 digits, nothing else; -1 otherwise.
int64_t ParseDecimal(const std::string& text);
