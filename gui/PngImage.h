#pragma once
// PNG pictures (read only: the launcher never writes one) decoded with libpng into 8-bit RGB plus an optional alpha plane. Colour and alpha
// are kept apart so that one row of alpha can be read and written on its own.
#include "gui/Graphics.h"
#include "sys/SysUtils.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

class EPngError : public sys::Exception {
public:
    using sys::Exception::Exception;
};

// PNG colour types as the file states them.
constexpr int kPngGray = 0, kPngRgb = 2, kPngPalette = 3, kPngGrayAlpha = 4, kPngRgba = 6;

class TPngImage : public TGraphic {
public:
    TPngImage() = default;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TPngImage>(*this); }
    // A PNG file's bytes; raises EPngError when they are not one, leaving the image as it was.
    void LoadFromMemory(const void* data, size_t size);
    void Assign(const TPngImage& other);  // copies the image and fires OnChange

    int ColorType() const { return colorType_; }
    bool HasAlpha() const { return !alpha_.empty(); }
    // Gives an image without alpha a fully opaque alpha plane (RGB becomes RGBA, grey becomes
    // grey + alpha; a palette image keeps its type and gets all-opaque transparency).
    void AddAlpha();
    std::uint8_t* Row(int y) { return colour_.data() + RowOffset(y, 3); }  // R, G, B per pixel
    const std::uint8_t* Row(int y) const { return colour_.data() + RowOffset(y, 3); }
    std::uint8_t* AlphaRow(int y) { return alpha_.empty() ? nullptr : alpha_.data() + RowOffset(y, 1); }
    const std::uint8_t* AlphaRow(int y) const { return alpha_.empty() ? nullptr : alpha_.data() + RowOffset(y, 1); }
    // A blank 8-bit RGBA image: every pixel black with alpha 0 (RGB, black, without alpha).
    void CreateBlank(int width, int height, bool withAlpha = true);
    void Clear();
    TBitmap ToBitmap() const;  // opaque 24-bit copy of the colours

private:
    size_t RowOffset(int y, int bytes) const { return static_cast<size_t>(y) * width_ * bytes; }
    template <class PixelAt>
    void BlendInto(const RECT& pixels, PixelAt&& target) const;
    int width_ = 0, height_ = 0;
    int colorType_ = kPngRgba;
    std::vector<std::uint8_t> colour_;
    std::vector<std::uint8_t> alpha_;
};

// The blend of one colour channel at alpha a: (source * a + dest * (255 - a) + 255) >> 8.
inline std::uint8_t BlendChannel(int source, int dest, int alpha) {
    return static_cast<std::uint8_t>((source * alpha + dest * (255 - alpha) + 255) >> 8);
}

// Registers the PNG class with the picture loader for "PNG" and writes the diagnostic line to
// the debugger output; a second call does nothing. Unregister undoes both.
void RegisterPngFormat();
void UnregisterPngFormat();

}  // namespace gui
