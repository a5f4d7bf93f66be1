#pragma once
// The static text control: a windowless caption that can be transparent and size itself.
#include "gui/Controls.h"

namespace gui {

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    // "&" underlines the next letter unless this is off.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);

    // Width (and, with word wrap, height) from the caption in the current font.
    void AdjustBounds();

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;

private:
    UINT TextFormat() const;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool showAccelChar_ = true;
};

}  // namespace gui
