#pragma once
// Conversions between SYSTEMTIME and the client's day-count date-time values.
#include <windows.h>

#include <string>

#include "net/HttpClientIntf.h"

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
// 0 gives 1899-12-30 00:00:00, a date that no FILETIME can hold.
SYSTEMTIME DateTimeToSystemTime(TDateTime value);
// A file's last-write time (sys::FileWriteTime) as a day count; 0 when it cannot be read.
TDateTime FileWriteDateTime(const std::wstring& path);
// "yyyy-mm-dd hh:nn:ss"
std::wstring FormatDateTime(TDateTime value);
// "Tue, 05 Mar 2019 08:09:10 GMT", the form HTTP headers carry.
std::wstring FormatHttpDate(TDateTime value);
