#include "ui/MainWindowServices.h"

#include "gui/Forms.h"
#include "ui/MirrorHosts.h"
#include "ui/PackageLaunch.h"
#include "verify/Publisher.h"

#include <wininet.h>

#include <stdexcept>

bool TRealMainWindowServices::IsOnline() {
    DWORD kinds = 0;
    return InternetGetConnectedState(&kinds, 0) != FALSE;
}

int TRealMainWindowServices::ShowMessage(TMsgDlgKind kind, const std::wstring& text) {
    return ShowMsgDlg(kind, text, std::wstring(), false, std::wstring());
}

int32_t TRealMainWindowServices::DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                                              const TDownloadProgressEvent& onProgress,
                                              std::vector<TLineReport>& report) {
    // The trusted roots open while the transfer runs, so that the check after it does not
    // pay for their first opening (under Wine an import of the host's roots, 0.1 to 0.3 s).
    if (ChecksPackages() && !FRootsOpener)
        FRootsOpener = std::make_unique<sys::TTask<bool>>([](const sys::TStopToken&) {
            PreparePackageCheck();
            return true;
        });
    return GetHttpClient()->DownloadFromLines(sources, savePath, onProgress, 0, nullptr, &report);
}

bool TRealMainWindowServices::ChecksPackages() { return !RequiredPublisher().empty(); }

gui::ITaskbarProgress& TRealMainWindowServices::Taskbar() { return gui::ApplicationTaskbar(); }

TPackageCheck TRealMainWindowServices::CheckPackage(const std::wstring& path, HANDLE file) {
    JoinRootsOpener();
    return ::CheckPackage(path, file, RequiredPublisher(), MinimumPackageVersion());
}

TLineProbeResult TRealMainWindowServices::ProbeLines(const TProbeStop& stop) {
    return ::ProbeLines(PrimaryDownloadUrl(), SecondaryDownloadUrl(), kProbeBudgetMs, stop);
}

bool TRealMainWindowServices::StartInstaller(HANDLE file) { return StartPackage(file, gui::Application.Handle()); }

void TRealMainWindowServices::EndProcess() {
    HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
    TerminateProcess(self ? self : GetCurrentProcess(), static_cast<UINT>(-1));
}

void TRealMainWindowServices::LogRunLine(const std::wstring& line) {
    if (!FLog) return;
    // A log that cannot be written must not end the download it reports on.
    try {
        FLog(line);
    } catch (const std::exception&) {
        OutputDebugStringW(L"Tallyvo: the download log line could not be written\n");
    }
}

void TRealMainWindowServices::JoinRootsOpener() {
    if (FRootsOpener) FRootsOpener->Wait(INFINITE);
}
