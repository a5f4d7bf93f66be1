#include "dialogs/ModalBUTTONS.h"

#include <algorithm>

using gui::RGBColor;
using gui::TCanvas;
using gui::TColor;

namespace {

constexpr TColor kGreyBorder = RGBColor(119, 196, 238);

const TModalColorPreset kPresets[] = {
    /* lcsGold */ {RGBColor(192, 192, 0), RGBColor(255, 255, 0), RGBColor(128, 128, 0), gui::clNone,
                   RGBColor(223, 223, 0), false, bsModern},
    /* lcsChrome */ {RGBColor(192, 192, 192), gui::clWhite, RGBColor(128, 128, 128), gui::clNone, gui::clNone, false,
                     bsModern},
    /* lcsBlue */ {RGBColor(0, 128, 255), RGBColor(0, 255, 255), RGBColor(0, 0, 255), gui::clNone, gui::clNone, false,
                   bsModern},
    /* lcsRed */ {RGBColor(255, 0, 0), RGBColor(255, 192, 192), RGBColor(192, 0, 0), gui::clNone, gui::clNone, false,
                  bsModern},
    /* lcsUltraFlat1 */ {gui::clBtnFace, RGBColor(132, 146, 181), RGBColor(132, 146, 181), RGBColor(132, 146, 181),
                         RGBColor(214, 211, 222), true, bsNormal},
    /* lcsUltraFlat2 */ {gui::clBtnFace, gui::clBlack, gui::clBlack, RGBColor(188, 218, 36), RGBColor(228, 246, 140),
                         true, bsNormal},
    /* lcsAqua */ {RGBColor(148, 206, 236), RGBColor(212, 230, 252), gui::clBlack, gui::clNone, gui::clNone, false,
                   bsModern},
};

const TButtonSkin kSkins[kButtonSkinCount] = {
    {RGBColor(65, 139, 202), RGBColor(74, 154, 225), RGBColor(57, 118, 173), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(111, 179, 224), RGBColor(113, 181, 226), RGBColor(93, 149, 186), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(135, 184, 128), RGBColor(145, 197, 135), RGBColor(113, 152, 105), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(210, 91, 71), RGBColor(234, 102, 81), RGBColor(179, 78, 60), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(255, 183, 81), RGBColor(254, 168, 45), RGBColor(255, 153, 9), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(255, 225, 135), RGBColor(254, 211, 80), RGBColor(254, 198, 25), false, gui::clBlack, kGreyBorder,
     RGBColor(144, 104, 43)},
    {RGBColor(204, 204, 204), RGBColor(193, 193, 193), RGBColor(170, 170, 170), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(200, 211, 217), RGBColor(192, 201, 206), RGBColor(181, 190, 195), false, gui::clBlack, kGreyBorder, gui::clWhite},
    {RGBColor(171, 185, 194), RGBColor(161, 176, 183), RGBColor(150, 163, 171), false, gui::clBlack, kGreyBorder,
     RGBColor(131, 131, 131)},
    {gui::clWhite, RGBColor(236, 243, 249), RGBColor(216, 232, 245), true, RGBColor(65, 141, 203), RGBColor(65, 141, 203),
     RGBColor(65, 141, 203)},
    {gui::clWhite, RGBColor(240, 247, 253), RGBColor(226, 240, 249), true, RGBColor(111, 180, 222),
     RGBColor(111, 180, 222), RGBColor(111, 180, 222)},
    {gui::clWhite, RGBColor(243, 248, 242), RGBColor(231, 241, 230), true, RGBColor(136, 185, 129),
     RGBColor(136, 185, 129), RGBColor(136, 185, 129)},
    {gui::clWhite, RGBColor(249, 238, 236), RGBColor(246, 222, 218), true, RGBColor(207, 93, 67), RGBColor(207, 93, 67),
     RGBColor(207, 93, 67)},
    {gui::clWhite, RGBColor(255, 249, 237), RGBColor(255, 241, 220), true, RGBColor(255, 183, 83), RGBColor(255, 183, 83),
     RGBColor(255, 183, 83)},
    {gui::clWhite, RGBColor(255, 252, 243), RGBColor(255, 250, 231), true, RGBColor(254, 224, 138),
     RGBColor(254, 224, 138), RGBColor(169, 122, 68)},
    {gui::clWhite, RGBColor(245, 245, 245), RGBColor(236, 236, 236), true, RGBColor(245, 245, 245),
     RGBColor(245, 245, 245), RGBColor(54, 54, 54)},
    {RGBColor(248, 248, 248), RGBColor(237, 237, 237), RGBColor(216, 216, 216), true, RGBColor(219, 219, 219),
     RGBColor(219, 219, 219), gui::clBlack},
    {RGBColor(248, 248, 248), RGBColor(247, 248, 250), RGBColor(237, 241, 244), true, RGBColor(168, 188, 199),
     RGBColor(168, 188, 199), RGBColor(136, 136, 136)},
};

constexpr int kGradientBands = 32;

int GradientChannel(int from, int to, int band) {
    return static_cast<int>(from + band * (to - from) / static_cast<double>(kGradientBands - 1));
}

TColor FillColor(const TModalButtonFace& face, bool hot, bool pressed) {
    TColor fill = face.Color;
    if (hot && face.HotTrackColor != gui::clNone) fill = face.HotTrackColor;
    if (pressed && face.ColorWhenDown != gui::clNone) fill = face.ColorWhenDown;
    return fill;
}

void FillFace(TCanvas& canvas, int w, int h, const TModalButtonFace& face, TColor fill, int shift) {
    if (face.Style == bsModern) {
        const int middle = shift + h / 4;
        FillVerticalGradient(canvas, 2, w - 2, 2, middle, face.LightColor, fill);
        FillVerticalGradient(canvas, 2, w - 2, middle, h - 1, fill, face.LightColor);
        return;
    }
    canvas.Brush.SetStyle(gui::bsSolid);
    canvas.Brush.SetColor(fill);
    canvas.FillRect(gui::Rect(-1, -1, w + 1, h + 1));
}

void DrawModernFrame(TCanvas& canvas, int w, int h, const TModalButtonFace& face, TColor fill, bool pressed) {
    canvas.Brush.SetStyle(gui::bsClear);
    canvas.Pen.SetWidth(1);
    canvas.Pen.SetColor(pressed ? face.ShadowColor : fill);
    canvas.Rectangle(1, 1, w - 1, h - 1);
    canvas.Pen.SetColor(face.ShadowColor);
    canvas.RoundRect(0, 0, w, h, 6, 6);
}

// Left and top in one colour, right and bottom in the other, as a raised (or, pressed, sunken)
// edge; the focus colour wins over both.
void DrawEdge(TCanvas& canvas, int w, int h, const TModalButtonFace& face, const TModalButtonState& state,
              TColor fill, bool pressed) {
    const int p = state.Focused && face.BoldFocusBorder ? 2 : 1;
    TColor first = fill, second = fill;
    if (state.Focused) {
        first = second = face.BorderFocusColor;
    } else if (face.HasBorder) {
        first = pressed ? face.ShadowColor : face.LightColor;
        second = pressed ? face.LightColor : face.ShadowColor;
    }
    canvas.Pen.SetWidth(p);
    canvas.Pen.SetColor(first);
    canvas.MoveTo(p - 1, h - 1);
    canvas.LineTo(p - 1, 0);
    canvas.LineTo(w - 1, p - 1);
    canvas.Pen.SetColor(second);
    canvas.LineTo(w - 1, h - 1);
    canvas.LineTo(0, h - 1);
    canvas.Pen.SetWidth(1);
}

int GlyphImage(int numGlyphs, const TModalButtonState& state, bool pressed) {
    if (!state.Enabled && numGlyphs >= 2) return 1;
    if (pressed && numGlyphs > 2) return 2;
    if (state.Hot && numGlyphs > 3) return 3;
    return 0;
}

struct TPlacement {
    POINT Text;
    POINT Glyph;
};

int HorizontalStart(gui::TAlignment alignment, int w, int content) {
    switch (alignment) {
    case gui::taLeftJustify: return 4;
    case gui::taRightJustify: return w - content - 4;
    default: return (w - content) / 2;
    }
}

TPlacement Place(const TModalButtonFace& face, int w, int h, SIZE text, SIZE glyph, int s) {
    const int tw = text.cx, th = text.cy, gw = glyph.cx, gh = glyph.cy;
    TPlacement at{};
    switch (face.Layout) {
    case blGlyphLeft:
        switch (face.Alignment) {
        case gui::taLeftJustify: at.Text.x = gw + 4 + s; at.Glyph.x = 4 + s; break;
        case gui::taRightJustify: at.Text.x = w - tw - 4 + s; at.Glyph.x = at.Text.x - gw; break;
        default: at.Glyph.x = (w - tw - gw) / 2 + s; at.Text.x = at.Glyph.x + gw; break;
        }
        break;
    case blGlyphRight:
        switch (face.Alignment) {
        case gui::taLeftJustify: at.Text.x = 4 + s; at.Glyph.x = tw + 4 + s; break;
        case gui::taRightJustify: at.Text.x = w - tw - gw - 4 + s; at.Glyph.x = w - gw - 4 + s; break;
        default: at.Text.x = (w - tw - gw) / 2 + s; at.Glyph.x = at.Text.x + tw; break;
        }
        break;
    default:
        at.Text.x = HorizontalStart(face.Alignment, w, tw) + s;
        at.Glyph.x = HorizontalStart(face.Alignment, w, gw) + s;
        break;
    }
    const int free = (h - th - gh) / 2;
    switch (face.Layout) {
    case blGlyphTop: at.Glyph.y = free + s; at.Text.y = free + gh + s; break;
    case blGlyphBottom: at.Text.y = free + s; at.Glyph.y = free + th + s; break;
    default: at.Glyph.y = (h - gh) / 2 + s; at.Text.y = (h - th) / 2 + s; break;
    }
    return at;
}

// The caption keeps one blank between itself and the glyph, on the glyph's side.
std::wstring CaptionText(const TModalButtonFace& face, bool hasGlyph) {
    if (!hasGlyph) return face.Caption;
    std::wstring text = face.Layout == blGlyphLeft ? L" " + face.Caption : face.Caption + L" ";
    return text == L" " ? std::wstring() : text;
}

void DrawContent(TCanvas& canvas, int w, int h, const TModalButtonFace& face, const TModalButtonState& state,
                 bool pressed, int s) {
    if (face.Font) canvas.Font = *face.Font;
    if (pressed && face.Style == bsEncarta) canvas.Font.SetStyle(canvas.Font.Style() | gui::fsBold);
    gui::TGraphic* glyph = face.Glyph && !face.Glyph->Empty() ? face.Glyph : nullptr;
    const std::wstring text = CaptionText(face, glyph != nullptr);
    const SIZE textSize = canvas.TextExtent(text);
    const SIZE glyphSize{glyph && face.NumGlyphs > 0 ? glyph->Width() / face.NumGlyphs : 0, glyph ? glyph->Height() : 0};
    const TPlacement at = Place(face, w, h, textSize, glyphSize, s);
    if (!state.Enabled) canvas.Font.SetColor(face.DisableFontColor);
    if (!text.empty()) {
        canvas.Brush.SetStyle(gui::bsClear);
        RECT r = gui::Bounds(at.Text.x, at.Text.y, textSize.cx, textSize.cy);
        canvas.DrawText(text, r, DT_CENTER | DT_VCENTER);
    }
    if (glyph && glyphSize.cx > 0) {
        DrawGlyphCell(canvas, *glyph, at.Glyph.x, at.Glyph.y, glyphSize.cx, glyphSize.cy,
                      GlyphImage(face.NumGlyphs, state, pressed));
    }
}

}  // namespace

