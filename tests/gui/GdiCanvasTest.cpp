#include "gui/Canvas.h"
#include "gui/Gdi.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

// A 32 × 20 white 24-bit surface to draw on and read back.
struct Surface {
    DibSection dib{32, 20, 24};
    TCanvas canvas{dib.Dc()};
    Surface() {
        canvas.Brush.SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 32, 20));
    }
    COLORREF At(int x, int y) const { return dib.PixelAt(x, y); }
};

}  // namespace

TEST(Gdi, SelectScopeRestoresThePreviousObjectEvenWhenNested) {
    DibSection dib(4, 4, 24);
    HGDIOBJ original = GetCurrentObject(dib.Dc(), OBJ_BRUSH);
    BrushOwner red(CreateSolidBrush(RGB(255, 0, 0)));
    BrushOwner blue(CreateSolidBrush(RGB(0, 0, 255)));
    {
        SelectScope outer(dib.Dc(), red.Get());
        EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), red.Get());
        {
            SelectScope inner(dib.Dc(), blue.Get());
            EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), blue.Get());
        }
        EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), red.Get());
    }
    EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), original);
}

TEST(Gdi, OwnersDeleteOnceAndMovesHandOver) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        BrushOwner a(raw);
        BrushOwner b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.Get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(Gdi, DibSectionsGiveRowAccessInBothDepths) {
    for (int bits : {24, 32}) {
        DibSection dib(5, 3, bits);
        ASSERT_TRUE(dib.Valid());
        EXPECT_EQ(dib.Stride() % 4, 0);
        dib.SetPixelAt(4, 2, RGB(10, 20, 30));
        const std::uint8_t* p = dib.Row(2) + 4 * (bits / 8);
        EXPECT_EQ(p[0], 30);  // blue first in memory
        EXPECT_EQ(p[2], 10);
        BitBlt(dib.Dc(), 0, 0, 1, 1, dib.Dc(), 4, 2, SRCCOPY);
        EXPECT_EQ(dib.PixelAt(0, 0), RGB(10, 20, 30)) << bits;
    }
}

