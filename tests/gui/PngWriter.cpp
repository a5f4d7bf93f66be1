#include "tests/gui/PngWriter.h"

#include <zlib.h>

namespace testpng {

namespace {

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, &out[start], static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::vector<std::uint8_t> WritePng(int width, int height, int colorType, const std::vector<std::uint8_t>& pixels) {
    const size_t rowBytes = static_cast<size_t>(width) * (colorType == 6 ? 4 : 3);
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter type None
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) return {};
    packed.resize(packedSize);

    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, static_cast<std::uint8_t>(colorType), 0, 0, 0});
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    return file;
}

std::vector<std::uint8_t> EncodePng(const gui::TPngImage& image) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* rgb = image.Row(y) + x * 3;
            pixels.insert(pixels.end(), rgb, rgb + 3);
            if (image.HasAlpha()) pixels.push_back(image.AlphaRow(y)[x]);
        }
    }
    return WritePng(image.Width(), image.Height(), image.HasAlpha() ? gui::kPngRgba : gui::kPngRgb, pixels);
}

}  // namespace testpng
