#pragma once
// Tfrm_Info: the small modal prompt after a failed online download. It only records which way
// out the user took; the download run acts on it.
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/KeyboardTurns.h"
#include "gui/StdCtrls.h"
#include "gui/WindowDataLoader.h"

#include <cstdint>
#include <memory>

class TBriskPanel;
class TFormShadow;
class TPNGImageButtonEx;

// The prompt's answers.
constexpr int32_t kPromptClosed = 0;
constexpr int32_t kPromptUseBrowser = 1;
constexpr int32_t kPromptDownloadAgain = 2;

class Tfrm_Info : public gui::TForm, public gui::IWindowDataForm {
public:
    explicit Tfrm_Info(gui::TComponent* owner);
    ~Tfrm_Info() override;
    gui::TWindowDataBindings WindowDataBindings() override;

    gui::TLabel* Label1 = nullptr;
    gui::TImage* Image1 = nullptr;
    TBriskPanel* pnl_Titile = nullptr;
    gui::TLabel* lblSysTitle = nullptr;
    TBriskPanel* briskPnlTopRight = nullptr;
    TBriskPanel* pnlMinClose = nullptr;
    TPNGImageButtonEx* btnClose = nullptr;
    TBriskPanel* pnl_bottom = nullptr;
    gui::TImage* btnReLoad = nullptr;
    gui::TImage* btnUseIE = nullptr;

    void FormCreate(gui::TObject* sender);
    void FormShow(gui::TObject* sender);
    void pnl_TitileMouseDown(gui::TObject* sender, gui::TMouseButton button, gui::TShiftState shift, int x, int y);
    void btnCloseClick(gui::TObject* sender);
    void btnReLoadClick(gui::TObject* sender);
    void btnUseIEClick(gui::TObject* sender);

    int32_t Choice() const { return FChoice; }
    bool DialogKey(WORD key, gui::TShiftState shift) override;
    // A screen reader hears the title, the picture with the keyboard's turn (重新下载 before any
    // key) as the focused element, and an alert when the prompt appears.
    std::wstring AccessibleName() const override { return lblSysTitle ? lblSysTitle->Caption() : Caption(); }
    gui::TControl* FocusedElement() override;

protected:
    void WndProc(gui::TMessage& message) override;

private:
    void _Choose(int32_t choice);

    int32_t FChoice = kPromptClosed;
    std::unique_ptr<TFormShadow> FShadow;
    gui::TKeyboardTurns FKeys;
};

// Shows a fresh prompt modally and returns the choice: 0 closed, 1 browser, 2 download again.
int32_t ShowDownloadFailPrompt();
