#include "ui/f_Main.h"

#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
#include "controls/briskPanel.h"
#include "controls/f_BriskImageButton.h"
#include "controls/f_ShadowFrame.h"
#include "gui/PngImage.h"
#include "ui/LineProbeRun.h"
#include "sys/SysUtils.h"

#include <objbase.h>
#include <shlobj.h>

Tfrm_Main* frm_Main = nullptr;

namespace {

constexpr UINT kAttachShadow = WM_APP + 1;
constexpr UINT kLineProbeDone = WM_APP + 2;

// The classes the stored data names beyond the framework's own; each call after the first
// changes nothing.
void RegisterMainWindowClasses() {
    gui::RegisterPngFormat();
    RegisterBriskPanelWindowData();
    RegisterBriskImageButtonWindowData();
    RegisterTesselRadioButtonWindowData();
    RegisterTesselEditExWindowData();
}

struct TComScope {
    TComScope() : initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComScope() {
        if (initialised) CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    bool initialised;
};

struct TItemIdListOwner {
    explicit TItemIdListOwner(PIDLIST_ABSOLUTE list) : pidl(list) {}
    ~TItemIdListOwner() { CoTaskMemFree(pidl); }
    TItemIdListOwner(const TItemIdListOwner&) = delete;
    TItemIdListOwner& operator=(const TItemIdListOwner&) = delete;
    PIDLIST_ABSOLUTE pidl;
};

// The folder the user picks in the shell's browser, with a trailing backslash; empty when
// the user cancels or picks something that is no file-system folder.
std::wstring BrowseForFolder(HWND owner) {
    TComScope com;
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.lpszTitle = L"请选择目录";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    TItemIdListOwner picked(SHBrowseForFolderW(&info));
    if (!picked.pidl) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(picked.pidl, path) || path[0] == L'\0') return std::wstring();
    return sys::IncludeTrailingBackslash(path);
}

}  // namespace

Tfrm_Main::Tfrm_Main(gui::TComponent* owner, IMainWindowServices& services) : gui::TForm(owner), FServices(services) {
    RegisterMainWindowClasses();
    gui::LoadWindowData(*this, L"f_Main.dfm");
}

Tfrm_Main::~Tfrm_Main() {
    if (frm_Main == this) frm_Main = nullptr;
}

gui::TWindowDataBindings Tfrm_Main::WindowDataBindings() {
    using gui::Field;
    using gui::Handler;
    return {
        Field(L"pnlGg", pnlGg), Field(L"imgTop", imgTop), Field(L"pnlMinClose", pnlMinClose),
        Field(L"btnSmall", btnSmall), Field(L"btnClose", btnClose), Field(L"PC", PC), Field(L"TS1", TS1),
        Field(L"pnlTS1", pnlTS1), Field(L"labCustom", labCustom), Field(L"imgGray", imgGray),
        Field(L"btnDownloadNow", btnDownloadNow), Field(L"pnlRdbtn", pnlRdbtn), Field(L"rdbDX", rdbDX),
        Field(L"RdbLT", RdbLT), Field(L"TS2", TS2), Field(L"pnlTS2", pnlTS2), Field(L"labDirInfo", labDirInfo),
        Field(L"labBack", labBack), Field(L"btnDownload", btnDownload), Field(L"btnDir", btnDir),
        Field(L"edtDir", edtDir), Field(L"TS3", TS3), Field(L"pnlTS3", pnlTS3), Field(L"labProcess", labProcess),
        Field(L"labSpeed", labSpeed), Field(L"btnInstall", btnInstall), Field(L"Panel1", Panel1),
        Field(L"imgProcessOuter", imgProcessOuter), Field(L"imgProcessInner", imgProcessInner),
        Handler(L"FormCreate", this, &Tfrm_Main::FormCreate),
        Handler(L"FormShow", this, &Tfrm_Main::FormShow),
        Handler(L"FormClose", this, &Tfrm_Main::FormClose),
        Handler(L"imgTopMouseDown", this, &Tfrm_Main::imgTopMouseDown),
        Handler(L"btnSmallClick", this, &Tfrm_Main::btnSmallClick),
        Handler(L"btnCloseClick", this, &Tfrm_Main::btnCloseClick),
        Handler(L"labCustomClick", this, &Tfrm_Main::labCustomClick),
        Handler(L"TS2Show", this, &Tfrm_Main::TS2Show),
        Handler(L"labBackClick", this, &Tfrm_Main::labBackClick),
        Handler(L"btnDirClick", this, &Tfrm_Main::btnDirClick),
        Handler(L"edtDirExit", this, &Tfrm_Main::edtDirExit),
        Handler(L"btnDownloadNowClick", this, &Tfrm_Main::btnDownloadNowClick),
        Handler(L"btnDownloadClick", this, &Tfrm_Main::btnDownloadClick),
        Handler(L"btnInstallClick", this, &Tfrm_Main::btnInstallClick),
    };
}

