#pragma once
// What the main window needs from outside its own controls: the online probe, the way a notice
// or question reaches the user, the transfer of the package and its signature check, the log of
// its run. The window takes them at construction; the entry point hands it the real ones.
#include "dialogs/f_MsgDlgBox.h"
#include "gui/TaskbarProgress.h"
#include "net/HttpClientIntf.h"
#include "net/LineProbe.h"
#include "verify/PackageCheck.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sys/Task.h"

class IMainWindowServices {
public:
    // Whether the system reports an internet connection.
    virtual bool IsOnline() = 0;
    // Shows the text with the message dialog's kind and returns the dialog's answer.
    virtual int ShowMessage(TMsgDlgKind kind, const std::wstring& text) = 0;
    // Downloads the package from its lines into savePath: -1 failed, 0 done, 1 cancelled through
    // onProgress; report gets what each line carried.
    virtual int32_t DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                                 const TDownloadProgressEvent& onProgress, std::vector<TLineReport>& report) = 0;
    // Whether this build checks the package before starting it (false: started as downloaded).
    virtual bool ChecksPackages() = 0;
    // Checks the package through file, held open by the caller, against the pinned publisher and
    // the minimum version. Called on a worker thread.
    virtual TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) = 0;
    // Measures both lines, primary and secondary, in kProbeBudgetMs at most; stop ends it early.
    // Called on a worker thread.
    virtual TLineProbeResult ProbeLines(const TProbeStop& stop) = 0;
    // Starts the package held open through file (the one just checked); false when it did not start.
    virtual bool StartInstaller(HANDLE file) = 0;
    // The task-bar button that shows the download's progress.
    virtual gui::ITaskbarProgress& Taskbar() = 0;
    // How long a package that cannot be read is tried again before the user is told: security
    // software may hold a large new file that long.
    virtual DWORD UnreadablePackageRetryMs() { return 30000; }
    // Ends the launcher at once, whatever is on the stack (a run, a pumped check).
    virtual void EndProcess() = 0;
    // One information line of the download run for the day's log; a log that cannot be written
    // does not stop the run.
    virtual void LogRunLine(const std::wstring& line) = 0;

protected:
    ~IMainWindowServices() = default;
};

// Writes one line into the application's log; may raise what the log's writing raises.
using TRunLogWriter = std::function<void(const std::wstring& line)>;

// WinInet's connected state, the skinned message dialog, the shared HTTP client and the
// publisher this executable pins, the shell for the start, the application's task-bar button,
// and the log writer it is given (none: no line is written).
class TRealMainWindowServices final : public IMainWindowServices {
public:
    explicit TRealMainWindowServices(TRunLogWriter log = nullptr) : FLog(std::move(log)) {}
    ~TRealMainWindowServices() { JoinRootsOpener(); }
    TRealMainWindowServices(const TRealMainWindowServices&) = delete;
    TRealMainWindowServices& operator=(const TRealMainWindowServices&) = delete;

    bool IsOnline() override;
    int ShowMessage(TMsgDlgKind kind, const std::wstring& text) override;
    int32_t DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress, std::vector<TLineReport>& report) override;
    bool ChecksPackages() override;
    TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) override;
    TLineProbeResult ProbeLines(const TProbeStop& stop) override;
    bool StartInstaller(HANDLE file) override;
    gui::ITaskbarProgress& Taskbar() override;
    void EndProcess() override;
    void LogRunLine(const std::wstring& line) override;

private:
    void JoinRootsOpener();

    TRunLogWriter FLog;
    std::unique_ptr<sys::TTask<bool>> FRootsOpener;
};
