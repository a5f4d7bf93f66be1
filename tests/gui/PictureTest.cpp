#include "gui/Canvas.h"
#include "gui/Gdi.h"
#include "gui/Graphics.h"
#include "gui/PictureScale.h"
#include "gui/PngImage.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/gui/PngWriter.h"

using namespace gui;
using testpng::EncodePng;
using testpng::WritePng;

namespace {

// Three red pixels of alpha 0, 128 and 255.
TPngImage RedAlphaRamp() {
    std::vector<std::uint8_t> px = {255, 0, 0, 0, 255, 0, 0, 128, 255, 0, 0, 255};
    std::vector<std::uint8_t> file = WritePng(3, 1, kPngRgba, px);
    TPngImage image;
    image.LoadFromMemory(file.data(), file.size());
    return image;
}

}  // namespace

TEST(PngImage, DecodesRgbaIntoColourAndAlphaPlanes) {
    TPngImage image = RedAlphaRamp();
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 1);
    EXPECT_EQ(image.ColorType(), kPngRgba);
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.AlphaRow(0)[0], 0);
    EXPECT_EQ(image.AlphaRow(0)[1], 128);
    EXPECT_EQ(image.AlphaRow(0)[2], 255);
    EXPECT_EQ(image.Row(0)[3], 255);
    EXPECT_EQ(image.Row(0)[4], 0);
}

TEST(PngImage, RgbGetsAnOpaqueAlphaPlaneOnlyWhenAsked) {
    std::vector<std::uint8_t> file = WritePng(2, 1, kPngRgb, {1, 2, 3, 4, 5, 6});
    TPngImage image;
    image.LoadFromMemory(file.data(), file.size());
    EXPECT_EQ(image.ColorType(), kPngRgb);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.AlphaRow(0), nullptr);
    image.AddAlpha();
    EXPECT_EQ(image.ColorType(), kPngRgba);
    ASSERT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.AlphaRow(0)[1], 255);
}

TEST(PngImage, RejectsWhatIsNotAPngAndTruncatedFiles) {
    TPngImage image;
    const char junk[] = "GIF89a....";
    EXPECT_THROW(image.LoadFromMemory(junk, sizeof(junk)), EPngError);
    std::vector<std::uint8_t> file = WritePng(2, 2, kPngRgb, std::vector<std::uint8_t>(12, 7));
    file.resize(file.size() / 2);
    EXPECT_THROW(image.LoadFromMemory(file.data(), file.size()), EPngError);
    EXPECT_TRUE(image.Empty()) << "a failed load leaves the image as it was";
}

TEST(PngImage, SavedFilesDecodeToTheSamePixels) {
    TPngImage image = RedAlphaRamp();
    std::vector<std::uint8_t> file = EncodePng(image);
    TPngImage again;
    again.LoadFromMemory(file.data(), file.size());
    ASSERT_EQ(again.Width(), 3);
    EXPECT_EQ(again.AlphaRow(0)[1], 128);
    EXPECT_EQ(again.Row(0)[6], 255);
}

TEST(PngImage, AlphaBlendFollowsTheRoundedFormulaAtZeroHalfAndFull) {
    EXPECT_EQ(BlendChannel(255, 37, 0), 37);
    EXPECT_EQ(BlendChannel(0, 255, 0), 255);
    EXPECT_EQ(BlendChannel(200, 10, 255), 200);
    EXPECT_EQ(BlendChannel(255, 0, 128), (255 * 128 + 255) >> 8);

    TPngImage image = RedAlphaRamp();
    for (int bits : {24, 32}) {  // read back and written, or blended in place
        SCOPED_TRACE(bits);
        DibSection dib(3, 1, bits);
        TCanvas canvas(dib.Dc());
        canvas.Brush.SetColor(RGBColor(0, 0, 200));
        canvas.FillRect(Rect(0, 0, 3, 1));
        canvas.Draw(0, 0, image);
        EXPECT_EQ(dib.PixelAt(0, 0), RGB(0, 0, 200)) << "alpha 0 leaves the background";
        EXPECT_EQ(dib.PixelAt(1, 0), RGB((255 * 128 + 255) >> 8, 0, (200 * 127 + 255) >> 8));
        EXPECT_EQ(dib.PixelAt(2, 0), RGB(255, 0, 0)) << "alpha 255 replaces it";
    }
}

