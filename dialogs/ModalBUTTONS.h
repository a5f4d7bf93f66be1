#pragma once
// The flat speed button's colours and drawing, apart from the window: colour presets, the 18
// skin rows, a vertical gradient of 32 bands, the glyph-strip blit and the whole face drawn from
// a plain description and state. Everything here works on any canvas, a memory DC included.
#include "gui/Canvas.h"
#include "gui/Controls.h"
#include "gui/Graphics.h"

#include <cstdint>
#include <string>

enum TModalColorStyle { lcsCustom, lcsGold, lcsChrome, lcsBlue, lcsRed, lcsUltraFlat1, lcsUltraFlat2, lcsAqua };
enum TModalSpeedButtonStyle { bsNormal, bsEncarta, bsModern };
enum TModalSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A skin row number, or -1 for none.
using TButtonSkinIndex = std::int8_t;
constexpr int kButtonSkinCount = 18;

struct TModalColorPreset {
    gui::TColor Color, LightColor, ShadowColor, ColorWhenDown, HotTrackColor;
    bool Flat;
    TModalSpeedButtonStyle Style;
};

// nullptr for lcsCustom, which carries no colours of its own.
const TModalColorPreset* FindModalColorPreset(TModalColorStyle style);

struct TButtonSkin {
    gui::TColor Color, HotTrackColor, ColorWhenDown;
    bool HasBorder;
    gui::TColor BorderColor;  // both the light and the shadow side
    gui::TColor BorderFocusColor;
    gui::TColor CaptionColor;
};

// index 0 .. kButtonSkinCount - 1.
const TButtonSkin& ButtonSkin(int index);
// The grey row a disabled button of this skin shows: 6 for the solid rows, 16 for the outlined.
int DisabledSkinIndex(int index);

// What the face is made of. Pointers are borrowed for one drawing; nullptr means none.
struct TModalButtonFace {
    gui::TColor Color = gui::clBtnFace;
    gui::TColor ColorWhenDown = gui::clNone;  // clNone: Color stays in force
    gui::TColor HotTrackColor = gui::clNone;
    gui::TColor LightColor = gui::clWhite;
    gui::TColor ShadowColor = gui::clGray;
    gui::TColor BorderFocusColor = gui::clBlack;
    gui::TColor DisableFontColor = gui::clGray;
    TModalSpeedButtonStyle Style = bsNormal;
    TModalSpeedButtonLayout Layout = blGlyphLeft;
    gui::TAlignment Alignment = gui::taCenter;
    bool Flat = false;
    bool HasBorder = true;
    bool BoldFocusBorder = false;
    bool Transparent = false;
    std::wstring Caption;
    const gui::TFont* Font = nullptr;
    gui::TGraphic* Glyph = nullptr;
    int NumGlyphs = 0;
    gui::TGraphic* Arrow = nullptr;
};

struct TModalButtonState {
    bool Enabled = true;
    bool Down = false;
    bool Hot = false;
    bool Focused = false;
};

// Draws the whole button into a width x height area at the canvas's origin. What the face does
// not cover (rounded corners, a transparent face) keeps what the canvas held.
void DrawModalButton(gui::TCanvas& canvas, int width, int height, const TModalButtonFace& face,
                     const TModalButtonState& state);

// 32 horizontal bands from colour from (top) towards to, over the rows top .. bottom - 1 and the
// columns left .. right - 1. Band i starts at top + i * (bottom - top) div 31 and is one row
// taller than that step, so neighbours overlap and the last band falls outside.
void FillVerticalGradient(gui::TCanvas& canvas, int left, int right, int top, int bottom, gui::TColor from,
                          gui::TColor to);

// Draws image number image (0-based) of a horizontal strip of cellWidth-wide images at (x, y),
// and nothing of its neighbours. The canvas's clip and viewport are as before afterwards.
void DrawGlyphCell(gui::TCanvas& canvas, gui::TGraphic& strip, int x, int y, int cellWidth, int cellHeight,
                   int image);
