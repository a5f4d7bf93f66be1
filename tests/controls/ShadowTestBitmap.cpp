// The shadow's pixels, without a window: template, blur, premultiplied colour, picture assembly.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "controls/ShadowBitmap.h"
#include "gui/Dpi.h"

using namespace shadow;

namespace {

constexpr std::uint32_t kSentinel = 0x12345678u;

std::uint32_t Blue(int value) { return MakePixel(0x7F, 0, 0, value); }

// A 32-bit DIB section, as the shadow draws into, with its pixels at hand.
class TPixels {
public:
    TPixels(int width, int height, std::uint32_t fill = 0) : dib_(width, height, 32) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) At(x, y) = fill;
    }
    TPixels(gui::DibSection dib) : dib_(std::move(dib)) {}
    operator const gui::DibSection&() const { return dib_; }
    int Width() const { return dib_.Width(); }
    int Height() const { return dib_.Height(); }
    TPixelView View() const { return PixelsOf(dib_); }
    std::uint32_t& At(int x, int y) const { return View().At(x, y); }

private:
    gui::DibSection dib_;
};

}  // namespace

TEST(ShadowBlur, PassesRunInPlaceReadingRowsAlreadyBlurredAbove) {
    // One column: every neighbour is clamped onto the column, so only rows matter.
    TPixels column(1, 3);
    TPixelView px = column.View();
    px.At(0, 0) = Blue(0);
    px.At(0, 1) = Blue(0);
    px.At(0, 2) = MakePixel(0x7F, 40, 8, 200);
    BlurPixels(px, 1);
    // Row 2 reads row 1 after row 1 became 100: (100 + 100 + 200 + 200) / 4.
    EXPECT_EQ(BlueOf(column.At(0, 0)), 0);
    EXPECT_EQ(BlueOf(column.At(0, 1)), 100);
    EXPECT_EQ(BlueOf(column.At(0, 2)), 150);
    EXPECT_EQ(RedOf(column.At(0, 2)), 30);
    EXPECT_EQ(GreenOf(column.At(0, 2)), 6);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(AlphaOf(column.At(0, y)), 0x7F) << "alpha is kept, row " << y;

    // Pass 2 has radius 2: rows 0 and 2 for every row of three.
    BlurPixels(px, 0);
    EXPECT_EQ(BlueOf(column.At(0, 2)), 150) << "zero passes change nothing";
    TPixels again(1, 3);
    TPixelView second = again.View();
    second.At(0, 2) = Blue(200);
    BlurPixels(second, 2);
    EXPECT_EQ(BlueOf(again.At(0, 0)), 75);
    EXPECT_EQ(BlueOf(again.At(0, 1)), 112);
    EXPECT_EQ(BlueOf(again.At(0, 2)), 112);
}

TEST(ShadowTemplate, BandIsPremultipliedShadowColourFallingOffOutward) {
    const COLORREF rgb = RGB(200, 100, 50);
    const TPixels tpl = MakeShadowTemplate(2, rgb);
    ASSERT_EQ(tpl.Width(), kTemplateSize);
    ASSERT_EQ(tpl.Height(), kTemplateSize);

    for (int y = 0; y < kTemplateSize; ++y) {
        for (int x = 0; x < kTemplateSize; ++x) {
            const bool band = x < 16 || x >= 119 || y <= 16 || y >= 119;
            const std::uint32_t px = tpl.At(x, y);
            if (!band) continue;
            const int a = AlphaOf(px);
            ASSERT_EQ(RedOf(px), 200 * a / 255) << x << "," << y;
            ASSERT_EQ(GreenOf(px), 100 * a / 255) << x << "," << y;
            ASSERT_EQ(BlueOf(px), 50 * a / 255) << x << "," << y;
        }
    }
    EXPECT_EQ(tpl.At(0, 0), 0u) << "no light reaches the outer corner";
    // Inside the square: not coloured; the floor of each mean keeps it just below white.
    EXPECT_EQ(AlphaOf(tpl.At(67, 67)), 0);
    EXPECT_GE(BlueOf(tpl.At(67, 67)), 250);

    // Outward from the square, the edge's alpha never rises, from nearly opaque to nothing.
    for (int y = 1; y <= 16; ++y) EXPECT_LE(AlphaOf(tpl.At(65, y - 1)), AlphaOf(tpl.At(65, y))) << y;
    for (int x = 1; x < 16; ++x) EXPECT_LE(AlphaOf(tpl.At(x - 1, 65)), AlphaOf(tpl.At(x, 65))) << x;
    for (int x = 120; x < kTemplateSize; ++x) EXPECT_GE(AlphaOf(tpl.At(x - 1, 65)), AlphaOf(tpl.At(x, 65))) << x;
    EXPECT_GT(AlphaOf(tpl.At(65, 16)), 100);
    EXPECT_EQ(AlphaOf(tpl.At(65, 5)), 0);
}

