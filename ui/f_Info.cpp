#include "ui/f_Info.h"

#include "controls/briskPanel.h"
#include "controls/f_BriskImageButton.h"
#include "controls/f_ShadowFrame.h"
#include "gui/Accessible.h"
#include "gui/PngImage.h"

namespace {

void RegisterInfoWindowClasses() {
    gui::RegisterPngFormat();
    RegisterBriskPanelWindowData();
    RegisterBriskImageButtonWindowData();
}

}  // namespace

Tfrm_Info::Tfrm_Info(gui::TComponent* owner) : gui::TForm(owner) {
    RegisterInfoWindowClasses();
    gui::LoadWindowData(*this, L"f_Info.dfm");
}

Tfrm_Info::~Tfrm_Info() = default;

gui::TWindowDataBindings Tfrm_Info::WindowDataBindings() {
    using gui::Field;
    using gui::Handler;
    return {
        Field(L"Label1", Label1), Field(L"Image1", Image1), Field(L"pnl_Titile", pnl_Titile),
        Field(L"lblSysTitle", lblSysTitle), Field(L"briskPnlTopRight", briskPnlTopRight),
        Field(L"pnlMinClose", pnlMinClose), Field(L"btnClose", btnClose), Field(L"pnl_bottom", pnl_bottom),
        Field(L"btnReLoad", btnReLoad), Field(L"btnUseIE", btnUseIE),
        Handler(L"FormCreate", this, &Tfrm_Info::FormCreate),
        Handler(L"FormShow", this, &Tfrm_Info::FormShow),
        Handler(L"pnl_TitileMouseDown", this, &Tfrm_Info::pnl_TitileMouseDown),
        Handler(L"btnCloseClick", this, &Tfrm_Info::btnCloseClick),
        Handler(L"btnReLoadClick", this, &Tfrm_Info::btnReLoadClick),
        Handler(L"btnUseIEClick", this, &Tfrm_Info::btnUseIEClick),
    };
}

void Tfrm_Info::FormCreate(gui::TObject*) {
    FShadow = std::make_unique<TFormShadow>();
    FShadow->SetForm(Handle());
}

void Tfrm_Info::FormShow(gui::TObject*) {
    // The corner group is written after the empty right-hand panel it overlaps and must take the
    // presses there, whatever stacking order the sibling windows got when they were made.
    SetWindowPos(pnlMinClose->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FShadow->SetActive(true);
}

void Tfrm_Info::pnl_TitileMouseDown(gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) {
    DragWithMouse();
}

void Tfrm_Info::btnCloseClick(gui::TObject*) { _Choose(kPromptClosed); }

void Tfrm_Info::btnReLoadClick(gui::TObject*) { _Choose(kPromptDownloadAgain); }

void Tfrm_Info::btnUseIEClick(gui::TObject*) { _Choose(kPromptUseBrowser); }

// Escape is the close request from outside: the prompt closes with no choice made.
bool Tfrm_Info::DialogKey(WORD key, gui::TShiftState shift) {
    if (key == VK_ESCAPE) {
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        return true;
    }
    return FKeys.DialogKey(*this, {btnReLoad, btnUseIE}, key, shift);
}

gui::TControl* Tfrm_Info::FocusedElement() { return FKeys.Turn() ? FKeys.Turn() : btnReLoad; }

void Tfrm_Info::WndProc(gui::TMessage& message) {
    gui::TForm::WndProc(message);
    if (message.Msg == gui::CM_SHOWINGCHANGED && Showing()) gui::NotifyAccessibleAlert(*this);
}

void Tfrm_Info::_Choose(int32_t choice) {
    FChoice = choice;
    Close();
}

int32_t ShowDownloadFailPrompt() {
    gui::TModalFormScope<Tfrm_Info> prompt(gui::NewForm<Tfrm_Info>(&gui::Application));
    prompt->ShowModal();
    return prompt->Choice();
}
