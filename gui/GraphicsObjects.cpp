#include "gui/GraphicsObjects.h"

namespace gui {

TFont::TFont() : name_(L"MS Sans Serif"), height_(-11), color_(clWindowText) {}

TFont::TFont(const TFont& other)
    : name_(other.name_), height_(other.height_), color_(other.color_), style_(other.style_),
      charset_(other.charset_) {}

TFont& TFont::operator=(const TFont& other) {
    if (this == &other) return *this;
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    Changed();
    return *this;
}

void TFont::SetName(const std::wstring& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, 96); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    if (OnChange) OnChange();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::Changed() {
    handle_.Reset();
    if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = charset_;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.Reset(CreateFontIndirectW(&lf));
    }
    return handle_.Get();
}

void TPen::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

void TPen::SetWidth(int w) {
    if (w == width_) return;
    width_ = w;
    Changed();
}

void TPen::SetStyle(TPenStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TPen::Changed() {
    handle_.Reset();
    if (OnChange) OnChange();
}

HPEN TPen::Handle() const {
    if (style_ == psClear) return static_cast<HPEN>(GetStockObject(NULL_PEN));
    if (!handle_) {
        static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        // Styled lines exist only at width 1 in GDI; wider ones would silently come out solid.
        int width = (style_ == psSolid || style_ == psInsideFrame) ? width_ : 1;
        handle_.Reset(CreatePen(kStyles[style_], width, ColorToRGB(color_)));
    }
    return handle_.Get();
}

void TBrush::SetColor(TColor c) {
    if (c == color_ && style_ != bsClear) return;
    color_ = c;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TBrush::SetBitmap(HBITMAP bitmap) {
    if (bitmap == bitmap_) return;
    bitmap_ = bitmap;
    Changed();
}

void TBrush::Changed() {
    handle_.Reset();
    if (OnChange) OnChange();
}

HBRUSH TBrush::Handle() const {
    if (!handle_) {
        if (bitmap_) {
            handle_.Reset(CreatePatternBrush(bitmap_));
        } else if (style_ == bsClear) {
            return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        } else if (style_ == bsSolid) {
            handle_.Reset(CreateSolidBrush(ColorToRGB(color_)));
        } else {
            static const int kHatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
            handle_.Reset(CreateHatchBrush(kHatches[style_], ColorToRGB(color_)));
        }
    }
    return handle_.Get();
}

}  // namespace gui
