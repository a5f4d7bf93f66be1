#include "dialogs/f_MsgDlgBox.h"

#include "gui/Gdi.h"
#include "gui/PngImage.h"
#include "sys/SysUtils.h"

#include <algorithm>

namespace {

constexpr int kNarrowWidth = 300;
constexpr int kWideWidth = 500;
constexpr int kWrapRight = 480;       // a wrapped message ends here
constexpr int kMessageGap = 20;       // between the message's end and the dialog's right edge
constexpr int kMessageBottom = 80;    // the message panel grows once the text reaches below this
constexpr int kDetailHeight = 150;
constexpr int kButtonRightGap = 16;
constexpr int kButtonGap = 8;

const wchar_t kShowDetail[] = L"显示详细信息";
const wchar_t kHideDetail[] = L"隐藏详细信息";

struct TKindLook {
    const wchar_t* Title;
    gui::TImage* Tfrm_MsgDlg::*Icon;
    const wchar_t* Left;    // captions; nullptr leaves the button hidden
    const wchar_t* Center;
    const wchar_t* Right;
};

const TKindLook kKindLooks[] = {
    {L"提示信息", &Tfrm_MsgDlg::imgInfo, L"确定(&O)", nullptr, nullptr},
    {L"错误信息", &Tfrm_MsgDlg::imgError, L"确定(&O)", nullptr, nullptr},
    {L"警告信息", &Tfrm_MsgDlg::imgWarn, L"确定(&O)", nullptr, nullptr},
    {L"确认信息", &Tfrm_MsgDlg::imgConfirm, L"确定(&O)", nullptr, L"取消"},
    {L"确认信息", &Tfrm_MsgDlg::imgConfirm, L"是(&Y)", L"否(&N)", L"取消"},
    {L"确认信息", &Tfrm_MsgDlg::imgConfirm, L"是(&Y)", nullptr, L"否(&N)"},
    {L"确认信息", &Tfrm_MsgDlg::imgConfirm, L"是(&Y)", nullptr, L"否(&N)"},
};

constexpr size_t kKindCount = sizeof(kKindLooks) / sizeof(kKindLooks[0]);

bool IsNoticeKind(TMsgDlgKind kind) { return kind == mdkInfo || kind == mdkError || kind == mdkWarning; }

void ShowButton(TModalSpeedButton& button, const wchar_t* caption) {
    if (!caption) return;
    button.SetCaption(caption);
    button.Show();
}

// The stored pictures come as PNG; the framework's colour-key transparency (the bottom-left
// pixel's colour left out) belongs to bitmaps, so transparent pictures are held as bitmaps.
void HoldAsBitmap(gui::TImage& image) {
    auto* png = dynamic_cast<gui::TPngImage*>(image.Picture().Graphic());
    if (!png) return;
    auto bitmap = std::make_unique<gui::TBitmap>(png->ToBitmap());
    bitmap->SetSourceName(png->SourceName());
    image.Picture().SetGraphic(std::move(bitmap));
}

int OneLineHeight(const gui::TFont& font) {
    gui::WindowDc screen(nullptr);
    gui::TCanvas measure(screen.Get());
    measure.Font = font;
    return measure.TextHeight(L" ");
}

}  // namespace

int ShowMsgDlg(TMsgDlgKind Kind, const std::wstring& Text, const std::wstring& Detail, bool RemindChecked,
               const std::wstring& RemindText) {
    gui::TModalFormScope<Tfrm_MsgDlg> dialog(gui::New<Tfrm_MsgDlg>(&gui::Application));
    dialog->DoCreate();
    dialog->FDlgKind = Kind;
    dialog->lblMsg->SetCaption(Text + L"  ");
    dialog->FHasDetail = !sys::Trim(Detail).empty();
    if (dialog->FHasDetail) {
        dialog->moInfo->Clear();
        dialog->moInfo->SetText(Detail);
    }
    if (!sys::Trim(RemindText).empty()) {
        dialog->pnlRemind->Show();
        dialog->cbxRemind->SetChecked(RemindChecked);
        dialog->lblRemind->SetCaption(RemindText);
    }
    dialog->ApplyKind();
    if (dialog->ShowModal() != gui::mrOk) return mdrRight;
    return IsNoticeKind(Kind) ? mdrLeft : dialog->FResult;
}

Tfrm_MsgDlg::Tfrm_MsgDlg(gui::TComponent* owner) : gui::TForm(owner) {
    RegisterModalSpeedButtonWindowData();
    gui::LoadWindowData(*this, L"f_MsgDlgBox.dfm");
}

