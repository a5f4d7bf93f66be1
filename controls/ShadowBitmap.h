#pragma once
// The pixel work behind the form drop shadow: the blurred template, the blur itself, the
// colourising into premultiplied alpha, and the assembly of a shadow picture from the template.
// Everything here runs on the pixels of 32-bit DIB sections (0xAARRGGBB, top-down rows) and
// needs no window.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "gui/Gdi.h"

namespace shadow {

// Margin of the shadow on every side of the form, and the side length of the template, at 96 DPI.
constexpr int kMargin = 16;
constexpr int kTemplateSize = 135;

// The shadow's measures at one display scale: the 96 DPI ones through the one scaling rule.
struct TShadowGeometry {
    int Margin = kMargin;
    int TemplateSize = kTemplateSize;
    int SquareEnd = 119;  // the template's white square runs from Margin to here
    int Corner = 32;
    int EdgeSource = 65;  // the template row and column that the edges are stretched from
    static TShadowGeometry ForDpi(int dpi);
};

// A window onto 32-bit pixels; stride is in pixels, so a view can cover part of a larger buffer.
struct TPixelView {
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    std::uint32_t& At(int x, int y) const { return bits[y * stride + x]; }
};

constexpr std::uint8_t AlphaOf(std::uint32_t px) { return static_cast<std::uint8_t>(px >> 24); }
constexpr std::uint8_t RedOf(std::uint32_t px) { return static_cast<std::uint8_t>(px >> 16); }
constexpr std::uint8_t GreenOf(std::uint32_t px) { return static_cast<std::uint8_t>(px >> 8); }
constexpr std::uint8_t BlueOf(std::uint32_t px) { return static_cast<std::uint8_t>(px); }
constexpr std::uint32_t MakePixel(int a, int r, int g, int b) {
    return (static_cast<std::uint32_t>(a & 0xFF) << 24) | (static_cast<std::uint32_t>(r & 0xFF) << 16) |
           (static_cast<std::uint32_t>(g & 0xFF) << 8) | static_cast<std::uint32_t>(b & 0xFF);
}

// channel * alpha / 255 (integer division).
std::uint8_t ScaleByAlpha(std::uint8_t channel, std::uint8_t alpha);

// In place, rows top to bottom, pixels left to right: pass k (1..passes) replaces blue, green and
// red by the mean of the four diagonal neighbours at distance k, clamped into the bitmap. Rows
// above have already been blurred when they are read; alpha is kept.
void BlurPixels(TPixelView px, int passes);

// alpha := blue (the blurred intensity), colour := rgb premultiplied by that alpha.
void ColourisePixel(std::uint32_t& px, COLORREF rgb);

// 135 x 135 at 96 DPI, a 32-bit section: black with a white square (16,16)-(119,119), blurred,
// the band around the square colourised with rgb.
gui::DibSection MakeShadowTemplate(int blurPasses, COLORREF rgb, const TShadowGeometry& g = {});

// The soft border of a rectangular shadow: corners and edges of the picture from the template.
// The interior (under the form) is left as it is.
void ComposeRectangleShadow(TPixelView picture, const gui::DibSection& tpl, const TShadowGeometry& g = {});

// The pixels of a 32-bit DIB section (the shadow's picture); pending GDI drawing is flushed first,
// so they are current. Empty for an invalid section.
TPixelView PixelsOf(const gui::DibSection& dib);

// Whether a form image of width x height fits the picture's interior with room to spare.
bool SnapshotFits(TPixelView picture, int width, int height, const TShadowGeometry& g = {});

// Copies the form image into the picture's interior at (16, 16) at 96 DPI, opaque. With a mask
// (one byte per picture pixel, non-zero inside the form's region) only pixels inside the region
// are copied.
void CopySnapshotOpaque(TPixelView picture, TPixelView snapshot, const std::vector<std::uint8_t>* mask,
                        const TShadowGeometry& g = {});

// For a form with a window region: the picture holds the region filled white on black. These mark
// the region's pixels, and, after the blur, make them transparent and colourise the rest.
std::vector<std::uint8_t> MaskOfWhite(TPixelView picture);
void FinishRegionShadow(TPixelView picture, const std::vector<std::uint8_t>& mask, COLORREF rgb);

}  // namespace shadow
