// The download run of the main window: the checks before it, the progress display, what each
// outcome leads to, the package's signature check and the installer launch.
#include "ui/f_Main.h"

#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
#include "sys/SysUtils.h"
#include "sys/Handles.h"
#include "ui/DownloadFigures.h"
#include "ui/LineProbeRun.h"
#include "ui/MirrorHosts.h"
#include "ui/PackageLaunch.h"
#include "ui/PumpedPackageCheck.h"
#include "ui/f_Info.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// "C:\a\b.exe" -> "b.exe"; the text after the last '\' or ':'.
std::wstring FileNameOfUrlPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    const size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

}  // namespace

void Tfrm_Main::btnDownloadNowClick(gui::TObject*) { StartDownload(); }

void Tfrm_Main::btnDownloadClick(gui::TObject*) { StartDownload(); }

void Tfrm_Main::StartDownload() {
    // The line checked now is the user's choice; a verdict that comes later must not change it.
    if (FLineProbe) FLineProbe->Stop();
    // Downloading again after a failure and continuing after a cancelled close run as a loop, so
    // however often the user retries, the stack stays one run deep.
    TRunEnd end = _RunDownloadOnce();
    while (end == TRunEnd::RunAgain) {
        end = _RunDownloadOnce();
        // The progress page has no control to start from: a repeated run that a check stops goes
        // back to the start page and its mirror choice.
        if (end == TRunEnd::StoppedByCheck) {
            PC->SetActivePage(TS1);
            FAnnounce->Idle();
        }
    }
}

Tfrm_Main::TRunEnd Tfrm_Main::_RunDownloadOnce() {
    std::wstring url;
    if (!_CheckAndPrepare(url)) return TRunEnd::StoppedByCheck;
    PC->SetActivePage(TS3);
    FAnnounce->Waiting();
    labSpeed->SetCaption(std::wstring());
    FLineReport.clear();
    const int32_t result = FServices.DownloadFile(
        _SourcesFor(url), FSaveFile,
        [this](const THttpDownloadInfo& info, bool& cancel) { DownloadProgress(info, cancel); }, FLineReport);
    if (result == 0) FServices.LogRunLine(L"下载完成：" + LineReportText(FLineReport, rdbDX->Checked()));
    // A close pressed while dsFinish or dsFail pumped has no notice left to stop: the run is
    // over, so it is answered as a close outside a run is.
    if (result != 1 && FCancelRequested) {
        EndProcess();
        return TRunEnd::Ended;
    }
    switch (result) {
        case -1:
            return _ActOnFailure();
        case 0:
            return _ActOnDone();
        case 1:
            return _ActOnCancel();
        default:
            return TRunEnd::Ended;
    }
}

// The checked line first and the other beside it, or standing by when the user picked the line;
// after a package of both lines failed the check, the next one comes from one line alone.
TDownloadSources Tfrm_Main::_SourcesFor(const std::wstring& checked) const {
    TDownloadSources sources;
    sources.Urls = {checked};
    if (!FOneLineAfterRejection) sources.Urls.push_back(checked == PrimaryDownloadUrl() ? SecondaryDownloadUrl() : PrimaryDownloadUrl());
    sources.OthersOnlyOnFailure = FLineChosenByUser;
    sources.LengthAloneResumes = FServices.ChecksPackages();
    sources.ConnectionsPerLine = ConnectionsPerLine();
    return sources;
}