void Tfrm_Main::FormCreate(gui::TObject*) {
    // The start page first: the form's window then gets windows for the start page's controls
    // only, not for the pages it would hide at once.
    for (int i = 0; i < PC->PageCount(); ++i) PC->Page(i)->SetTabVisible(false);
    PC->SetActivePage(TS1);
    ResetDownloadState();
    WatchLineButtons();
    FAnnounce = std::make_unique<TDownloadAnnounce>(FServices.Taskbar(), *imgProcessOuter);
}

void Tfrm_Main::FormShow(gui::TObject*) {
    // The shadow is no part of the first picture: at start-up the form paints before the message
    // loop runs, and the shadow's window (a layered top-level one, several milliseconds under
    // Wine) is made after that.
    PostMessageW(Handle(), kAttachShadow, 0, 0);
    const std::wstring folder = sys::IncludeTrailingBackslash(sys::ExtractFilePath(sys::ExeFileName())) + L"Tallyvo\\";
    // A folder that cannot be made is not reported here: the download into it fails in the
    // client and the failure prompt follows.
    if (!sys::DirectoryExists(folder)) sys::ForceDirectories(folder);
    FSaveDir = folder;
}

void Tfrm_Main::WndProc(gui::TMessage& message) {
    switch (message.Msg) {
        case kAttachShadow:
            AttachShadow();
            // After the first picture too: the probe's threads and the network library's loading
            // stay out of the way of the first paint.
            StartLineProbe(kLineProbeDone);
            return;
        case kLineProbeDone:
            LineProbeDone();
            return;
        default:
            gui::TForm::WndProc(message);
    }
}

void Tfrm_Main::AttachShadow() {
    if (!FShadow) {
        FShadow = std::make_unique<TFormShadow>();
        FShadow->SetForm(Handle());
    }
    FShadow->SetActive(true);
}

void Tfrm_Main::FormClose(gui::TObject*, gui::TCloseAction& action) {
    if (FCheckingPackage) EndProcess();
    // A close from outside (task bar, Alt+F4) during a run is the close button's request: the
    // run stops and asks, rather than the window vanishing once the transfer ends.
    if (!_DownloadUnderWay()) return;
    FCancelRequested = true;
    action = gui::caNone;
}

void Tfrm_Main::imgTopMouseDown(gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) {
    DragWithMouse();
}

void Tfrm_Main::btnSmallClick(gui::TObject*) { gui::Application.Minimize(); }

void Tfrm_Main::btnCloseClick(gui::TObject*) {
    if (FCheckingPackage) EndProcess();
    // During a run the download is on the stack below this handler (the progress handler pumps
    // messages): only ask it to stop; the run then asks whether to close.
    if (_DownloadUnderWay()) {
        FCancelRequested = true;
        return;
    }
    EndProcess();
}

bool Tfrm_Main::_DownloadUnderWay() { return PC->ActivePage() == TS3 && !FDownloadFailed && !FDownloadDone; }

void Tfrm_Main::labCustomClick(gui::TObject*) { PC->SetActivePage(TS2); }

void Tfrm_Main::TS2Show(gui::TObject*) { edtDir->SetText(FSaveDir); }

void Tfrm_Main::labBackClick(gui::TObject*) { PC->SetActivePage(TS1); }

void Tfrm_Main::btnDirClick(gui::TObject*) {
    const std::wstring folder = BrowseForFolder(gui::Application.Handle());
    if (folder.empty()) return;
    edtDir->SetText(folder);
    FSaveDir = edtDir->Text();
}

void Tfrm_Main::edtDirExit(gui::TObject*) { FSaveDir = edtDir->Text(); }

void Tfrm_Main::EndProcess() { FServices.EndProcess(); }
