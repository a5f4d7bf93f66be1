#pragma once
// The skinned modal message box through which every notice and question reaches the user:
// borderless, always on top, with its own blue title bar, a 48-pixel icon, the message, an
// optional remind check box, a collapsible detail pane and up to three answer buttons.
// ShowMsgDlg builds a fresh dialog for each call, runs it modally and frees it.
#include "controls/f_ShadowFrame.h"
#include "dialogs/ModalSpeedButton.h"
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/StdCtrls.h"
#include "gui/WindowDataLoader.h"

#include <cstdint>
#include <memory>
#include <string>

using TMsgDlgKind = std::uint8_t;
constexpr TMsgDlgKind mdkInfo = 0;
constexpr TMsgDlgKind mdkError = 1;
constexpr TMsgDlgKind mdkWarning = 2;
constexpr TMsgDlgKind mdkOkCancel = 3;
constexpr TMsgDlgKind mdkYesNoCancel = 4;
constexpr TMsgDlgKind mdkYesNo = 5;
constexpr TMsgDlgKind mdkYesNoAlt = 6;

constexpr int mdrLeft = 1;          // left button, remind box clear; any close of kinds 0 to 2
constexpr int mdrCenter = 2;        // centre button (kind 4, "否(&N)")
constexpr int mdrRight = 3;         // right button, remind box clear; also Esc and the close image
constexpr int mdrLeftRemind = 10;   // left button with the remind box ticked
constexpr int mdrRightRemind = 30;  // right button with the remind box ticked

// Detail and RemindText that are empty or blank mean no detail pane and no remind box.
int ShowMsgDlg(TMsgDlgKind Kind, const std::wstring& Text, const std::wstring& Detail, bool RemindChecked,
               const std::wstring& RemindText);

class Tfrm_MsgDlg : public gui::TForm, public gui::IWindowDataForm {
public:
    // Loads the stored window data; FormCreate runs when the maker calls DoCreate.
    explicit Tfrm_MsgDlg(gui::TComponent* owner);
    ~Tfrm_MsgDlg() override;

    gui::TWindowDataBindings WindowDataBindings() override;
    void SetVisible(bool visible) override;

    TMsgDlgKind DlgKind() const { return FDlgKind; }
    int ResultCode() const { return FResult; }
    bool HasDetail() const { return FHasDetail; }
    TFormShadow* Shadow() const { return FShadow.get(); }

    gui::TImage* img1 = nullptr;
    gui::TPanel* pnl_body = nullptr;
    gui::TPanel* pnl_title = nullptr;
    gui::TImage* Image1 = nullptr;
    gui::TLabel* lblSysTitle = nullptr;
    gui::TImage* Image2 = nullptr;
    gui::TPanel* pnlMsg = nullptr;
    gui::TLabel* lblMsg = nullptr;
    gui::TImage* imgWarn = nullptr;
    gui::TImage* imgError = nullptr;
    gui::TImage* imgInfo = nullptr;
    gui::TImage* imgConfirm = nullptr;
    gui::TPanel* pnlRemind = nullptr;
    gui::TCheckBox* cbxRemind = nullptr;
    gui::TLabel* lblRemind = nullptr;
    gui::TPanel* pnlDetail = nullptr;
    gui::TPanel* Panel3 = nullptr;
    gui::TMemo* moInfo = nullptr;
    gui::TPanel* pnlButton = nullptr;
    gui::TImage* Image3 = nullptr;
    TModalSpeedButton* sBtnLeft = nullptr;
    TModalSpeedButton* sBtnCenter = nullptr;
    TModalSpeedButton* sBtnRight = nullptr;
    TModalSpeedButton* sBtnDetail = nullptr;

protected:
    void CreateParams(gui::TCreateParams& params) override;

private:
    friend int ShowMsgDlg(TMsgDlgKind, const std::wstring&, const std::wstring&, bool, const std::wstring&);

    void FormCreate(gui::TObject* sender);
    void FormShow(gui::TObject* sender);
    void FormKeyDown(gui::TObject* sender, WORD& key, gui::TShiftState shift);
    void Image1MouseDown(gui::TObject* sender, gui::TMouseButton button, gui::TShiftState shift, int x, int y);
    void Image1MouseMove(gui::TObject* sender, gui::TShiftState shift, int x, int y);
    void Image2Click(gui::TObject* sender);
    void Image2MouseMove(gui::TObject* sender, gui::TShiftState shift, int x, int y);
    void sBtnLeftClick(gui::TObject* sender);
    void sBtnCenterClick(gui::TObject* sender);
    void sBtnRightClick(gui::TObject* sender);
    void sBtnDetailClick(gui::TObject* sender);

    void ApplyKind();
    void AdjustMsgSize();
    void AdjustHeight();
    void LayOutAnswerButtons();
    void CenterOnScreen();

    std::unique_ptr<TFormShadow> FShadow;
    TMsgDlgKind FDlgKind = mdkInfo;
    int FResult = 0;
    bool FHasDetail = false;
};
