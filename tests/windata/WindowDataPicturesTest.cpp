#include "sys/SysUtils.h"
#include "gui/WindowDataPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A BMP file of width × height at bits per pixel; pixel (x, y) of the picture gets value(x, y)
// in every byte, rows stored bottom-up unless topDown.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, bool topDown) {
    const int stride = (width * bits / 8 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = topDown ? -height : height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biCompression = BI_RGB;
    std::vector<std::uint8_t> bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y) {
        int stored = topDown ? y : height - 1 - y;
        std::memset(bytes.data() + file.bfOffBits + stored * stride, 0x10 * (y + 1), width * bits / 8);
    }
    return bytes;
}

}  // namespace

TEST(WindowDataPictures, BmpRowsLandTopDownWhicheverWayTheyAreStored) {
    for (bool topDown : {false, true}) {
        for (int bits : {24, 32}) {
            std::vector<std::uint8_t> bytes = MakeBmp(3, 2, bits, topDown);
            gui::TBitmap bitmap = gui::DecodeBmp(bytes.data(), bytes.size());
            EXPECT_EQ(bitmap.Width(), 3);
            EXPECT_EQ(bitmap.Height(), 2);
            EXPECT_EQ(bitmap.ScanLine(0)[0], 0x10) << bits << " top-down " << topDown;
            EXPECT_EQ(bitmap.ScanLine(1)[3 * bits / 8 - 1], 0x20) << bits << " top-down " << topDown;
        }
    }
}

TEST(WindowDataPictures, MalformedBmpIsRefusedNotRead) {
    std::vector<std::uint8_t> truncated = MakeBmp(64, 64, 24, false);
    truncated.resize(truncated.size() - 1);
    EXPECT_THROW(gui::DecodeBmp(truncated.data(), truncated.size()), sys::Exception);

    std::vector<std::uint8_t> paletted = MakeBmp(4, 4, 24, false);
    reinterpret_cast<BITMAPINFOHEADER*>(paletted.data() + sizeof(BITMAPFILEHEADER))->biBitCount = 8;
    EXPECT_THROW(gui::DecodeBmp(paletted.data(), paletted.size()), sys::Exception);

    std::vector<std::uint8_t> offsetPastEnd = MakeBmp(4, 4, 24, false);
    reinterpret_cast<BITMAPFILEHEADER*>(offsetPastEnd.data())->bfOffBits = 0xFFFFFFF0u;
    EXPECT_THROW(gui::DecodeBmp(offsetPastEnd.data(), offsetPastEnd.size()), sys::Exception);

    EXPECT_THROW(gui::DecodeBmp("BM", 2), sys::Exception);
}