TEST(ShadowTemplate, WithoutBlurTheBandHasAHardEdgeAtTheSquare) {
    const TPixels tpl = MakeShadowTemplate(0, RGB(0, 0, 0));
    EXPECT_EQ(tpl.At(65, 15), 0u);
    EXPECT_EQ(tpl.At(65, 16), MakePixel(255, 0, 0, 0)) << "row 16 is in the band and under the square";
    EXPECT_EQ(tpl.At(15, 65), 0u);
    EXPECT_EQ(tpl.At(118, 65), MakePixel(0, 255, 255, 255)) << "column 118 is inside, left uncoloured";
    EXPECT_EQ(tpl.At(119, 65), 0u);
    EXPECT_EQ(tpl.At(65, 118), MakePixel(0, 255, 255, 255));
    EXPECT_EQ(tpl.At(65, 119), 0u);
}

// At each display scale the band is the scaled margin wide, falls off softly to nothing at the
// outer edge on every side and leaves the form's area alone.
TEST(ShadowPicture, AtEachScaleTheBandIsTheScaledMarginFallingOffOnEverySide) {
    const struct {
        int dpi, margin;
    } rows[] = {{96, 16}, {144, 24}, {192, 32}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dpi);
        const TShadowGeometry g = TShadowGeometry::ForDpi(r.dpi);
        ASSERT_EQ(r.margin, g.Margin);
        const TPixels tpl = MakeShadowTemplate(gui::ScaleDpi(2, r.dpi), RGB(0, 0, 0), g);
        const int pw = 300 + 2 * r.margin, ph = 200 + 2 * r.margin;
        TPixels buffer(pw, ph, kSentinel);
        ComposeRectangleShadow(buffer.View(), tpl, g);
        EXPECT_EQ(kSentinel, buffer.At(pw / 2, ph / 2));
        const int mx = pw / 2, my = ph / 2;
        const int edges[4][4] = {{mx, 0, 0, 1}, {mx, ph - 1, 0, -1}, {0, my, 1, 0}, {pw - 1, my, -1, 0}};
        for (const auto& e : edges) {
            EXPECT_EQ(0, AlphaOf(buffer.At(e[0], e[1]))) << "outer edge at " << e[0] << "," << e[1];
            int previous = 0;
            for (int step = 0; step < r.margin; ++step) {
                const int a = AlphaOf(buffer.At(e[0] + e[2] * step, e[1] + e[3] * step));
                ASSERT_GE(a, previous) << "towards the form at step " << step;
                previous = a;
            }
            EXPECT_GT(previous, 0) << "shadow next to the form";
        }
    }
}

