#include "ui/MainWindowServices.h"

#include "gui/Forms.h"
#include "ui/MirrorHosts.h"
#include "ui/PackageLaunch.h"
#include "verify/Publisher.h"

#include <wininet.h>

#include <memory>

#include "sys/Task.h"

namespace {

class TRealMainWindowServices final : public IMainWindowServices {
public:
    ~TRealMainWindowServices() { JoinRootsOpener(); }

    bool IsOnline() override {
        DWORD kinds = 0;
        return InternetGetConnectedState(&kinds, 0) != FALSE;
    }

    int ShowMessage(TMsgDlgKind kind, const std::wstring& text) override {
        return ShowMsgDlg(kind, text, std::wstring(), false, std::wstring());
    }

    int32_t DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress, std::vector<TLineReport>& report) override {
        // The trusted roots open while the transfer runs, so that the check after it does not
        // pay for their first opening (under Wine an import of the host's roots, 0.1 to 0.3 s).
        if (ChecksPackages() && !FRootsOpener)
            FRootsOpener = std::make_unique<sys::TTask<bool>>([](const sys::TStopToken&) {
                PreparePackageCheck();
                return true;
            });
        return GetHttpClient()->DownloadFromLines(sources, savePath, onProgress, 0, nullptr, &report);
    }

    bool ChecksPackages() override { return !RequiredPublisher().empty(); }

    gui::ITaskbarProgress& Taskbar() override { return gui::ApplicationTaskbar(); }

    TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) override {
        JoinRootsOpener();
        return ::CheckPackage(path, file, RequiredPublisher(), MinimumPackageVersion());
    }

    TLineProbeResult ProbeLines(const TProbeStop& stop) override {
        return ::ProbeLines(PrimaryDownloadUrl(), SecondaryDownloadUrl(), kProbeBudgetMs, stop);
    }

    bool StartInstaller(HANDLE file) override { return StartPackage(file, gui::Application.Handle()); }

    void EndProcess() override {
        HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
        TerminateProcess(self ? self : GetCurrentProcess(), static_cast<UINT>(-1));
    }

private:
    void JoinRootsOpener() {
        if (FRootsOpener) FRootsOpener->Wait(INFINITE);
    }

    std::unique_ptr<sys::TTask<bool>> FRootsOpener;
};

}  // namespace

IMainWindowServices& RealMainWindowServices() {
    static TRealMainWindowServices services;
    return services;
}
