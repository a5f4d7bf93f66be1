#include "controls/ShadowBitmap.h"

#include <algorithm>

#include "gui/Dpi.h"

namespace shadow {

namespace {

bool InTemplateBand(int x, int y, const TShadowGeometry& g) {
    return x < g.Margin || x >= g.SquareEnd || y <= g.Margin || y >= g.SquareEnd;
}

void CopyBlock(TPixelView dst, int dx, int dy, TPixelView src, int sx, int sy, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dst.At(dx + x, dy + y) = src.At(sx + x, sy + y);
}

// Each corner keeps to its own half of the picture: on a form narrower or lower than 32 pixels
// the corners overlap, and a later corner would paint the template's uncoloured inside over the
// visible band of an earlier one.
void ComposeCorners(TPixelView pic, TPixelView tpl, const TShadowGeometry& g) {
    const int leftW = std::min(g.Corner, (pic.width + 1) / 2), rightW = std::min(g.Corner, pic.width / 2);
    const int topH = std::min(g.Corner, (pic.height + 1) / 2), bottomH = std::min(g.Corner, pic.height / 2);
    const int right = pic.width - rightW, bottom = pic.height - bottomH;
    const int size = g.TemplateSize;
    CopyBlock(pic, 0, 0, tpl, 0, 0, leftW, topH);
    CopyBlock(pic, right, 0, tpl, size - rightW, 0, rightW, topH);
    CopyBlock(pic, 0, bottom, tpl, 0, size - bottomH, leftW, bottomH);
    CopyBlock(pic, right, bottom, tpl, size - rightW, size - bottomH, rightW, bottomH);
}

void ComposeTopAndBottom(TPixelView pic, TPixelView tpl, const TShadowGeometry& g) {
    const int pw = pic.width;
    const int ph = pic.height;
    if (pw <= 2 * g.Corner - 1) return;
    for (int y = 0; y <= g.Margin; ++y)
        for (int x = g.Corner - 1; x <= pw - g.Corner - 1; ++x) pic.At(x, y) = tpl.At(g.EdgeSource, y);
    for (int y = ph - g.Margin - 1; y < ph; ++y)
        for (int x = g.Corner - 1; x <= pw - g.Corner - 1; ++x) pic.At(x, y) = tpl.At(g.EdgeSource, g.TemplateSize - (ph - y));
}

void ComposeLeftAndRight(TPixelView pic, TPixelView tpl, const TShadowGeometry& g) {
    const int pw = pic.width;
    const int ph = pic.height;
    if (ph > 2 * g.Corner - 2) {
        for (int y = g.Corner - 2; y <= ph - g.Corner - 1; ++y)
            for (int x = 0; x < g.Margin; ++x) pic.At(x, y) = tpl.At(x, g.EdgeSource);
    }
    if (ph > 2 * g.Corner - 1) {
        for (int y = g.Corner - 1; y <= ph - g.Corner - 1; ++y)
            for (int x = pw - g.Margin - 1; x < pw; ++x) pic.At(x, y) = tpl.At(g.TemplateSize - (pw - x), g.EdgeSource);
    }
}

}  // namespace

TShadowGeometry TShadowGeometry::ForDpi(int dpi) {
    TShadowGeometry g;
    for (int* measure : {&g.Margin, &g.TemplateSize, &g.SquareEnd, &g.Corner, &g.EdgeSource}) {
        *measure = gui::ScaleDpi(*measure, dpi);
    }
    return g;
}

std::uint8_t ScaleByAlpha(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>(channel * alpha / 255);
}

void BlurPixels(TPixelView px, int passes) {
    if (px.width <= 0 || px.height <= 0) return;
    for (int k = 1; k <= passes; ++k) {
        for (int y = 0; y < px.height; ++y) {
            const int top = std::max(y - k, 0);
            const int bottom = std::min(y + k, px.height - 1);
            for (int x = 0; x < px.width; ++x) {
                const int left = std::max(x - k, 0);
                const int right = std::min(x + k, px.width - 1);
                const std::uint32_t a = px.At(left, top), b = px.At(right, top);
                const std::uint32_t c = px.At(left, bottom), d = px.At(right, bottom);
                const int red = (RedOf(a) + RedOf(b) + RedOf(c) + RedOf(d)) >> 2;
                const int green = (GreenOf(a) + GreenOf(b) + GreenOf(c) + GreenOf(d)) >> 2;
                const int blue = (BlueOf(a) + BlueOf(b) + BlueOf(c) + BlueOf(d)) >> 2;
                std::uint32_t& out = px.At(x, y);
                out = MakePixel(AlphaOf(out), red, green, blue);
            }
        }
    }
}

void ColourisePixel(std::uint32_t& px, COLORREF rgb) {
    const std::uint8_t alpha = BlueOf(px);
    px = MakePixel(alpha, ScaleByAlpha(GetRValue(rgb), alpha), ScaleByAlpha(GetGValue(rgb), alpha),
                   ScaleByAlpha(GetBValue(rgb), alpha));
}

gui::DibSection MakeShadowTemplate(int blurPasses, COLORREF rgb, const TShadowGeometry& g) {
    gui::DibSection tpl(g.TemplateSize, g.TemplateSize, 32);
    const TPixelView view = PixelsOf(tpl);
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) view.At(x, y) = MakePixel(0, 0, 0, 0);
    for (int y = g.Margin; y < g.SquareEnd; ++y)
        for (int x = g.Margin; x < g.SquareEnd; ++x) view.At(x, y) = MakePixel(0, 255, 255, 255);
    BlurPixels(view, blurPasses);
    for (int y = 0; y < g.TemplateSize; ++y)
        for (int x = 0; x < g.TemplateSize; ++x)
            if (InTemplateBand(x, y, g)) ColourisePixel(view.At(x, y), rgb);
    return tpl;
}