Tfrm_MsgDlg::~Tfrm_MsgDlg() {
    // The shadow watches this window; it lets go while the window still exists.
    FShadow.reset();
}

gui::TWindowDataBindings Tfrm_MsgDlg::WindowDataBindings() {
    using gui::Field;
    using gui::Handler;
    using F = Tfrm_MsgDlg;
    return {Field(L"img1", img1),
            Field(L"pnl_body", pnl_body),
            Field(L"pnl_title", pnl_title),
            Field(L"Image1", Image1),
            Field(L"lblSysTitle", lblSysTitle),
            Field(L"Image2", Image2),
            Field(L"pnlMsg", pnlMsg),
            Field(L"lblMsg", lblMsg),
            Field(L"imgWarn", imgWarn),
            Field(L"imgError", imgError),
            Field(L"imgInfo", imgInfo),
            Field(L"imgConfirm", imgConfirm),
            Field(L"pnlRemind", pnlRemind),
            Field(L"cbxRemind", cbxRemind),
            Field(L"lblRemind", lblRemind),
            Field(L"pnlDetail", pnlDetail),
            Field(L"Panel3", Panel3),
            Field(L"moInfo", moInfo),
            Field(L"pnlButton", pnlButton),
            Field(L"Image3", Image3),
            Field(L"sBtnLeft", sBtnLeft),
            Field(L"sBtnCenter", sBtnCenter),
            Field(L"sBtnRight", sBtnRight),
            Field(L"sBtnDetail", sBtnDetail),
            Handler(L"FormCreate", this, &F::FormCreate),
            Handler(L"FormShow", this, &F::FormShow),
            Handler(L"FormKeyDown", this, &F::FormKeyDown),
            Handler(L"Image1MouseDown", this, &F::Image1MouseDown),
            Handler(L"Image1MouseMove", this, &F::Image1MouseMove),
            Handler(L"Image2Click", this, &F::Image2Click),
            Handler(L"Image2MouseMove", this, &F::Image2MouseMove),
            Handler(L"sBtnLeftClick", this, &F::sBtnLeftClick),
            Handler(L"sBtnCenterClick", this, &F::sBtnCenterClick),
            Handler(L"sBtnRightClick", this, &F::sBtnRightClick),
            Handler(L"sBtnDetailClick", this, &F::sBtnDetailClick)};
}

// No owner window and a tool-window style: the dialog gets no task-bar button of its own.
void Tfrm_MsgDlg::CreateParams(gui::TCreateParams& params) {
    gui::TForm::CreateParams(params);
    params.WndParent = nullptr;
    params.ExStyle |= WS_EX_TOOLWINDOW;
}

// The framework leaves the focus on the form when nothing was made active; a dialog opens with
// the first focusable control in tab order focused, so Enter answers at once.
void Tfrm_MsgDlg::SetVisible(bool visible) {
    gui::TForm::SetVisible(visible);
    if (!visible || !HandleAllocated() || ActiveControl()) return;
    if (gui::TWinControl* first = FindNextControl(nullptr, true, true)) first->SetFocus();
}

void Tfrm_MsgDlg::FormCreate(gui::TObject*) {
    SetColor(gui::RGBColor(142, 142, 142));
    SetWidth(kNarrowWidth);
    pnl_body->SetBounds(1, 1, Width() - 2, Height() - 2);
    FShadow = std::make_unique<TFormShadow>();
    FShadow->SetForm(Handle());
    lblMsg->SetAutoSize(true);
    lblMsg->SetWordWrap(false);
    moInfo->SetColor(gui::clWhite);
    for (gui::TControl* hidden : std::initializer_list<gui::TControl*>{
             imgInfo, imgError, imgConfirm, imgWarn, sBtnCenter, sBtnLeft, sBtnRight, sBtnDetail, pnlDetail}) {
        hidden->Hide();
    }
    moInfo->Clear();
    for (gui::TImage* image : {Image2, imgInfo, imgError, imgConfirm, imgWarn}) HoldAsBitmap(*image);
}

void Tfrm_MsgDlg::FormShow(gui::TObject*) { FShadow->SetActive(true); }

void Tfrm_MsgDlg::FormKeyDown(gui::TObject*, WORD& key, gui::TShiftState) {
    if (key == VK_ESCAPE) SetModalResult(gui::mrCancel);
}

void Tfrm_MsgDlg::Image1MouseDown(gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) {
    if (WindowState() != gui::wsNormal) return;
    DragWithMouse(gui::kDragMove);
}