// Each size is drawn inside a larger buffer whose frame must stay untouched, so an edge that
// runs one pixel too far shows up here rather than as heap damage.
TEST(ShadowPicture, CornersAndEdgesCoverTheVisibleBandAtEverySize) {
    const TPixels tpl = MakeShadowTemplate(2, RGB(0, 0, 0));
    struct Size { int w, h; };
    const Size sizes[] = {{100, 80}, {31, 31}, {32, 30}, {0, 0}, {20, 200}, {300, 33}};
    for (const Size s : sizes) {
        const int pw = s.w + 32, ph = s.h + 32, frame = 20;
        TPixels buffer(pw + 2 * frame, ph + 2 * frame, kSentinel);
        TPixelView whole = buffer.View();
        TPixelView pic{&whole.At(frame, frame), pw, ph, whole.stride};
        ComposeRectangleShadow(pic, tpl);
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);

        for (int y = 0; y < buffer.Height(); ++y)
            for (int x = 0; x < buffer.Width(); ++x) {
                const int px = x - frame, py = y - frame;
                const bool inside = px >= 0 && py >= 0 && px < pw && py < ph;
                const bool band = px < 16 || py < 16 || px >= pw - 16 || py >= ph - 16;
                if (!inside) {
                    ASSERT_EQ(buffer.At(x, y), kSentinel) << "outside " << px << "," << py;
                } else if (band) {
                    ASSERT_NE(buffer.At(x, y), kSentinel) << "band hole " << px << "," << py;
                }
            }
        EXPECT_EQ(pic.At(pw - 1, ph - 1), tpl.At(134, 134));
        EXPECT_EQ(pic.At(0, 0), tpl.At(0, 0));
        // Even when the corners overlap (small forms), the band shows only premultiplied shadow
        // pixels, never the template's uncoloured inside, which would add light.
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x) {
                const std::uint32_t p = pic.At(x, y);
                if (x < 16 || y < 16 || x >= pw - 16 || y >= ph - 16) {
                    ASSERT_LE(BlueOf(p), AlphaOf(p)) << x << "," << y;
                }
            }
        if (pw > 63) {
            EXPECT_EQ(pic.At(pw / 2, 3), tpl.At(65, 3));
            EXPECT_EQ(pic.At(pw / 2, ph - 1), tpl.At(65, 134));
            EXPECT_EQ(pic.At(pw / 2, ph - 17), tpl.At(65, 118));
        }
        if (ph > 63) {
            EXPECT_EQ(pic.At(7, ph / 2), tpl.At(7, 65));
            EXPECT_EQ(pic.At(pw - 1, ph / 2), tpl.At(134, 65));
            EXPECT_EQ(pic.At(pw - 17, ph / 2), tpl.At(118, 65));
        }
        if (pw > 64 && ph > 64) {
            EXPECT_EQ(pic.At(pw / 2, ph / 2), kSentinel) << "the form's area is left alone";
        }
    }
}

TEST(ShadowPicture, SnapshotGoesOpaqueIntoTheInteriorOnlyWhenItFits) {
    TPixels snapshot(8, 6, MakePixel(0, 1, 2, 3));
    TPixels picture(40, 38, 0);
    CopySnapshotOpaque(picture.View(), snapshot.View(), nullptr);
    EXPECT_EQ(picture.At(16, 16), MakePixel(255, 1, 2, 3));
    EXPECT_EQ(picture.At(23, 21), MakePixel(255, 1, 2, 3));
    EXPECT_EQ(picture.At(24, 21), 0u);
    EXPECT_EQ(picture.At(15, 16), 0u);

    TPixels tight(8 + 17, 6 + 30, 0);
    CopySnapshotOpaque(tight.View(), snapshot.View(), nullptr);
    EXPECT_EQ(tight.At(16, 16), 0u) << "a picture only 17 wider is left alone";

    TPixels masked(40, 38, 0);
    std::vector<std::uint8_t> mask(40 * 38, 0);
    mask[17 * 40 + 18] = 1;
    CopySnapshotOpaque(masked.View(), snapshot.View(), &mask);
    EXPECT_EQ(masked.At(18, 17), MakePixel(255, 1, 2, 3));
    EXPECT_EQ(masked.At(16, 16), 0u);
}