const TModalColorPreset* FindModalColorPreset(TModalColorStyle style) {
    if (style <= lcsCustom || style > lcsAqua) return nullptr;
    return &kPresets[style - lcsGold];
}

const TButtonSkin& ButtonSkin(int index) { return kSkins[std::clamp(index, 0, kButtonSkinCount - 1)]; }

int DisabledSkinIndex(int index) { return index <= 8 ? 6 : 16; }

void FillVerticalGradient(TCanvas& canvas, int left, int right, int top, int bottom, TColor from, TColor to) {
    if (bottom <= top || right <= left) return;
    const int step = (bottom - top) / (kGradientBands - 1);
    canvas.Brush.SetStyle(gui::bsSolid);
    for (int band = 0; band < kGradientBands; ++band) {
        const int bandTop = top + band * (bottom - top) / (kGradientBands - 1);
        const int bandBottom = std::min(bandTop + step + 1, bottom);
        if (bandBottom <= bandTop) continue;
        canvas.Brush.SetColor(RGBColor(GradientChannel(gui::GetRValue32(from), gui::GetRValue32(to), band),
                                       GradientChannel(gui::GetGValue32(from), gui::GetGValue32(to), band),
                                       GradientChannel(gui::GetBValue32(from), gui::GetBValue32(to), band)));
        canvas.FillRect(gui::Rect(left, bandTop, right, bandBottom));
    }
}

