#include "gui/StdCtrls.h"

#include "gui/WinControl.h"

#include <oleacc.h>

namespace gui {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 65, 17);
}

// An empty label has nothing to read.
long TLabel::ClassAccessibleRole() const {
    if (Caption().empty()) return 0;
    return OnClick ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT;
}

void TLabel::SetAutoSize(bool on) {
    if (on == autoSize_) return;
    autoSize_ = on;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool on) {
    if (on == wordWrap_) return;
    wordWrap_ = on;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    // A transparent label shows what lies beneath, so the parent must erase under it.
    SetControlStyle(on ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool on) {
    if (on == showAccelChar_) return;
    showAccelChar_ = on;
    AdjustBounds();
    Invalidate();
}

UINT TLabel::TextFormat() const {
    UINT format = DT_EXPANDTABS;
    if (wordWrap_) format |= DT_WORDBREAK;
    if (!showAccelChar_) format |= DT_NOPREFIX;
    if (alignment_ == taRightJustify) format |= DT_RIGHT;
    if (alignment_ == taCenter) format |= DT_CENTER;
    return format;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || Loading()) return;
    // Measuring needs a DC of the screen's kind; the label may have no window above it yet.
    WindowDc screen(nullptr);
    TCanvas measure(screen.Get());
    measure.Font = Font();
    RECT r = Rect(0, 0, wordWrap_ ? Width() : 0, 0);
    std::wstring text = Caption().empty() ? L" " : Caption();
    measure.DrawText(text, r, (TextFormat() & ~static_cast<UINT>(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    int left = Left();
    if (alignment_ == taRightJustify && !wordWrap_) left = Left() + Width() - RectWidth(r);
    SetBounds(left, Top(), wordWrap_ ? Width() : RectWidth(r), RectHeight(r));
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::Paint() {
    TCanvas& canvas = Canvas();
    RECT client = ClientRect();
    if (!transparent_) {
        canvas.Brush.SetColor(Color());
        canvas.FillRect(client);
    }
    canvas.Brush.SetStyle(bsClear);
    canvas.Font = Font();
    RECT text = client;
    if (layout_ != tlTop) {
        RECT measured = client;
        canvas.DrawText(Caption(), measured, TextFormat() | DT_CALCRECT);
        const int offset = RectHeight(client) - RectHeight(measured);
        text.top += layout_ == tlCenter ? offset / 2 : offset;
    }
    if (!EffectivelyEnabled()) {
        RECT shifted = text;
        OffsetRect(&shifted, 1, 1);
        canvas.Font.SetColor(clBtnHighlight);
        canvas.DrawText(Caption(), shifted, TextFormat());
        canvas.Font.SetColor(clBtnShadow);
    }
    canvas.DrawText(Caption(), text, TextFormat());
    canvas.Brush.SetStyle(bsSolid);
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    // The button decides clicks itself (BN_CLICKED, keyboard included) and captures the mouse.
    SetControlStyle(ControlStyle() & ~(csClickEvents | csCaptureMouse));
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = L"BUTTON";
    params.ClassName = L"CheckBox";
    params.Style |= BS_AUTOCHECKBOX;
}

bool TCheckBox::Checked() const {
    if (!HandleAllocated()) return checked_;
    return SendMessageW(const_cast<TCheckBox*>(this)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool on) {
    checked_ = on;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

long TCheckBox::ClassAccessibleRole() const { return ROLE_SYSTEM_CHECKBUTTON; }

DWORD TCheckBox::AccessibleState() const { return Checked() ? STATE_SYSTEM_CHECKED : 0; }

void TCheckBox::AccessibleAction() {
    if (HandleAllocated()) SendMessageW(Handle(), BM_CLICK, 0, 0);
}

void TCheckBox::WndProc(TMessage& m) {
    if (m.Msg == WM_CREATE) {
        TWinControl::WndProc(m);
        SendMessageW(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
    }
    if (m.Msg == CN_BASE + WM_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
        checked_ = Checked();
        Click();
        return;
    }
    TWinControl::WndProc(m);
}

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

void TMemo::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = L"EDIT";
    params.ClassName = L"Memo";
    params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | (readOnly_ ? ES_READONLY : 0);
    if (horizontalBar_) params.Style |= WS_HSCROLL;
    else params.Style |= ES_AUTOHSCROLL;
    if (verticalBar_) params.Style |= WS_VSCROLL;
    params.Caption.clear();
}

namespace {

// The edit box breaks lines only at CR LF.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

}  // namespace

void TMemo::CreateWnd() {
    TWinControl::CreateWnd();
    if (HandleAllocated()) SetWindowTextW(Handle(), WithCrLf(text_).c_str());
}

long TMemo::ClassAccessibleRole() const { return ROLE_SYSTEM_TEXT; }

DWORD TMemo::AccessibleState() const { return readOnly_ ? STATE_SYSTEM_READONLY : 0; }

std::wstring TMemo::Text() const {
    if (!HandleAllocated()) return text_;
    HWND window = const_cast<TMemo*>(this)->Handle();
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

void TMemo::SetText(const std::wstring& text) {
    text_ = text;
    if (HandleAllocated()) SetWindowTextW(Handle(), WithCrLf(text_).c_str());
}

void TMemo::SetReadOnly(bool on) {
    readOnly_ = on;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0);
}

void TMemo::SetScrollBars(bool horizontal, bool vertical) {
    horizontalBar_ = horizontal;
    verticalBar_ = vertical;
    if (!HandleAllocated()) return;
    text_ = Text();
    DestroyHandle();
    if (Parent() && Parent()->HandleAllocated()) HandleNeeded();
}

void TMemo::WndProc(TMessage& m) {
    if (m.Msg == CN_BASE + WM_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
        if (OnChange) OnChange(this);
        return;
    }
    TWinControl::WndProc(m);
}

}  // namespace gui
