#include "controls/BriskDrawing.h"

#include <algorithm>
#include <cmath>

using gui::TColor;

namespace {

TColor Lighten(TColor color, int amount) {
    const COLORREF c = gui::ColorToRGB(color);
    auto channel = [amount](int v) { return std::max(0, std::min(255, v + amount)); };
    return gui::RGBColor(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

void FillStrip(gui::TCanvas& canvas, int left, int top, int right, int bottom, TColor color) {
    if (right <= left || bottom <= top) return;
    canvas.Brush.SetStyle(gui::bsSolid);
    canvas.Brush.SetColor(color);
    canvas.FillRect(gui::Rect(left, top, right, bottom));
}

// One pixel ring inside r on the framed sides, light colour top and left, dark bottom and right;
// r shrinks by it.
void DrawRing(gui::TCanvas& canvas, RECT& r, TBriskSides sides, TColor topLeft, TColor bottomRight) {
    if (sides & sdTop) FillStrip(canvas, r.left, r.top, r.right, r.top + 1, topLeft);
    if (sides & sdLeft) FillStrip(canvas, r.left, r.top, r.left + 1, r.bottom, topLeft);
    if (sides & sdBottom) FillStrip(canvas, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
    if (sides & sdRight) FillStrip(canvas, r.right - 1, r.top, r.right, r.bottom, bottomRight);
    if (sides & sdLeft) ++r.left;
    if (sides & sdTop) ++r.top;
    if (sides & sdRight) --r.right;
    if (sides & sdBottom) --r.bottom;
}

void DrawFrame(gui::TCanvas& canvas, RECT& r, TBriskFrameStyle style, const TBriskBorderLook& look, TColor fill) {
    const TBriskSides s = look.Sides;
    const TColor hi = look.Highlight, sh = look.Shadow, dark = look.Color;
    switch (style) {
    case fsNone: return;
    case fsFlat: {
        const TColor flat = Lighten(look.FlatColor, look.FlatColorAdjustment);
        DrawRing(canvas, r, s, flat, flat);
        return;
    }
    case fsGroove: DrawRing(canvas, r, s, sh, hi); DrawRing(canvas, r, s, hi, sh); return;
    case fsBump: DrawRing(canvas, r, s, hi, sh); DrawRing(canvas, r, s, sh, hi); return;
    case fsLowered: DrawRing(canvas, r, s, sh, hi); DrawRing(canvas, r, s, dark, hi); return;
    case fsButtonDown: DrawRing(canvas, r, s, dark, hi); DrawRing(canvas, r, s, sh, hi); return;
    case fsRaised: DrawRing(canvas, r, s, hi, sh); DrawRing(canvas, r, s, hi, dark); return;
    case fsButtonUp: DrawRing(canvas, r, s, hi, dark); DrawRing(canvas, r, s, hi, sh); return;
    case fsStatus:
        for (int i = 0; i < look.BevelWidth; ++i) DrawRing(canvas, r, s, sh, hi);
        return;
    case fsPopup:
        for (int i = 0; i < look.BevelWidth; ++i) DrawRing(canvas, r, s, hi, sh);
        return;
    case fsFlatBold: DrawRing(canvas, r, s, look.FlatColor, look.FlatColor); DrawRing(canvas, r, s, look.FlatColor, look.FlatColor); return;
    case fsFlatRounded: {
        const RECT outer = r;
        DrawRing(canvas, r, s, look.FlatColor, look.FlatColor);
        for (POINT corner : {POINT{outer.left, outer.top}, POINT{outer.right - 1, outer.top}, POINT{outer.left, outer.bottom - 1},
                             POINT{outer.right - 1, outer.bottom - 1}}) {
            FillStrip(canvas, corner.x, corner.y, corner.x + 1, corner.y + 1, fill);
        }
        DrawRing(canvas, r, s, look.FlatColor, look.FlatColor);
        return;
    }
    }
}

double GradientPosition(TGradientDirection direction, int x, int y, int w, int h) {
    const double fx = w > 1 ? static_cast<double>(x) / (w - 1) : 0.0;
    const double fy = h > 1 ? static_cast<double>(y) / (h - 1) : 0.0;
    const double cx = std::fabs(2 * fx - 1), cy = std::fabs(2 * fy - 1);
    switch (direction) {
    case gdDiagonalUp: return (fx + 1 - fy) / 2;
    case gdDiagonalDown: return (fx + fy) / 2;
    case gdHorizontalEnd: return fx;
    case gdHorizontalCenter: return 1 - cx;
    case gdHorizontalBox: return cx;
    case gdVerticalEnd: return fy;
    case gdVerticalCenter: return 1 - cy;
    case gdVerticalBox: return cy;
    case gdSquareBox: return std::max(cx, cy);
    case gdBigSquareBox: return (cx + cy) / 2;
    }
    return fx;
}

int Mix(int a, int b, double t) { return static_cast<int>(std::lround(a + (b - a) * t)); }

}  // namespace

int FrameStyleWidth(TBriskFrameStyle style, int bevelWidth) {
    switch (style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return bevelWidth;
    default: return 2;
    }
}

RECT BorderClientRect(const TBriskBorderLook& look, int width, int height) {
    const int inset = FrameStyleWidth(look.Outer, look.BevelWidth) + FrameStyleWidth(look.Inner, look.BevelWidth);
    RECT r = gui::Rect(0, 0, width, height);
    if (look.Sides & sdLeft) r.left += inset;
    if (look.Sides & sdTop) r.top += inset;
    if (look.Sides & sdRight) r.right -= inset;
    if (look.Sides & sdBottom) r.bottom -= inset;
    InflateRect(&r, -look.BorderWidth, -look.BorderWidth);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

void DrawBriskBorders(gui::TCanvas& canvas, const TBriskBorderLook& look, int width, int height, TColor fill) {
    RECT r = gui::Rect(0, 0, width, height);
    DrawFrame(canvas, r, look.Outer, look, fill);
    DrawFrame(canvas, r, look.Inner, look, fill);
    const RECT client = BorderClientRect(look, width, height);
    FillStrip(canvas, r.left, r.top, r.right, client.top, fill);
    FillStrip(canvas, r.left, client.bottom, r.right, r.bottom, fill);
    FillStrip(canvas, r.left, client.top, client.left, client.bottom, fill);
    FillStrip(canvas, client.right, client.top, r.right, client.bottom, fill);
}

void FillBriskGradient(HDC dc, const RECT& rect, TColor start, TColor stop, TGradientDirection direction) {
    const int w = gui::RectWidth(rect), h = gui::RectHeight(rect);
    if (!dc || w <= 0 || h <= 0) return;
    gui::DibSection dib(w, h, 32);
    if (!dib.Valid()) return;
    const COLORREF a = gui::ColorToRGB(start), b = gui::ColorToRGB(stop);
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < w; ++x) {
            const double t = GradientPosition(direction, x, y, w, h);
            row[x * 4 + 0] = static_cast<std::uint8_t>(Mix(GetBValue(a), GetBValue(b), t));
            row[x * 4 + 1] = static_cast<std::uint8_t>(Mix(GetGValue(a), GetGValue(b), t));
            row[x * 4 + 2] = static_cast<std::uint8_t>(Mix(GetRValue(a), GetRValue(b), t));
            row[x * 4 + 3] = 0;
        }
    }
    BitBlt(dc, rect.left, rect.top, w, h, dib.Dc(), 0, 0, SRCCOPY);
}

void DrawBriskGrid(gui::TCanvas& canvas, const RECT& client, const TBriskGridLook& look) {
    const int columns = look.XSize ? gui::RectWidth(client) / look.XSize : 0;
    const int rows = look.YSize ? gui::RectHeight(client) / look.YSize : 0;
    auto lineX = [&](int i) { return static_cast<int>(client.left) + i * look.XSize - 1; };
    auto lineY = [&](int j) { return static_cast<int>(client.top) + j * look.YSize - 1; };
    switch (look.Style) {
    case gsDots:
        for (int i = 1; i <= columns; ++i) {
            for (int j = 1; j <= rows; ++j) canvas.SetPixel(lineX(i), lineY(j), look.Color);
        }
        return;
    case gsSolidLines:
        canvas.Pen.SetColor(look.Color);
        canvas.Pen.SetStyle(gui::psSolid);
        for (int i = 1; i <= columns; ++i) {
            canvas.MoveTo(lineX(i), client.top);
            canvas.LineTo(lineX(i), client.bottom);
        }
        for (int j = 1; j <= rows; ++j) {
            canvas.MoveTo(client.left, lineY(j));
            canvas.LineTo(client.right, lineY(j));
        }
        return;
    case gsDottedLines:
        for (int i = 1; i <= columns; ++i) {
            for (int y = client.top + 1; y < client.bottom; y += 2) canvas.SetPixel(lineX(i), y, look.Color);
        }
        for (int j = 1; j <= rows; ++j) {
            for (int x = client.left + 1; x < client.right; x += 2) canvas.SetPixel(x, lineY(j), look.Color);
        }
        return;
    }
}

void DrawBriskCaption(gui::TCanvas& canvas, const RECT& client, const TBriskCaptionLook& look) {
    if (look.Caption.empty()) return;
    RECT text = client;
    text.left += 1;
    RECT measured = text;
    canvas.DrawText(look.Caption, measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    const int textHeight = gui::RectHeight(measured);
    if (look.Vertical == avCenter) text.top = (text.top + text.bottom - textHeight) / 2;
    if (look.Vertical == avBottom) text.top = text.bottom - textHeight - 1;
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_CENTER;
    if (look.Alignment == gui::taLeftJustify) format = DT_WORDBREAK | DT_EXPANDTABS | DT_LEFT;
    if (look.Alignment == gui::taRightJustify) format = DT_WORDBREAK | DT_EXPANDTABS | DT_RIGHT;
    canvas.Brush.SetStyle(gui::bsClear);
    if (look.Enabled) {
        canvas.DrawText(look.Caption, text, format);
    } else {
        RECT raised = text;
        OffsetRect(&raised, 1, 1);
        canvas.Font.SetColor(gui::clBtnHighlight);
        canvas.DrawText(look.Caption, raised, format);
        canvas.Font.SetColor(gui::clBtnShadow);
        canvas.DrawText(look.Caption, text, format);
    }
    canvas.Brush.SetStyle(gui::bsSolid);
}