TEST(Gdi, DoubleBufferDrawsInTargetCoordinatesAndBlitsOnlyItsArea) {
    DibSection target(20, 20, 24);
    PatBlt(target.Dc(), 0, 0, 20, 20, WHITENESS);
    {
        DoubleBuffer buffer(target.Dc(), Rect(5, 5, 15, 15));
        BrushOwner red(CreateSolidBrush(RGB(255, 0, 0)));
        RECT all = Rect(0, 0, 20, 20);
        FillRect(buffer.Get(), &all, red.Get());
        EXPECT_EQ(target.PixelAt(10, 10), RGB(255, 255, 255)) << "nothing lands before the blit";
    }
    EXPECT_EQ(target.PixelAt(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(target.PixelAt(14, 14), RGB(255, 0, 0));
    EXPECT_EQ(target.PixelAt(4, 4), RGB(255, 255, 255));
    EXPECT_EQ(target.PixelAt(15, 15), RGB(255, 255, 255));
}

TEST(Colors, SystemColoursResolveWhenDrawn) {
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(0xFF000011u), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(RGBColor(66, 139, 202), 13273922u);
}

TEST(Canvas, ShapesHitTheirPixelsWithPenAndBrush) {
    Surface s;
    s.canvas.Pen.SetColor(clRed);
    s.canvas.Brush.SetColor(clBlue);
    s.canvas.Rectangle(2, 2, 10, 8);
    EXPECT_EQ(s.At(2, 2), RGB(255, 0, 0)) << "outline";
    EXPECT_EQ(s.At(9, 7), RGB(255, 0, 0)) << "outline, right/bottom exclusive";
    EXPECT_EQ(s.At(5, 5), RGB(0, 0, 255)) << "fill";
    EXPECT_EQ(s.At(10, 8), RGB(255, 255, 255));

    s.canvas.Brush.SetStyle(bsClear);
    s.canvas.Pen.SetColor(clBlack);
    s.canvas.Rectangle(12, 2, 20, 8);
    EXPECT_EQ(s.At(12, 2), RGB(0, 0, 0));
    EXPECT_EQ(s.At(15, 5), RGB(255, 255, 255)) << "a clear brush leaves the inside alone";

    s.canvas.Pen.SetColor(clLime);
    s.canvas.MoveTo(0, 15);
    s.canvas.LineTo(31, 15);
    EXPECT_EQ(s.At(0, 15), RGB(0, 255, 0));
    EXPECT_EQ(s.At(30, 15), RGB(0, 255, 0));
    EXPECT_EQ(s.At(31, 15), RGB(255, 255, 255)) << "the end point is not drawn";
    EXPECT_EQ(s.canvas.PenPos().x, 31);

    s.canvas.Brush.SetColor(clNavy);
    s.canvas.Pen.SetStyle(psClear);
    s.canvas.Ellipse(21, 1, 31, 11);
    EXPECT_EQ(s.At(26, 6), RGB(0, 0, 128));
    EXPECT_EQ(s.At(21, 1), RGB(255, 255, 255)) << "corner outside the ellipse";
}

TEST(Canvas, FrameRectAndPixelsUseTheBrushColour) {
    Surface s;
    s.canvas.Brush.SetColor(clGreen);
    s.canvas.FrameRect(Rect(1, 1, 6, 6));
    EXPECT_EQ(s.At(1, 1), RGB(0, 128, 0));
    EXPECT_EQ(s.At(5, 3), RGB(0, 128, 0));
    EXPECT_EQ(s.At(3, 3), RGB(255, 255, 255));
    s.canvas.SetPixel(7, 7, clRed);
    EXPECT_EQ(s.canvas.Pixel(7, 7), clRed);
}

TEST(Canvas, TextIsDrawnInTheFontColourAndClippedByTextRect) {
    Surface s;
    s.canvas.Font.SetColor(clBlack);
    s.canvas.Font.SetHeight(-16);
    s.canvas.Brush.SetStyle(bsClear);
    SIZE extent = s.canvas.TextExtent(L"WW");
    EXPECT_GT(extent.cx, 8);
    EXPECT_GT(extent.cy, 8);
    s.canvas.TextRect(Rect(0, 0, 6, 20), 0, 0, L"WWWW");
    int inked = 0, leaked = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (s.At(x, y) != RGB(255, 255, 255)) (x < 6 ? inked : leaked)++;
        }
    }
    EXPECT_GT(inked, 0);
    EXPECT_EQ(leaked, 0);
}

TEST(Canvas, ClipAndViewportChangesEndWithTheStateScope) {
    Surface s;
    {
        TCanvas::StateScope state(s.canvas);
        s.canvas.SetViewportOrg(10, 5);
        s.canvas.IntersectClip(Rect(0, 0, 4, 4));
        s.canvas.Brush.SetColor(clRed);
        s.canvas.FillRect(Rect(0, 0, 20, 20));
        EXPECT_EQ(s.canvas.ClipRect().right, 4);
    }
    EXPECT_EQ(s.At(10, 5), RGB(255, 0, 0));
    EXPECT_EQ(s.At(13, 8), RGB(255, 0, 0));
    EXPECT_EQ(s.At(14, 9), RGB(255, 255, 255)) << "clipped";
    EXPECT_EQ(s.canvas.ViewportOrg().x, 0);
    s.canvas.Brush.SetColor(clBlue);
    s.canvas.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(s.At(0, 0), RGB(0, 0, 255)) << "clip restored";
}

TEST(Canvas, FontChangesWhileDrawingNeverLeaveAStaleHandleSelected) {
    Surface s;
    s.canvas.Font.SetHeight(-12);
    s.canvas.TextOut(0, 0, L"a");
    HFONT first = s.canvas.Font.Handle();
    s.canvas.Font.SetHeight(-20);
    EXPECT_EQ(GetObjectType(first), 0u) << "the old font was freed, so it was not selected";
    EXPECT_NE(GetCurrentObject(s.dib.Dc(), OBJ_FONT), s.canvas.Font.Handle());
}
