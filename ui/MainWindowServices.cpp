#include "ui/MainWindowServices.h"

#include "gui/Forms.h"
#include "ui/MirrorHosts.h"
#include "ui/PackageLaunch.h"
#include "verify/Publisher.h"

#include <wininet.h>

#include <thread>

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

    int32_t DownloadFile(const std::wstring& url, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress) override {
        // The trusted roots open while the transfer runs, so that the check after it does not
        // pay for their first opening (under Wine an import of the host's roots, 0.1 to 0.3 s).
        if (ChecksPackages() && !FRootsOpener.joinable()) FRootsOpener = std::thread(PreparePackageCheck);
        return GetHttpClient()->DownloadFile(url, savePath, onProgress, 0, nullptr);
    }

    bool ChecksPackages() override { return !RequiredPublisher().empty(); }

    gui::ITaskbarProgress& Taskbar() override { return gui::ApplicationTaskbar(); }

    TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) override {
        JoinRootsOpener();
        return ::CheckPackage(path, file, RequiredPublisher());
    }

    TLineProbeResult ProbeLines(const TProbeStop& stop) override {
        return ::ProbeLines(PrimaryDownloadUrl(), SecondaryDownloadUrl(), kProbeBudgetMs, stop);
    }

    bool StartInstaller(HANDLE file) override { return StartPackage(file, gui::Application.Handle()); }

private:
    void JoinRootsOpener() {
        if (FRootsOpener.joinable()) FRootsOpener.join();
    }

    std::thread FRootsOpener;
};

}  // namespace

IMainWindowServices& RealMainWindowServices() {
    static TRealMainWindowServices services;
    return services;
}