void Tfrm_MsgDlg::Image1MouseMove(gui::TObject*, gui::TShiftState, int, int) { Image2->SetTransparent(true); }

void Tfrm_MsgDlg::Image2Click(gui::TObject*) {
    Close();
    SetModalResult(gui::mrCancel);
}

void Tfrm_MsgDlg::Image2MouseMove(gui::TObject*, gui::TShiftState, int, int) { Image2->SetTransparent(false); }

void Tfrm_MsgDlg::sBtnLeftClick(gui::TObject*) {
    FResult = cbxRemind->Checked() ? mdrLeftRemind : mdrLeft;
    SetModalResult(gui::mrOk);
}

void Tfrm_MsgDlg::sBtnCenterClick(gui::TObject*) {
    FResult = mdrCenter;
    SetModalResult(gui::mrOk);
}

void Tfrm_MsgDlg::sBtnRightClick(gui::TObject*) {
    FResult = cbxRemind->Checked() ? mdrRightRemind : mdrRight;
    SetModalResult(gui::mrOk);
}

void Tfrm_MsgDlg::sBtnDetailClick(gui::TObject*) {
    pnlDetail->SetVisible(!pnlDetail->Visible());
    sBtnDetail->SetCaption(pnlDetail->Visible() ? kHideDetail : kShowDetail);
    AdjustHeight();
}

void Tfrm_MsgDlg::ApplyKind() {
    AdjustMsgSize();
    if (FDlgKind < kKindCount) {
        const TKindLook& look = kKindLooks[FDlgKind];
        lblSysTitle->SetCaption(look.Title);
        (this->*look.Icon)->Show();
        ShowButton(*sBtnLeft, look.Left);
        ShowButton(*sBtnCenter, look.Center);
        ShowButton(*sBtnRight, look.Right);
    }
    LayOutAnswerButtons();
    SetCaption(lblSysTitle->Caption());
    sBtnDetail->SetVisible(FHasDetail);
    if (FHasDetail) {
        sBtnDetail->SetCaption(kShowDetail);
        sBtnDetail->SetLeft(sBtnLeft->Left() - sBtnDetail->Width() - Scaled(kButtonGap));
    }
    AdjustHeight();
    CenterOnScreen();
}

// The one-line width decides the dialog's width; past the widest dialog the message wraps.
void Tfrm_MsgDlg::AdjustMsgSize() {
    const int left = lblMsg->Left();
    const int oneLineWidth = lblMsg->Width();
    const int wanted = left + oneLineWidth + Scaled(kMessageGap);
    if (wanted > Scaled(kWideWidth)) {
        SetWidth(Scaled(kWideWidth));
        const int wrapWidth = Scaled(kWrapRight) - left;
        const int lines = (oneLineWidth + wrapWidth - 1) / wrapWidth;
        lblMsg->SetWidth(wrapWidth);
        // Word wrap measures the text at the wrap width. Breaking at word boundaries can need
        // more lines than the one-line width suggests; the last of them must not be cut off.
        lblMsg->SetWordWrap(true);
        lblMsg->SetHeight(std::max(lblMsg->Height(), lines * OneLineHeight(lblMsg->Font())));
    } else if (wanted > Scaled(kNarrowWidth)) {
        SetWidth(wanted);
    }
    const int bottom = lblMsg->Top() + lblMsg->Height() + Scaled(10);
    if (bottom > Scaled(kMessageBottom)) pnlMsg->SetHeight(pnlMsg->Height() + bottom - Scaled(kMessageBottom));
    AdjustHeight();
}

void Tfrm_MsgDlg::AdjustHeight() {
    int height = pnl_title->Height() + pnlMsg->Height() + pnlButton->Height();
    if (pnlDetail->Visible()) height += Scaled(kDetailHeight);
    SetHeight(height);
}

void Tfrm_MsgDlg::LayOutAnswerButtons() {
    TModalSpeedButton* rightNeighbour = nullptr;
    for (TModalSpeedButton* button : {sBtnRight, sBtnCenter, sBtnLeft}) {
        if (!button->Visible()) continue;
        const int left = rightNeighbour ? rightNeighbour->Left() - button->Width() - Scaled(kButtonGap)
                                        : Width() - button->Width() - Scaled(kButtonRightGap);
        button->SetLeft(left);
        rightNeighbour = button;
    }
}

void Tfrm_MsgDlg::CenterOnScreen() {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    SetBounds((screenWidth - Width()) / 2, (screenHeight - Height()) / 2, Width(), Height());
}
