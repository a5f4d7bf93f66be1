#include "app/f_Logger.h"

#include "sys/SysUtils.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cwctype>

namespace {

const int kContainerCapacity = 1000;

class LockGuard {
public:
    explicit LockGuard(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~LockGuard() { LeaveCriticalSection(&lock_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

const char* LevelTag(TLogLevel level) {
    switch (level) {
    case llInformation: return "[Information] ";
    case llNotice: return "[Notice] ";
    case llWarning: return "[Warning] ";
    case llError: return "[Error] ";
    default: return "";
    }
}

std::string UpToFirstNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::wstring DisplayStamp(const SYSTEMTIME& t) {
    wchar_t text[32];
    swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return text;
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    return true;
}

bool SameNoCase(const std::wstring& text, const wchar_t* name) {
    return text.size() == wcslen(name) && StartsWithNoCase(text, name);
}

void ScrollOneLineDown(HWND control) { SendMessageW(control, WM_VSCROLL, SB_LINEDOWN, 0); }

// Edit controls stop taking text at about 32 K characters by default, long before the thousand
// lines after which the log clears them; the limit is raised so no message silently goes missing.
void MakeRoom(HWND edit, bool rich, size_t needed) {
    const size_t limit = static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
    if (needed <= limit) return;
    if (rich)
        SendMessageW(edit, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(needed * 2));
    else
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // 0: the largest size the control supports
}

void AddToTextControl(HWND edit, bool rich, const std::wstring& line) {
    int length = GetWindowTextLengthW(edit);
    std::wstring text = length > 0 ? L"\r\n" + line : line;
    MakeRoom(edit, rich, static_cast<size_t>(length) + text.size());
    SendMessageW(edit, EM_SETSEL, length, length);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, EM_LINESCROLL, 0, 1);
    LRESULT newLineIndex = SendMessageW(edit, EM_GETLINECOUNT, 0, 0) - 1;
    if (newLineIndex >= kContainerCapacity) SetWindowTextW(edit, L"");
}

void AddToListBox(HWND list, const std::wstring& line) {
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ScrollOneLineDown(list);
    if (index >= kContainerCapacity) SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

// The image count lives in comctl32, which is loaded whenever a list view exists; asking it
// through the loaded module keeps this library free of a link dependency on it.
int SmallImageCount(HWND listView) {
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (!images || !comctl) return 0;
    using ImageCountFn = int(WINAPI*)(HIMAGELIST);
    auto imageCount = reinterpret_cast<ImageCountFn>(GetProcAddress(comctl, "ImageList_GetImageCount"));
    return imageCount ? imageCount(images) : 0;
}

void AddToListView(HWND listView, const std::wstring& stamp, const std::wstring& msg, int level) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(stamp.c_str());
    if (level >= 0 && SmallImageCount(listView) > level) {
        item.mask |= LVIF_IMAGE;
        item.iImage = level;
    }
    int index = static_cast<int>(SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<wchar_t*>(msg.c_str());
    SendMessageW(listView, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
    ScrollOneLineDown(listView);
    if (SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0) >= kContainerCapacity)
        SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
}

void ShowInContainer(HWND container, const std::wstring& msg, int level, const SYSTEMTIME& now) {
    const std::wstring kind = ClassNameOf(container);
    const std::wstring stamp = DisplayStamp(now);
    if (SameNoCase(kind, L"Edit") || StartsWithNoCase(kind, L"RichEdit"))
        AddToTextControl(container, !SameNoCase(kind, L"Edit"), stamp + L" " + msg);
    else if (SameNoCase(kind, L"ListBox"))
        AddToListBox(container, stamp + L" " + msg);
    else if (SameNoCase(kind, WC_LISTVIEWW))
        AddToListView(container, stamp, msg, level);
    else
        throw sys::Exception(L"日志容器类型不支持:" + kind);
}

HANDLE OpenShared(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

SYSTEMTIME LocalClock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

TLogger::TLogger(HWND container, const std::wstring& logDir, TLogClock clock)
    : FContainer(container), FClock(clock ? clock : LocalClock) {
    InitializeCriticalSection(&FLock);
    FLogDir = sys::Trim(logDir).empty() ? sys::ExtractFilePath(sys::ExeFileName()) + L"Tallyvo\\Log\\" : logDir;
    // ForceDirectories also reports success when the path names an existing file, hence the re-check.
    if (!sys::DirectoryExists(FLogDir) && !(sys::ForceDirectories(FLogDir) && sys::DirectoryExists(FLogDir))) {
        DeleteCriticalSection(&FLock);
        throw sys::Exception(L"日志路径错误，日志类对象不能被创建");
    }
}

TLogger::~TLogger() {
    FLogStream.reset();
    DeleteCriticalSection(&FLock);
}

void TLogger::WriteLog(const std::wstring& msg, TLogLevel level) { WriteLog(sys::ToGbk(msg), level); }

void TLogger::WriteLog(const std::string& msg, TLogLevel level) {
    LockGuard lock(FLock);
    const SYSTEMTIME now = FClock();
    if (FContainer) ShowInContainer(FContainer, sys::FromGbk(UpToFirstNul(msg)), level, now);
    if (level < 0) return;
    if (FLogFileName.empty()) FLogFileName = TodaysFileName(now);
    FLogStream.reset();
    OpenLogStream(FLogDir + FLogFileName);
    AppendLine(msg, level, now);
}

std::wstring TLogger::TodaysFileName(const SYSTEMTIME& now) const {
    wchar_t date[16];
    swprintf(date, 16, L"_%04u%02u%02u.log", now.wYear, now.wMonth, now.wDay);
    return sys::ChangeFileExt(sys::ExtractFileName(sys::ExeFileName()), L"") + date;
}

// A file made by this write is held without sharing until the next write reopens it shared; a
// file that already exists (from an earlier run or another process) is opened sharing everything.
// CREATE_NEW rather than CREATE_ALWAYS: a file another process made in between is appended to,
// never emptied.
void TLogger::OpenLogStream(const std::wstring& path) {
    const bool existed = sys::PathExists(path);
    HANDLE file = existed ? OpenShared(path)
                          : CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!existed && file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) file = OpenShared(path);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw sys::EInOutError(L"Cannot open file \"" + path + L"\". " + sys::SysErrorMessage(error));
    }
    FLogStream.reset(file);
}

void TLogger::AppendLine(const std::string& msg, TLogLevel level, const SYSTEMTIME& now) {
    char stamp[16];
    std::snprintf(stamp, sizeof(stamp), "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    // A message is cut at an embedded NUL, but the line still ends, so the next line stays apart.
    const std::string line = stamp + std::string(LevelTag(level)) + UpToFirstNul(msg) + "\r\n";
    LARGE_INTEGER end{};
    DWORD written = 0;
    if (!SetFilePointerEx(FLogStream.get(), end, nullptr, FILE_END) ||
        !WriteFile(FLogStream.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) || written != line.size()) {
        const DWORD error = GetLastError();
        throw sys::EInOutError(L"Cannot write log file \"" + FLogDir + FLogFileName + L"\". " + sys::SysErrorMessage(error));
    }
}