bool Tfrm_Main::_CheckAndPrepare(std::wstring& url) {
    if (PC->ActivePage() == TS2) FSaveDir = edtDir->Text();
    if (FSaveDir.empty()) {
        _Say(mdkInfo, L"请选择保存路径。");
        return false;
    }
    if (rdbDX->Checked()) {
        url = PrimaryDownloadUrl();
    } else if (RdbLT->Checked()) {
        url = SecondaryDownloadUrl();
    }
    if (url.empty()) {
        _Say(mdkInfo, L"找不到下载文件。");
        return false;
    }
    TURLParts parts;
    if (!GetHttpClient()->ParseURL(url, parts)) {
        _Say(mdkInfo, L"解析URL失败！");
        return false;
    }
    const std::wstring fileName = FileNameOfUrlPath(parts.UrlPath);
    if (fileName.empty()) {
        _Say(mdkInfo, L"不存在下载文件！");
        return false;
    }
    if (!IsNetworkOnline()) {
        _Say(mdkInfo, L"网络异常，请检查网络后重试！");
        return false;
    }
    FSaveFile = sys::IncludeTrailingBackslash(FSaveDir) + fileName;
    if (sys::FileExists(FSaveFile)) {
        if (_Say(mdkOkCancel, FSaveFile + L"已存在，需要重新下载吗？") != mdrLeft) return false;
        // A file that will not go is left to the client, which deals with what it finds.
        DeleteFileW(FSaveFile.c_str());
    }
    return true;
}

Tfrm_Main::TRunEnd Tfrm_Main::_ActOnDone() {
    // Done is whole, also for a file that was already whole and so came without a notification,
    // and for a mirror that never announced a length.
    if (FDownloadTotal <= 0) FDownloadTotal = std::max<int64_t>(FDownloadPos, 1);
    SetDownloadPos(FDownloadTotal);
    const TCheckVerdict verdict = _CheckDownloadedPackage();
    if (verdict == TCheckVerdict::Rejected) return _ActOnFailure(true);
    _RedrawProgress();
    FDownloadDone = true;
    btnInstall->SetVisible(true);
    FAnnounce->Idle();
    if (verdict == TCheckVerdict::Unreadable) _KeepUnreadPackage();
    return TRunEnd::Ended;
}

// Bytes that are not the publisher's package count as a failed download: deleted, and the
// failure prompt offers to fetch them again. Bytes that could not be read were not judged.
Tfrm_Main::TCheckVerdict Tfrm_Main::_CheckDownloadedPackage() {
    if (!FServices.ChecksPackages()) return TCheckVerdict::Passed;
    labProcess->SetCaption(L"正在校验安装包…");
    FAnnounce->Waiting();
    labSpeed->SetCaption(std::wstring());
    TFileHandle package;
    const TPackageCheck check = CheckHeldPackage(FCheckingPackage, FServices, FSaveFile, package);
    package.Reset();
    if (check.Passed) {
        FServices.LogRunLine(L"安装包校验通过：" + check.Signer);
        return TCheckVerdict::Passed;
    }
    if (check.Unreadable) return TCheckVerdict::Unreadable;
    _RejectPackage(check.Reason);
    return TCheckVerdict::Rejected;
}

// The package stays where it is, with 立即安装 to check it again once the other program lets go.
void Tfrm_Main::_KeepUnreadPackage() {
    FServices.LogRunLine(L"安装包无法读取，已保留：" + FSaveFile);
    _Say(mdkInfo, L"安装包正被其他程序占用，请稍后重试。");
}

void Tfrm_Main::_RejectPackage(const std::wstring& reason) {
    FServices.LogRunLine(L"安装包校验失败：" + reason);
    DeleteFileW(FSaveFile.c_str());
}

Tfrm_Main::TRunEnd Tfrm_Main::_ActOnFailure(bool rejected) {
    FDownloadFailed = true;
    FAnnounce->Failed();
    switch (ShowDownloadFailPrompt()) {
        case 0:
            FAnnounce->Idle();
            ResetDownloadState();
            PC->SetActivePage(TS1);
            return TRunEnd::Ended;
        case 1:
            // The same address whichever line was chosen: the browser is the way out when the
            // launcher's own download failed.
            ShellExecuteW(gui::Application.Handle(), nullptr, FallbackDownloadUrl().c_str(), nullptr, nullptr,
                          SW_SHOWNORMAL);
            EndProcess();
            return TRunEnd::Ended;
        case 2:
            if (rejected) _AfterRejection();
            ResetDownloadState();
            return TRunEnd::RunAgain;
        default:
            return TRunEnd::Ended;
    }
}