void DrawGlyphCell(TCanvas& canvas, gui::TGraphic& strip, int x, int y, int cellWidth, int cellHeight, int image) {
    if (cellWidth <= 0 || cellHeight <= 0 || !canvas.Handle()) return;
    TCanvas::StateScope state(canvas);
    canvas.IntersectClip(gui::Bounds(x, y, cellWidth, cellHeight));
    canvas.OffsetViewportOrg(-image * cellWidth, 0);
    canvas.Draw(x, y, strip);
}

void DrawModalButton(TCanvas& canvas, int width, int height, const TModalButtonFace& face,
                     const TModalButtonState& state) {
    const bool pressed = state.Enabled && state.Down;
    const int shift = pressed && face.Style != bsEncarta ? 1 : 0;
    const TColor fill = FillColor(face, state.Hot, pressed);
    if (!face.Transparent) FillFace(canvas, width, height, face, fill, shift);
    if (face.Style == bsModern) {
        DrawModernFrame(canvas, width, height, face, fill, pressed);
    } else if (!face.Flat || state.Hot || pressed) {
        DrawEdge(canvas, width, height, face, state, fill, pressed);
    }
    DrawContent(canvas, width, height, face, state, pressed, shift);
    if (face.Arrow && !face.Arrow->Empty()) {
        canvas.Draw(width - face.Arrow->Width() - 5, (height - face.Arrow->Height()) / 2, *face.Arrow);
    }
}
