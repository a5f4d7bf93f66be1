#pragma once
// The picture control and the plain bevelled panel.
#include "gui/Graphics.h"
#include "gui/WinControl.h"

namespace gui {

// Shows a picture: unscaled at its top-left corner (a narrower control shows its left part),
// centred, or stretched to the control.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);

    TPicture& Picture() { return picture_; }
    void SetPicture(const TPicture& picture) { picture_.Assign(picture); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    // Passed on to the graphic: a bitmap then leaves out its bottom-left colour.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    long ClassAccessibleRole() const override;  // a button when it can be clicked, else none
    void Paint() override;

private:
    void PictureChanged();
    TPicture picture_;
    bool autoSize_ = false;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    void ChangeScale(int toDpi, int fromDpi) override;
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    // Children are laid out inside the bevels and the border.
    RECT AlignRect() const override;

protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }

private:
    int BevelInset() const;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TDpiMeasure designBevelWidth_, designBorderWidth_;
    TAlignment alignment_ = taCenter;
};

// Draws a 3-D frame of width pixels inside rect and shrinks rect by it.
void Frame3D(TCanvas& canvas, RECT& rect, TColor topLeft, TColor bottomRight, int width);

}  // namespace gui
