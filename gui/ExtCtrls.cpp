#include "gui/ExtCtrls.h"

#include <oleacc.h>

namespace gui {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

long TImage::ClassAccessibleRole() const { return OnClick ? ROLE_SYSTEM_PUSHBUTTON : 0; }

void TImage::PictureChanged() {
    if (TGraphic* graphic = picture_.Graphic()) {
        if (graphic->Transparent() != transparent_) graphic->SetTransparent(transparent_);
    }
    if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) PictureChanged();
}

void TImage::SetStretch(bool on) {
    if (on == stretch_) return;
    stretch_ = on;
    Invalidate();
}

void TImage::SetCenter(bool on) {
    if (on == center_) return;
    center_ = on;
    Invalidate();
}

void TImage::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    PictureChanged();
}

void TImage::Paint() {
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty()) return;
    RECT target = Bounds(0, 0, graphic->Width(), graphic->Height());
    if (stretch_) {
        target = ClientRect();
    } else if (center_) {
        OffsetRect(&target, (Width() - graphic->Width()) / 2, (Height() - graphic->Height()) / 2);
    }
    Canvas().StretchDraw(target, *graphic);
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    bevelOuter_ = cut;
    Realign();
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut cut) {
    bevelInner_ = cut;
    Realign();
    Invalidate();
}

void TPanel::SetBevelWidth(int width) {
    bevelWidth_ = width < 1 ? 1 : width;
    Realign();
    Invalidate();
}

void TPanel::SetBorderWidth(int width) {
    borderWidth_ = width < 0 ? 0 : width;
    Realign();
    Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

int TPanel::BevelInset() const {
    return ((bevelOuter_ != bvNone) + (bevelInner_ != bvNone)) * bevelWidth_ + borderWidth_;
}

RECT TPanel::AlignRect() const {
    RECT r = ClientRect();
    InflateRect(&r, -BevelInset(), -BevelInset());
    return r;
}

void Frame3D(TCanvas& canvas, RECT& rect, TColor topLeft, TColor bottomRight, int width) {
    canvas.Pen.SetWidth(1);
    for (int i = 0; i < width; ++i) {
        --rect.right;
        --rect.bottom;
        canvas.Pen.SetColor(topLeft);
        canvas.Polyline({POINT{rect.left, rect.bottom}, POINT{rect.left, rect.top}, POINT{rect.right, rect.top}});
        canvas.Pen.SetColor(bottomRight);
        canvas.Polyline({POINT{rect.right, rect.top}, POINT{rect.right, rect.bottom}, POINT{rect.left - 1, rect.bottom}});
        ++rect.left;
        ++rect.top;
    }
}

namespace {

void DrawBevel(TCanvas& canvas, RECT& rect, TBevelCut cut, int width) {
    if (cut == bvNone) return;
    if (cut == bvSpace) {
        InflateRect(&rect, -width, -width);
        return;
    }
    const bool raised = cut == bvRaised;
    Frame3D(canvas, rect, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, width);
}

}  // namespace

void TPanel::Paint() {
    TCanvas& canvas = Canvas();
    RECT r = ClientRect();
    DrawBevel(canvas, r, bevelOuter_, bevelWidth_);
    canvas.Pen.SetColor(Color());
    Frame3D(canvas, r, Color(), Color(), borderWidth_);
    DrawBevel(canvas, r, bevelInner_, bevelWidth_);
    canvas.Brush.SetColor(Color());
    canvas.FillRect(r);
    if (Caption().empty()) return;
    canvas.Font = Font();
    canvas.Brush.SetStyle(bsClear);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    format |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    canvas.DrawText(Caption(), r, format);
    canvas.Brush.SetStyle(bsSolid);
}

}  // namespace gui