void ComposeRectangleShadow(TPixelView picture, const gui::DibSection& tpl, const TShadowGeometry& g) {
    if (picture.width < g.Corner || picture.height < g.Corner) return;
    const TPixelView pixels = PixelsOf(tpl);
    ComposeCorners(picture, pixels, g);
    ComposeTopAndBottom(picture, pixels, g);
    ComposeLeftAndRight(picture, pixels, g);
}

TPixelView PixelsOf(const gui::DibSection& dib) {
    if (!dib.Valid()) return TPixelView{};
    GdiFlush();
    // The bits belong to GDI, not to the C++ object, which only holds their handle.
    auto* bits = reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(dib.Row(0)));
    return TPixelView{bits, dib.Width(), dib.Height(), dib.Stride() / 4};
}

bool SnapshotFits(TPixelView picture, int width, int height, const TShadowGeometry& g) {
    return picture.width - width > g.Margin + 1 && picture.height - height > g.Margin + 1;
}

void CopySnapshotOpaque(TPixelView picture, TPixelView snapshot, const std::vector<std::uint8_t>* mask,
                        const TShadowGeometry& g) {
    if (!SnapshotFits(picture, snapshot.width, snapshot.height, g)) return;
    for (int y = 0; y < snapshot.height; ++y) {
        for (int x = 0; x < snapshot.width; ++x) {
            const int px = g.Margin + x;
            const int py = g.Margin + y;
            if (mask && !(*mask)[static_cast<size_t>(py) * picture.width + px]) continue;
            picture.At(px, py) = snapshot.At(x, y) | 0xFF000000u;
        }
    }
}

std::vector<std::uint8_t> MaskOfWhite(TPixelView picture) {
    std::vector<std::uint8_t> mask(static_cast<size_t>(picture.width) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            mask[static_cast<size_t>(y) * picture.width + x] = (picture.At(x, y) & 0x00FFFFFFu) == 0x00FFFFFFu;
    return mask;
}

void FinishRegionShadow(TPixelView picture, const std::vector<std::uint8_t>& mask, COLORREF rgb) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t& px = picture.At(x, y);
            if (mask[static_cast<size_t>(y) * picture.width + x])
                px = 0;
            else
                ColourisePixel(px, rgb);
        }
    }
}

}  // namespace shadow
