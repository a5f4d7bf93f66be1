#pragma once
// Font, pen and brush as the canvas and the controls hold them: plain values with a lazily made
// GDI handle and a change notification, so a control repaints when its font changes.
#include "gui/Colors.h"
#include "gui/Gdi.h"

#include <functional>
#include <string>

namespace gui {

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);  // Assign: copies the values, fires OnChange

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name);
    // Height as a LOGFONT stores it: negative is the character height in pixels (what the
    // windows give), positive the cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const;  // points at 96 dpi
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);

    HFONT Handle() const;  // owned by the font; valid until the next change
    std::function<void()> OnChange;

private:
    void Changed();
    std::wstring name_;
    int height_;
    TColor color_;
    TFontStyles style_ = 0;
    BYTE charset_ = DEFAULT_CHARSET;
    mutable FontOwner handle_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Width() const { return width_; }
    void SetWidth(int w);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s);
    HPEN Handle() const;
    std::function<void()> OnChange;

private:
    void Changed();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    mutable PenOwner handle_;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s);
    // A pattern bitmap, borrowed: the caller keeps it alive while the brush uses it. nullptr
    // goes back to the colour.
    HBITMAP Bitmap() const { return bitmap_; }
    void SetBitmap(HBITMAP bitmap);
    HBRUSH Handle() const;  // NULL_BRUSH for bsClear
    std::function<void()> OnChange;

private:
    void Changed();
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    HBITMAP bitmap_ = nullptr;
    mutable BrushOwner handle_;
};

}  // namespace gui