// Drawn in place or through a copy, an image lands where the DC's shift puts it and only within
// its clip: the same pixels whatever bitmap the DC holds.
TEST(PngImage, DrawHonoursTheShiftAndClipOfTheCanvas) {
    TPngImage image = RedAlphaRamp();
    struct TCase {
        const char* name;
        int bits;
        bool bottomUp;  // a section made elsewhere, rows stored bottom first
        std::vector<RECT> clip;  // device rectangles; none: no clip
    };
    const TCase cases[] = {
        {"in place", 32, false, {}},
        {"in place, clipped", 32, false, {{5, 0, 8, 4}}},
        {"in place, clip of two parts", 32, false, {{0, 0, 5, 1}, {5, 1, 8, 4}}},
        {"foreign bottom-up section", 32, true, {}},
        {"24-bit copy", 24, false, {{5, 0, 8, 4}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        DibSection ours(8, 4, c.bits);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 8;
        info.bmiHeader.biHeight = 4;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(c.bits);
        void* bits = nullptr;
        MemoryDc foreignDc(nullptr);
        BitmapOwner foreign(CreateDIBSection(foreignDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const SelectScope selected(foreignDc.Get(), foreign.Get());
        const HDC dc = c.bottomUp ? foreignDc.Get() : ours.Dc();
        PatBlt(dc, 0, 0, 8, 4, BLACKNESS);
        RegionOwner clip(c.clip.empty() ? nullptr : CreateRectRgn(0, 0, 0, 0));
        for (const RECT& r : c.clip) {
            RegionOwner part(CreateRectRgnIndirect(&r));
            CombineRgn(clip.Get(), clip.Get(), part.Get(), RGN_OR);
        }
        SelectClipRgn(dc, clip.Get());
        SetViewportOrgEx(dc, 2, 1, nullptr);
        TCanvas canvas(dc);
        canvas.StretchDraw(Rect(1, 0, 4, 1), image);  // device x 3..5 of row 1: red at x 4 (half), 5 (full)
        SetViewportOrgEx(dc, 0, 0, nullptr);
        SelectClipRgn(dc, nullptr);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool clipped = clip.Get() && !PtInRegion(clip.Get(), x, y);
                const int red = (y != 1 || clipped) ? 0 : x == 4 ? (255 * 128 + 255) >> 8 : x == 5 ? 255 : 0;
                EXPECT_EQ(GetPixel(dc, x, y), RGB(red, 0, 0)) << x << "," << y;
            }
        }
    }
}

TEST(PngImage, DrawScalesByNearestNeighbourFromTheRectangleLeft) {
    TPngImage image = RedAlphaRamp();
    DibSection dib(8, 2, 24);
    PatBlt(dib.Dc(), 0, 0, 8, 2, BLACKNESS);
    TCanvas canvas(dib.Dc());
    canvas.StretchDraw(Rect(2, 0, 8, 2), image);
    // Six columns from three: x takes source column trunc(x * 3 / 6).
    EXPECT_EQ(dib.PixelAt(2, 1), RGB(0, 0, 0));
    EXPECT_EQ(dib.PixelAt(3, 1), RGB(0, 0, 0));
    EXPECT_EQ(dib.PixelAt(4, 0), RGB(128, 0, 0));
    EXPECT_EQ(dib.PixelAt(7, 1), RGB(255, 0, 0));
}

TEST(PngImage, NearestHalfEvenKeepsMarginsAndSkipsSourcesOutside) {
    TPngImage source;
    source.CreateBlank(4, 1);
    for (int x = 0; x < 4; ++x) {
        source.Row(0)[x * 3] = static_cast<std::uint8_t>(10 * (x + 1));
        source.AlphaRow(0)[x] = static_cast<std::uint8_t>(100 + x);
    }
    TPngImage dest;
    dest.CreateBlank(8, 1);
    // Two source columns stretched to four: offsets 0, 0.5, 1, 1.5 round to 0, 0, 1, 2.
    ResampleRect(source, Rect(1, 0, 3, 1), dest, Rect(2, 0, 6, 1), TResampleRule::NearestHalfEven);
    EXPECT_EQ(dest.Row(0)[2 * 3], 20);
    EXPECT_EQ(dest.Row(0)[3 * 3], 20);
    EXPECT_EQ(dest.Row(0)[4 * 3], 30);
    EXPECT_EQ(dest.Row(0)[5 * 3], 40) << "source column 3 lies inside the image, so it is copied";
    EXPECT_EQ(dest.AlphaRow(0)[4], 102);
    EXPECT_EQ(dest.AlphaRow(0)[1], 0) << "outside the destination rectangle nothing changes";

    TPngImage rgb;
    std::vector<std::uint8_t> file = WritePng(1, 1, kPngRgb, {9, 9, 9});
    rgb.LoadFromMemory(file.data(), file.size());
    ResampleRect(rgb, Rect(0, 0, 1, 1), dest, Rect(7, 0, 8, 1), TResampleRule::NearestHalfEven);
    EXPECT_EQ(dest.AlphaRow(0)[7], 255) << "a source without alpha copies as opaque";
    ResampleRect(source, Rect(3, 0, 6, 1), dest, Rect(0, 0, 3, 1), TResampleRule::NearestHalfEven);
    EXPECT_EQ(dest.Row(0)[1 * 3], 0) << "source column 4 is outside the source: skipped";
}

// One source row, red 10, 20, 30, 40, through each rule: columns 1 to 3 into two, and columns 1
// and 2 into four.
TEST(PngImage, ResampleRulesTakeTheirSourcePixels) {
    TPngImage source;
    source.CreateBlank(4, 1, false);
    for (int x = 0; x < 4; ++x) source.Row(0)[x * 3] = static_cast<std::uint8_t>(10 * (x + 1));
    const struct {
        const char* name;
        TResampleRule rule;
        RECT from;
        std::vector<int> red;
    } rows[] = {
        // Offsets 0 and 1.5.
        {"truncated, reduced", TResampleRule::NearestTruncated, Rect(1, 0, 4, 1), {20, 30}},
        {"half even, reduced", TResampleRule::NearestHalfEven, Rect(1, 0, 4, 1), {20, 40}},
        // (20 + 30 / 2) / 1.5 and (30 / 2 + 40) / 1.5.
        {"area mean, reduced", TResampleRule::AreaMean, Rect(1, 0, 4, 1), {23, 37}},
        // Offsets 0, 0.5, 1, 1.5.
        {"truncated, enlarged", TResampleRule::NearestTruncated, Rect(1, 0, 3, 1), {20, 20, 30, 30}},
        {"half even, enlarged", TResampleRule::NearestHalfEven, Rect(1, 0, 3, 1), {20, 20, 30, 40}},
        {"area mean, enlarged", TResampleRule::AreaMean, Rect(1, 0, 3, 1), {20, 20, 30, 30}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const int width = static_cast<int>(r.red.size());
        TPngImage dest;
        dest.CreateBlank(width, 1);
        ResampleRect(source, r.from, dest, Rect(0, 0, width, 1), r.rule);
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(r.red[static_cast<size_t>(x)], dest.Row(0)[x * 3]) << x;
            EXPECT_EQ(255, dest.AlphaRow(0)[x]) << x;
        }
    }
}

// Four pixels to three: each target pixel covers 4/3 of a source pixel. The transparent green
// one must not tint its neighbours; alpha is the covered mean.
TEST(PngImage, ResampleAveragesTheCoveredAreaWeightedByAlpha) {
    TPngImage source;
    source.CreateBlank(4, 1);
    const std::uint8_t pixels[4][4] = {{200, 0, 0, 255}, {100, 0, 0, 255}, {0, 255, 0, 0}, {40, 0, 0, 255}};
    for (int x = 0; x < 4; ++x) {
        for (int c = 0; c < 3; ++c) source.Row(0)[x * 3 + c] = pixels[x][c];
        source.AlphaRow(0)[x] = pixels[x][3];
    }
    const TPngImage reduced = ResamplePng(source, 3, 1);
    ASSERT_EQ(3, reduced.Width());
    EXPECT_EQ(175, reduced.Row(0)[0]) << "(200 x 1 + 100 x 1/3) / (4/3)";
    EXPECT_EQ(255, reduced.AlphaRow(0)[0]);
    EXPECT_EQ(100, reduced.Row(0)[3]);
    EXPECT_EQ(0, reduced.Row(0)[4]) << "no green from the transparent pixel";
    EXPECT_EQ(128, reduced.AlphaRow(0)[1]) << "half covered by the opaque pixel";
    EXPECT_EQ(40, reduced.Row(0)[6]);
    EXPECT_EQ(191, reduced.AlphaRow(0)[2]) << "255 x 1 / (4/3)";

    TPngImage rgb;
    std::vector<std::uint8_t> file = WritePng(2, 2, kPngRgb, {0, 0, 0, 255, 255, 255, 10, 20, 30, 90, 100, 110});
    rgb.LoadFromMemory(file.data(), file.size());
    const TPngImage half = ResamplePng(rgb, 1, 1);
    EXPECT_FALSE(half.HasAlpha()) << "an opaque picture stays without alpha";
    EXPECT_EQ(89, half.Row(0)[0]);
    EXPECT_EQ(94, half.Row(0)[1]);
    EXPECT_EQ(99, half.Row(0)[2]);
}

TEST(PngImage, OpaqueBitmapKeepsTheColoursAndDropsAlpha) {
    TBitmap bitmap = RedAlphaRamp().ToBitmap();
    ASSERT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), clRed);
}

