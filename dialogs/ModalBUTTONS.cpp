#include "dialogs/ModalBUTTONS.h"

#include <algorithm>

using gui::TCanvas;
using gui::TColor;

namespace {

constexpr TColor Rgb(int r, int g, int b) { return gui::RGBColor(r, g, b); }
constexpr TColor kWhite = gui::clWhite, kBlack = gui::clBlack;
constexpr TColor kNone = gui::clNone, kBtnFace = gui::clBtnFace;
constexpr TColor kBlueFocus = Rgb(119, 196, 238);

// Face, light, shadow, pressed, hot, flat, style; in the order of TModalColorStyle from lcsGold.
const TModalColorPreset kPresets[] = {
    {Rgb(192, 192, 0), Rgb(255, 255, 0), Rgb(128, 128, 0), kNone, Rgb(223, 223, 0), false, bsModern},
    {Rgb(192, 192, 192), kWhite, Rgb(128, 128, 128), kNone, kNone, false, bsModern},
    {Rgb(0, 128, 255), Rgb(0, 255, 255), Rgb(0, 0, 255), kNone, kNone, false, bsModern},
    {Rgb(255, 0, 0), Rgb(255, 192, 192), Rgb(192, 0, 0), kNone, kNone, false, bsModern},
    {kBtnFace, Rgb(132, 146, 181), Rgb(132, 146, 181), Rgb(132, 146, 181), Rgb(214, 211, 222), true, bsNormal},
    {kBtnFace, kBlack, kBlack, Rgb(188, 218, 36), Rgb(228, 246, 140), true, bsNormal},
    {Rgb(148, 206, 236), Rgb(212, 230, 252), kBlack, kNone, kNone, false, bsModern},
};

// Solid rows have no border of their own and the blue focus frame; outlined rows draw border
// and focus frame in one colour.
constexpr TButtonSkin Solid(TColor face, TColor hot, TColor down, TColor caption) {
    return {face, hot, down, false, kBlack, kBlueFocus, caption};
}
constexpr TButtonSkin Outlined(TColor face, TColor hot, TColor down, TColor border, TColor caption) {
    return {face, hot, down, true, border, border, caption};
}

// Face, hot, pressed, (border), caption.
const TButtonSkin kSkins[kButtonSkinCount] = {
    Solid(Rgb(65, 139, 202), Rgb(74, 154, 225), Rgb(57, 118, 173), kWhite),
    Solid(Rgb(111, 179, 224), Rgb(113, 181, 226), Rgb(93, 149, 186), kWhite),
    Solid(Rgb(135, 184, 128), Rgb(145, 197, 135), Rgb(113, 152, 105), kWhite),
    Solid(Rgb(210, 91, 71), Rgb(234, 102, 81), Rgb(179, 78, 60), kWhite),
    Solid(Rgb(255, 183, 81), Rgb(254, 168, 45), Rgb(255, 153, 9), kWhite),
    Solid(Rgb(255, 225, 135), Rgb(254, 211, 80), Rgb(254, 198, 25), Rgb(144, 104, 43)),
    Solid(Rgb(204, 204, 204), Rgb(193, 193, 193), Rgb(170, 170, 170), kWhite),
    Solid(Rgb(200, 211, 217), Rgb(192, 201, 206), Rgb(181, 190, 195), kWhite),
    Solid(Rgb(171, 185, 194), Rgb(161, 176, 183), Rgb(150, 163, 171), Rgb(131, 131, 131)),
    Outlined(kWhite, Rgb(236, 243, 249), Rgb(216, 232, 245), Rgb(65, 141, 203), Rgb(65, 141, 203)),
    Outlined(kWhite, Rgb(240, 247, 253), Rgb(226, 240, 249), Rgb(111, 180, 222), Rgb(111, 180, 222)),
    Outlined(kWhite, Rgb(243, 248, 242), Rgb(231, 241, 230), Rgb(136, 185, 129), Rgb(136, 185, 129)),
    Outlined(kWhite, Rgb(249, 238, 236), Rgb(246, 222, 218), Rgb(207, 93, 67), Rgb(207, 93, 67)),
    Outlined(kWhite, Rgb(255, 249, 237), Rgb(255, 241, 220), Rgb(255, 183, 83), Rgb(255, 183, 83)),
    Outlined(kWhite, Rgb(255, 252, 243), Rgb(255, 250, 231), Rgb(254, 224, 138), Rgb(169, 122, 68)),
    Outlined(kWhite, Rgb(245, 245, 245), Rgb(236, 236, 236), Rgb(245, 245, 245), Rgb(54, 54, 54)),
    Outlined(Rgb(248, 248, 248), Rgb(237, 237, 237), Rgb(216, 216, 216), Rgb(219, 219, 219), kBlack),
    Outlined(Rgb(248, 248, 248), Rgb(247, 248, 250), Rgb(237, 241, 244), Rgb(168, 188, 199), Rgb(136, 136, 136)),
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

// With the glyph above or below, caption and glyph are each placed across on their own.
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
    const int cellWidth = glyph && face.NumGlyphs > 0 ? glyph->Width() / face.NumGlyphs : 0;
    const SIZE glyphSize{cellWidth, glyph ? glyph->Height() : 0};
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
        canvas.Brush.SetColor(Rgb(GradientChannel(gui::GetRValue32(from), gui::GetRValue32(to), band),
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
