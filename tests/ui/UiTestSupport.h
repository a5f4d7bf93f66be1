#pragma once
// Helpers for the launcher's window tests: a main window per test with scripted services (online
// probe, message dialog, transfer), calls run during the window's own message pump, and mouse
// input delivered to whatever window lies under a point.
#include "ui/f_Main.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <initializer_list>
#include <string>
#include <vector>

namespace uitest {

struct TShownMessage {
    TMsgDlgKind Kind;
    std::wstring Text;
};

// One notification of a scripted transfer; Before runs just ahead of it.
struct TNotice {
    TDownloadState State;
    int64_t Downloaded = 0;
    int64_t Total = 0;
    int64_t Speed = 0;
    std::string SpeedText{};
    std::string RemainingText{};
    std::wstring Msg{};
    std::function<void()> Before{};
};

struct TScriptedRun {
    std::vector<TNotice> Notices;
    int32_t Result = 0;
};

// What the window showed right after a notification, and its cancel answer.
struct TSeen {
    TDownloadState State;
    bool Cancel;
    std::wstring Caption;
    int Bar;
    std::wstring Speed;
};

// The task-bar button's calls in order: "indeterminate", "normal", "37/100", "none"..
class TRecordedTaskbar final : public gui::ITaskbarProgress {
public:
    void SetState(gui::TTaskbarState state) override;
    void SetValue(uint64_t done, uint64_t total) override {
        Calls.push_back(std::to_wstring(done) + L"/" + std::to_wstring(total));
    }
    std::vector<std::wstring> Calls;
};

struct TDownloadCall {
    std::wstring Url;
    std::wstring SavePath;
};

class TScriptedServices final : public IMainWindowServices {
public:
    bool IsOnline() override { return Online; }
    int ShowMessage(TMsgDlgKind kind, const std::wstring& text) override;
    // Plays the next scripted run; with none left the real client downloads, and OnRealNotice
    // sees each of its notifications before the window does.
    int32_t DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress, std::vector<TLineReport>& report) override;
    bool ChecksPackages() override { return !Checks.empty(); }
    // Plays the next scripted verdict; the last one stays for later checks.
    TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) override;
    // The real probe against ProbeUrls; none set: both lines unanswered at once.
    TLineProbeResult ProbeLines(const TProbeStop& stop) override;
    // Records what it was given and starts nothing (a start ends the process).
    bool StartInstaller(HANDLE file) override;
    gui::ITaskbarProgress& Taskbar() override { return RecordedTaskbar; }
    DWORD UnreadablePackageRetryMs() override { return UnreadableRetryMs; }
    // Counts instead of ending the test's process.
    void EndProcess() override { ++EndProcessCalls; }
    void LogRunLine(const std::wstring& line) override {
        if (Log) Log(line);
    }

    bool Online = true;
    std::vector<int> Answers;  // in order; OK once they run out
    std::function<void(const TShownMessage&)> OnShown;
    std::vector<TShownMessage> Shown;
    std::vector<TScriptedRun> Runs;  // each download takes the first
    std::function<void(const THttpDownloadInfo&)> OnRealNotice;
    std::vector<TDownloadCall> Downloads;
    std::vector<TSeen> Seen;
    std::vector<TPackageCheck> Checks;  // none: the build checks no package
    struct TCheckCall {
        bool FileHeld;          // the caller passed an open handle
        bool DeniesWriting;     // and nobody else could open the file for writing meanwhile
        std::wstring Caption;   // what the progress label showed during the check
    };
    std::vector<TCheckCall> CheckCalls;
    std::wstring ProbeUrls[2];  // primary, secondary
    std::shared_ptr<std::atomic<int>> ProbesEnded = std::make_shared<std::atomic<int>>(0);  // by the worker
    HANDLE CheckGate = nullptr;   // set: each check waits for it first
    bool CheckThrows = false;
    std::function<void()> BeforeCheck;  // on the checking worker, before each verdict
    DWORD UnreadableRetryMs = 1500;
    int EndProcessCalls = 0;
    std::function<void(const std::wstring&)> Log;  // none: the lines go nowhere
    struct TStartCall {
        std::wstring FinalPath;
        bool SameFileAsChecked;   // the handle the last check judged
        bool DeniesWriting;
    };
    std::vector<TStartCall> Starts;
    TRecordedTaskbar RecordedTaskbar;
    Tfrm_Main* Form = nullptr;

private:
    HANDLE FLastChecked = nullptr;
    int32_t PlayRun(const TScriptedRun& run, const TDownloadProgressEvent& onProgress);
};

// Queues call to run when the thread's queue is next pumped, as a click would.
void PostCall(std::function<void()> call);
// A click on the close button, handled in the next pump (the button itself is hidden).
void PostCloseClick(Tfrm_Main* form);

void Pump(int rounds = 5);
// Pumps until done() holds; false when it still does not after timeoutMs.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The deepest child window of top under its client point (x, y), and that point in the child.
HWND WindowAt(HWND top, POINT& point);
// A press and release of the button at the form's client point.
void ClickAt(HWND top, int x, int y, bool right = false);
// A press alone (no release), which starts a drag on a banner.
void PressAt(HWND top, int x, int y, bool right = false);

// Presses and releases each key on the window that has the thread's focus (top when none of its
// windows has it), as the keyboard would deliver them.
void PressKeys(HWND top, std::initializer_list<WORD> keys);

// Writes bytes to path; false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool FileExists(const std::wstring& path);

// Records the WM_SYSCOMMAND values a form receives and swallows the move command, so no
// modal move loop starts in a test.
class TSysCommandSpy {
public:
    explicit TSysCommandSpy(gui::TForm& form);
    ~TSysCommandSpy();
    TSysCommandSpy(const TSysCommandSpy&) = delete;
    TSysCommandSpy& operator=(const TSysCommandSpy&) = delete;
    const std::vector<WPARAM>& Commands() const { return commands_; }

private:
    gui::TForm& form_;
    gui::TWndMethod previous_;
    std::vector<WPARAM> commands_;
};

// A fresh main window on these services, shown.
Tfrm_Main* MakeMainWindow(TScriptedServices& services);
void FreeMainWindow(Tfrm_Main* form);

}  // namespace uitest
