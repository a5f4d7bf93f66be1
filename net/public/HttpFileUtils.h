#pragma once
// File and response facts the download compares to decide between resuming, restarting and
// leaving an up-to-date file alone.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "net/HttpClientIntf.h"

// True when the attributes can be read: a folder of that name counts as existing.
bool FileExistsEx(const std::wstring& name);
// 0 when the attributes cannot be read.
int64_t GetFileSize64(const std::wstring& name);
// Last-write time as stored (UTC, no local conversion); 0 when it cannot be read.
TDateTime GetFileModifyTime(const std::wstring& name);

struct TRemoteFileInfo {
    uint32_t ContentLength = 0;    // 0 when the server announced none
    TDateTime LastModified = 0;    // UTC, 0 when the server announced none
    SYSTEMTIME LastModifiedSt{};   // the same; 1899-12-30 when none
};

// Content-Length and Last-Modified of a sent request.
TRemoteFileInfo _QueryFileInfo(HINTERNET request);
