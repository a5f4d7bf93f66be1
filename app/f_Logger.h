#pragma once
// The daily log file: one time-stamped GBK line per write, appended to
// "<folder><exe name>_yyyymmdd.log". Writes are serialised, so a logger may be shared by threads.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

using TLogLevel = int32_t;
const TLogLevel llInformation = 0;
const TLogLevel llNotice = 1;
const TLogLevel llWarning = 2;
const TLogLevel llError = 3;

// The local time the logger stamps lines with; tests replace it to cross midnight on demand.
using TLogClock = SYSTEMTIME (*)();
SYSTEMTIME LocalClock();

struct TFileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using TOwnedFile = std::unique_ptr<void, TFileCloser>;  // never holds INVALID_HANDLE_VALUE

class TLogger {
public:
    // container: an optional display control that also receives every message (an edit or rich
    // edit, a list box or a list view); logDir: the folder, ending with a backslash, or blank for
    // "<exe folder>\Tallyvo\Log\". Raises sys::Exception when the folder cannot be made.
    TLogger(HWND container, const std::wstring& logDir, TLogClock clock = LocalClock);
    ~TLogger();
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // msg is GBK. A level below zero reaches only the display control; levels above llError are
    // written without a tag. File and control errors propagate as exceptions.
    void WriteLog(const std::string& msg, TLogLevel level);
    void WriteLog(const std::wstring& msg, TLogLevel level);

    const std::wstring& LogDir() const { return FLogDir; }
    const std::wstring& LogFileName() const { return FLogFileName; }  // empty before the first write

private:
    std::wstring TodaysFileName(const SYSTEMTIME& now) const;
    void OpenLogStream(const std::wstring& path);
    void AppendLine(const std::string& msg, TLogLevel level, const SYSTEMTIME& now);

    CRITICAL_SECTION FLock;
    TOwnedFile FLogStream;
    HWND FContainer;
    std::wstring FLogDir;
    std::wstring FLogFileName;
    TLogClock FClock;
};
