#pragma once
// Plain PNG files for the tests, written with zlib alone: the launcher's libpng only reads.
// 8-bit RGB or RGBA, rows unfiltered, one IDAT chunk.
#include <cstdint>
#include <vector>

#include "gui/PngImage.h"

namespace testpng {

// pixels: height rows of width * 3 (RGB) or width * 4 (RGBA) bytes.
std::vector<std::uint8_t> WritePng(int width, int height, int colorType, const std::vector<std::uint8_t>& pixels);
// The image's colours, with its alpha plane when it has one.
std::vector<std::uint8_t> EncodePng(const gui::TPngImage& image);

}  // namespace testpng