TEST(PngImage, FormatRegistrationIsOnceAndUndone) {
    RegisterPngFormat();
    RegisterPngFormat();
    EXPECT_TRUE(FileFormatRegistered(L"png"));
    UnregisterPngFormat();
    EXPECT_FALSE(FileFormatRegistered(L"PNG"));
}

TEST(Bitmap, TransparentDrawingLeavesOutTheBottomLeftColour) {
    TBitmap glyph(3, 3, pf24bit);
    glyph.Canvas().Brush.SetColor(clWhite);
    glyph.Canvas().FillRect(Rect(0, 0, 3, 3));
    glyph.Canvas().SetPixel(1, 1, clRed);
    glyph.Canvas().SetPixel(0, 0, clBlue);
    glyph.Canvas().SetPixel(0, 2, clGreen);  // bottom-left decides
    EXPECT_EQ(glyph.TransparentColor(), clGreen);
    glyph.SetTransparent(true);

    DibSection dib(3, 3, 24);
    PatBlt(dib.Dc(), 0, 0, 3, 3, BLACKNESS);
    TCanvas canvas(dib.Dc());
    canvas.Draw(0, 0, glyph);
    EXPECT_EQ(dib.PixelAt(0, 2), RGB(0, 0, 0)) << "the key colour is left out";
    EXPECT_EQ(dib.PixelAt(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(0, 0, 255));
}

TEST(Bitmap, CopiesAreDeepAndResizeKeepsTheTopLeft) {
    TBitmap a(4, 4, pf32bit);
    a.Canvas().SetPixel(1, 1, clRed);
    TBitmap b(a);
    b.Canvas().SetPixel(1, 1, clBlue);
    EXPECT_EQ(a.Canvas().Pixel(1, 1), clRed);
    a.SetSize(8, 2);
    EXPECT_EQ(a.Width(), 8);
    EXPECT_EQ(a.Canvas().Pixel(1, 1), clRed);
    EXPECT_EQ(a.PixelFormat(), pf32bit);
}
