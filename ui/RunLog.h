#pragma once
// One line of the download run in the day's log.
#include <string>

// prefix + msg as an information line; a log that cannot be written does not stop the run.
void LogRunLine(const wchar_t* prefix, const std::wstring& msg);
