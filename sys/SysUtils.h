#pragma once
// The few run-time-library facilities every layer leans on: the exception class that the
// framework raises and catches, code-page conversions, and path and file helpers.
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sys {

// The framework's own exception class. Layers that "catch framework exceptions" catch this;
// anything else (std::bad_alloc, logic errors) passes through them.
class Exception : public std::runtime_error {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

// Raised by ForceDirectories for a path that cannot be made (the empty path included).
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// Code page 936 whatever the system's ANSI code page is: the log file and the debugger lines are
// GBK bytes on every system, and a name converted through another page loses its characters.
// Never for a path or an address handed to the system: those stay UTF-16.
std::string ToGbk(const std::wstring& text);
std::wstring FromGbk(const std::string& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The system's message text for an error code, without the trailing line break.
std::wstring SysErrorMessage(DWORD code);

std::wstring ExeFileName();                                  // full path of the running module
std::wstring ExtractFilePath(const std::wstring& path);      // up to and including the last '\' or ':'
std::wstring ExtractFileName(const std::wstring& path);
std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext);
std::wstring IncludeTrailingBackslash(const std::wstring& path);
std::wstring Trim(const std::wstring& text);                 // blanks and control characters, both ends

bool DirectoryExists(const std::wstring& path);
// A file, not a folder, of that name.
bool FileExists(const std::wstring& path);
// The attributes can be read: a folder of that name counts.
bool PathExists(const std::wstring& path);
// 0 when the attributes cannot be read.
std::int64_t FileSize(const std::wstring& path);
// The last-write time as stored (UTC, no local conversion); false when it cannot be read.
bool FileWriteTime(const std::wstring& path, SYSTEMTIME& utc);
void DeleteIfExists(const std::wstring& path);
// Creates the folder with all missing parents; false when it cannot. An empty path raises
// EInOutError, as the run-time library does.
bool ForceDirectories(const std::wstring& path);

}  // namespace sys
