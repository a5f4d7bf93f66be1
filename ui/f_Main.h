#pragma once
// Tfrm_Main: the borderless main window with its three pages (start, folder, progress) and the
// download run that lives on it. The component tree comes from the stored window data
// ui/f_Main.dfm; this class holds the behaviour.
#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/KeyboardTurns.h"
#include "gui/StdCtrls.h"
#include "gui/WindowDataLoader.h"
#include "net/HttpClientIntf.h"
#include "ui/DownloadAnnounce.h"
#include "ui/MainWindowServices.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBriskPanel;
class TFormShadow;
class TLineProbeRun;
class TPNGImageButtonEx;
class TTesselEditEx;
class TTesselRadioButton;

class Tfrm_Main : public gui::TForm, public gui::IWindowDataForm {
public:
    // services must outlive the window.
    explicit Tfrm_Main(gui::TComponent* owner, IMainWindowServices& services);
    ~Tfrm_Main() override;
    gui::TWindowDataBindings WindowDataBindings() override;

    // Components, bound by name from the stored window data.
    TBriskPanel* pnlGg = nullptr;
    gui::TImage* imgTop = nullptr;
    TBriskPanel* pnlMinClose = nullptr;
    TPNGImageButtonEx* btnSmall = nullptr;
    TPNGImageButtonEx* btnClose = nullptr;
    gui::TPageControl* PC = nullptr;
    gui::TTabSheet* TS1 = nullptr;
    TBriskPanel* pnlTS1 = nullptr;
    gui::TLabel* labCustom = nullptr;
    gui::TImage* imgGray = nullptr;
    gui::TImage* btnDownloadNow = nullptr;
    TBriskPanel* pnlRdbtn = nullptr;
    TTesselRadioButton* rdbDX = nullptr;
    TTesselRadioButton* RdbLT = nullptr;
    gui::TTabSheet* TS2 = nullptr;
    TBriskPanel* pnlTS2 = nullptr;
    gui::TLabel* labDirInfo = nullptr;
    gui::TLabel* labBack = nullptr;
    gui::TImage* btnDownload = nullptr;
    gui::TImage* btnDir = nullptr;
    TTesselEditEx* edtDir = nullptr;
    gui::TTabSheet* TS3 = nullptr;
    TBriskPanel* pnlTS3 = nullptr;
    gui::TLabel* labProcess = nullptr;
    gui::TLabel* labSpeed = nullptr;
    gui::TImage* btnInstall = nullptr;
    gui::TPanel* Panel1 = nullptr;
    gui::TImage* imgProcessOuter = nullptr;
    gui::TImage* imgProcessInner = nullptr;

    // Handlers, bound by name.
    void FormCreate(gui::TObject* sender);
    void FormShow(gui::TObject* sender);
    void FormClose(gui::TObject* sender, gui::TCloseAction& action);
    void imgTopMouseDown(gui::TObject* sender, gui::TMouseButton button, gui::TShiftState shift, int x, int y);
    void btnSmallClick(gui::TObject* sender);
    void btnCloseClick(gui::TObject* sender);
    void labCustomClick(gui::TObject* sender);
    void TS2Show(gui::TObject* sender);
    void labBackClick(gui::TObject* sender);
    void btnDirClick(gui::TObject* sender);
    void edtDirExit(gui::TObject* sender);
    void btnDownloadNowClick(gui::TObject* sender);
    void btnDownloadClick(gui::TObject* sender);
    void btnInstallClick(gui::TObject* sender);

    bool DialogKey(WORD key, gui::TShiftState shift) override;
    // A screen reader hears the application's title, and the picture that has the keyboard's
    // turn (the page's main one before any key) as the focused element.
    std::wstring AccessibleName() const override { return gui::Application.Title(); }
    gui::TControl* FocusedElement() override;

protected:
    void WndProc(gui::TMessage& message) override;

private:
    enum class TRunEnd { StoppedByCheck, Ended, RunAgain };

    void AttachShadow();
    std::vector<gui::TControl*> _KeyboardElements();
    void _MoveLineChoice(TTesselRadioButton* to);

    void WatchLineButtons();
    void StartLineProbe(UINT doneMessage);
    void LineProbeDone();
    void CheckLine(bool secondary);
    void SwitchToTheOtherLine();
    void _AfterRejection();
    TDownloadSources _SourcesFor(const std::wstring& checked) const;

    void StartDownload();
    TRunEnd _RunDownloadOnce();
    bool _CheckAndPrepare(std::wstring& url);
    TRunEnd _ActOnDone();
    // rejected: the publisher check refused what the transfer delivered.
    TRunEnd _ActOnFailure(bool rejected = false);
    TRunEnd _ActOnCancel();
    enum class TCheckVerdict { Passed, Rejected, Unreadable };
    TCheckVerdict _CheckDownloadedPackage();
    void _KeepUnreadPackage();
    void _RejectPackage(const std::wstring& reason);
    bool _DownloadUnderWay();
    void DownloadProgress(const THttpDownloadInfo& info, bool& cancel);
    void SetDownloadPos(int64_t pos);
    void SetDownloadTotal(int64_t total);
    void _ShowSpeed(const THttpDownloadInfo& info);
    void _RedrawProgress();
    void ResetDownloadState();
    bool IsNetworkOnline();
    int _Say(TMsgDlgKind kind, const std::wstring& text);
    void EndProcess();

    IMainWindowServices& FServices;
    std::unique_ptr<TFormShadow> FShadow;
    std::unique_ptr<TLineProbeRun> FLineProbe;
    // The user pressed or changed a line button: the probe's verdict no longer overrides it.
    bool FLineChosenByUser = false;
    bool FOneLineAfterRejection = false;
    std::vector<TLineReport> FLineReport;
    bool FCheckingLine = false;
    gui::TKeyboardTurns FKeys;
    std::unique_ptr<TDownloadAnnounce> FAnnounce;
    // Held wide rather than in the ANSI code page: a folder whose name the code page cannot
    // spell would otherwise be checked, deleted and launched under a mangled name.
    std::wstring FSaveDir;
    std::wstring FSaveFile;
    bool FCancelRequested = false;
    bool FDownloadDone = false;
    bool FDownloadFailed = false;
    // The package check runs on a worker while the window pumps: a close then ends the program
    // rather than unwinding a window that the check's caller still uses.
    bool FCheckingPackage = false;
    int64_t FDownloadPos = 0;
    // 0 while the mirror has announced no length.
    int64_t FDownloadTotal = 0;
};

extern Tfrm_Main* frm_Main;