// A package built from both lines is fetched again whole from the checked line first; a package
// of one line, as always, from the other line.
void Tfrm_Main::_AfterRejection() {
    const bool bothLines = std::count_if(FLineReport.begin(), FLineReport.end(),
                                         [](const TLineReport& line) { return line.Bytes > 0; }) > 1;
    if (bothLines && !FOneLineAfterRejection) {
        FOneLineAfterRejection = true;
        return;
    }
    FOneLineAfterRejection = true;
    SwitchToTheOtherLine();
}

Tfrm_Main::TRunEnd Tfrm_Main::_ActOnCancel() {
    FAnnounce->Asking();
    if (_Say(mdkOkCancel, L"当前下载还没有完成，如果关闭软件，需要重新下载，确定关闭软件吗？") == mdrLeft) {
        EndProcess();
        return TRunEnd::Ended;
    }
    ResetDownloadState();
    return TRunEnd::RunAgain;
}

void Tfrm_Main::DownloadProgress(const THttpDownloadInfo& info, bool& cancel) {
    switch (info.State) {
        case dsStart:
        case dsFinish:
            gui::Application.ProcessMessages();
            break;
        case dsProgress:
            SetDownloadPos(info.Downloaded);
            SetDownloadTotal(info.Total);
            FAnnounce->Progress(FDownloadPos, FDownloadTotal);
            _ShowSpeed(info);
            gui::Application.ProcessMessages();
            // Read after the pump, so a close pressed during it stops this very notification.
            cancel = FCancelRequested;
            break;
        case dsFail:
            FServices.LogRunLine(L"下载失败dsFail： " + info.Msg);
            gui::Application.ProcessMessages();
            break;
        case dsError:
            FServices.LogRunLine(L"下载失败dsError: " + info.Msg);
            gui::Application.ProcessMessages();
            break;
        default:
            break;
    }
}

void Tfrm_Main::SetDownloadPos(int64_t pos) {
    FDownloadPos = pos;
    _RedrawProgress();
}

void Tfrm_Main::SetDownloadTotal(int64_t total) {
    if (total != 0) FDownloadTotal = total;
    _RedrawProgress();
}

void Tfrm_Main::_RedrawProgress() {
    labProcess->SetCaption(ProgressCaption(FDownloadPos, FDownloadTotal));
    imgProcessInner->SetWidth(ProgressBarWidthFor(FDownloadPos, FDownloadTotal, imgProcessOuter->Width()));
}

void Tfrm_Main::_ShowSpeed(const THttpDownloadInfo& info) {
    // Before the client's first measurement its figures are zeros, not a rate.
    if (info.Speed <= 0) return;
    labSpeed->SetCaption(SpeedCaption(info.SpeedText, info.RemainingText, FDownloadTotal > 0));
}

void Tfrm_Main::ResetDownloadState() {
    FCancelRequested = false;
    FDownloadDone = false;
    FDownloadFailed = false;
    FDownloadPos = 0;
    FDownloadTotal = 0;
    GetHttpClient()->SetResumable(true);
}

bool Tfrm_Main::IsNetworkOnline() { return FServices.IsOnline(); }

int Tfrm_Main::_Say(TMsgDlgKind kind, const std::wstring& text) { return FServices.ShowMessage(kind, text); }

// Checked again as it is started, since the file may have been replaced after the download, and
// started through the handle that was checked, so that what starts is what passed.
void Tfrm_Main::btnInstallClick(gui::TObject*) {
    if (FCheckingPackage) return;
    TFileHandle package;
    if (!FServices.ChecksPackages()) {
        package = OpenPackageForLaunch(FSaveFile);
    } else {
        const TPackageCheck check = CheckHeldPackage(FCheckingPackage, FServices, FSaveFile, package);
        if (check.Unreadable) {
            _KeepUnreadPackage();
            return;
        }
        if (!check.Passed) {
            package.Reset();
            _RejectPackage(check.Reason);
            _Say(mdkInfo, L"安装包校验失败，请重新下载。");
            ResetDownloadState();
            btnInstall->SetVisible(false);
            PC->SetActivePage(TS1);
            return;
        }
    }
    if (!package || !FServices.StartInstaller(package.Get())) {
        _Say(mdkInfo, L"无法自动打开下载的文件。");
        return;
    }
    EndProcess();
}
