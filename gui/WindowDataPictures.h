#pragma once
// Pictures that stored window data names: RCDATA resources under the upper-case file stem
// (BANNER for banner.png), holding a PNG or a BMP file as it is.
#include "gui/Graphics.h"

#include <memory>
#include <string>

namespace gui {

// nullptr when the module has no RCDATA resource of that name; raises sys::Exception when the
// bytes are neither a PNG nor an uncompressed 24- or 32-bit BMP.
std::unique_ptr<TGraphic> LoadPictureResource(const std::wstring& name, HMODULE module = nullptr);

// A BMP file's bytes (BITMAPFILEHEADER onwards), uncompressed 24 or 32 bits per pixel.
TBitmap DecodeBmp(const void* data, size_t size);

}  // namespace gui
