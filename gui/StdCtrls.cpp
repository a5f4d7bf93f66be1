#include "gui/StdCtrls.h"

#include "gui/WinControl.h"

namespace gui {

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 65, 17);
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
    if (!autoSize_) return;
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

}  // namespace gui
