#include "gui/WindowDataPictures.h"

#include "gui/PngImage.h"
#include "gui/WindowDataLoader.h"

#include <cstring>

namespace gui {

namespace {

bool StartsWith(const std::string& bytes, const char* signature, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

}  // namespace

TBitmap DecodeBmp(const void* data, size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (size < sizeof(file) + sizeof(info)) throw sys::Exception(L"BMP data too short");
    std::memcpy(&file, bytes, sizeof(file));
    std::memcpy(&info, bytes + sizeof(file), sizeof(info));
    const int bytesPerPixel = info.biBitCount / 8;
    if (file.bfType != 0x4D42 || info.biCompression != BI_RGB || (info.biBitCount != 24 && info.biBitCount != 32) ||
        info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == LONG_MIN || info.biWidth > 0x8000) {
        throw sys::Exception(L"BMP data not uncompressed 24 or 32 bits per pixel");
    }
    const int width = info.biWidth;
    const int height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const size_t stride = (static_cast<size_t>(width) * bytesPerPixel + 3) & ~static_cast<size_t>(3);
    if (file.bfOffBits > size || (size - file.bfOffBits) / stride < static_cast<size_t>(height)) {
        throw sys::Exception(L"BMP pixel data truncated");
    }
    TBitmap bitmap(width, height, info.biBitCount == 32 ? pf32bit : pf24bit);
    GdiFlush();
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up unless the height is negative.
        int sourceRow = info.biHeight > 0 ? height - 1 - y : y;
        std::memcpy(bitmap.ScanLine(y), bytes + file.bfOffBits + stride * sourceRow, static_cast<size_t>(width) * bytesPerPixel);
    }
    return bitmap;
}

std::unique_ptr<TGraphic> LoadPictureResource(const std::wstring& name, HMODULE module) {
    std::string bytes;
    if (!ReadRcDataResource(name, bytes, module)) return nullptr;
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) {
        auto png = std::make_unique<TPngImage>();
        png->LoadFromMemory(bytes.data(), bytes.size());
        return png;
    }
    if (StartsWith(bytes, "BM", 2)) return std::make_unique<TBitmap>(DecodeBmp(bytes.data(), bytes.size()));
    throw sys::Exception(L"picture " + name + L" is neither PNG nor BMP data");
}

}  // namespace gui
