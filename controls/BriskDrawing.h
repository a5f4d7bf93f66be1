#pragma once
// The drawing steps of the panel (frames, gradient, grid, caption) as free functions over a
// canvas or DC, so that tests can run them on a memory DC.
#include <windows.h>

#include <string>

#include "gui/Canvas.h"
#include "gui/Colors.h"
#include "gui/Controls.h"

enum TBriskFrameStyle {
    fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup,
    fsFlatBold, fsFlatRounded
};

using TBriskSides = unsigned;
constexpr TBriskSides sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8;
constexpr TBriskSides sdAllSides = sdLeft | sdTop | sdRight | sdBottom;

enum TVerticalAlignment { avTop, avCenter, avBottom };

using TBackgroundOptions = unsigned;
constexpr TBackgroundOptions poStretch = 1;

enum TGradientDirection {
    gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter, gdHorizontalBox, gdVerticalEnd,
    gdVerticalCenter, gdVerticalBox, gdSquareBox, gdBigSquareBox
};

enum TGridStyle { gsDots, gsDottedLines, gsSolidLines };

// Pixels that one border of this style takes on each framed side.
int FrameStyleWidth(TBriskFrameStyle style, int bevelWidth);

struct TBriskBorderLook {
    TBriskFrameStyle Outer = fsNone, Inner = fsNone;
    TBriskSides Sides = sdAllSides;
    int BorderWidth = 0;
    int BevelWidth = 1;
    gui::TColor Color = 0x008E8E8E, Highlight = gui::clBtnHighlight, Shadow = gui::clBtnShadow;
    gui::TColor FlatColor = gui::clBtnShadow;
    int FlatColorAdjustment = 30;
};

// The client rectangle of a window of width × height inside these borders (window coordinates).
RECT BorderClientRect(const TBriskBorderLook& look, int width, int height);
// Draws the borders into the window rectangle (0, 0, width, height); the BorderWidth inset is
// filled with fill.
void DrawBriskBorders(gui::TCanvas& canvas, const TBriskBorderLook& look, int width, int height, gui::TColor fill);

// start at t = 0 to stop at t = 1; each direction decides t per pixel.
void FillBriskGradient(HDC dc, const RECT& rect, gui::TColor start, gui::TColor stop, TGradientDirection direction);

struct TBriskGridLook {
    TGridStyle Style = gsDots;
    gui::TColor Color = gui::clBtnShadow;
    unsigned short XSize = 8, YSize = 8;
};
void DrawBriskGrid(gui::TCanvas& canvas, const RECT& client, const TBriskGridLook& look);

struct TBriskCaptionLook {
    std::wstring Caption;
    gui::TAlignment Alignment = gui::taCenter;
    TVerticalAlignment Vertical = avCenter;
    bool Enabled = true;
};
// With the canvas's font, transparently.
void DrawBriskCaption(gui::TCanvas& canvas, const RECT& client, const TBriskCaptionLook& look);
