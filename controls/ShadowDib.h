#pragma once
// A 32-bit top-down DIB section selected into its own memory DC: the shadow picture and the form
// snapshot. GDI can draw into it and the pixel routines can read and write its bits directly.
#include <windows.h>

#include "controls/ShadowBitmap.h"

namespace shadow {

class TShadowDib {
public:
    TShadowDib() = default;
    TShadowDib(int width, int height);  // raises sys::Exception when GDI refuses
    ~TShadowDib();
    TShadowDib(TShadowDib&& other) noexcept;
    TShadowDib& operator=(TShadowDib&& other) noexcept;
    TShadowDib(const TShadowDib&) = delete;
    TShadowDib& operator=(const TShadowDib&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return dc_ == nullptr; }
    HDC DC() const { return dc_; }

    // Flushes pending GDI drawing first, so the bits are current.
    TPixelView View() const;

private:
    void Release() noexcept;

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace shadow
