#pragma once
// Owners and borrowed handles for GDI objects. An owner deletes its handle; a borrowed handle
// never does, so the type says who cleans up. Owners are move-only: a copy would delete twice.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace gui {

// Deletes a GDI object (bitmap, font, pen, brush, region) when it goes.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.Detach()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    H Detach() { return std::exchange(handle_, nullptr); }
    void Reset(H handle = nullptr) {
        if (handle_ && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

using BitmapOwner = GdiObject<HBITMAP>;
using FontOwner = GdiObject<HFONT>;
using PenOwner = GdiObject<HPEN>;
using BrushOwner = GdiObject<HBRUSH>;
using RegionOwner = GdiObject<HRGN>;

// A device context used but not owned (a paint DC handed in, a DC of someone else's bitmap).
struct DcHandle {
    HDC dc = nullptr;
    DcHandle() = default;
    explicit DcHandle(HDC h) : dc(h) {}
    HDC Get() const { return dc; }
};

// A memory DC made with CreateCompatibleDC; deleted with DeleteDC.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith);  // nullptr: compatible with the screen
    ~MemoryDc();
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_ = nullptr;
};

// A DC from GetDC / GetWindowDC, released with ReleaseDC on the same window.
class WindowDc {
public:
    explicit WindowDc(HWND window, bool wholeWindow = false);
    ~WindowDc();
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window);
    ~PaintDc();
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const { return ps_.hdc; }
    const RECT& PaintRect() const { return ps_.rcPaint; }
    bool Erase() const { return ps_.fErase != FALSE; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
};

// Selects an object into a DC and puts the previous one back when it goes. It keeps the DC, so
// it can restore; a selector that forgets the DC leaves the object selected for good.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC / RestoreDC around clip and viewport changes.
class DcStateScope {
public:
    explicit DcStateScope(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~DcStateScope() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    DcStateScope(const DcStateScope&) = delete;
    DcStateScope& operator=(const DcStateScope&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A top-down DIB section of 24 or 32 bits per pixel with its own memory DC, for drawing off
// screen and reading pixels back. Rows are DWORD-aligned; Row(y) points at row y.
class DibSection {
public:
    DibSection() = default;
    DibSection(int width, int height, int bitsPerPixel);
    DibSection(DibSection&& other) noexcept { *this = std::move(other); }
    DibSection& operator=(DibSection&&) noexcept;
    ~DibSection();

    bool Valid() const { return static_cast<bool>(bitmap_); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bits_; }
    int Stride() const { return stride_; }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    std::uint8_t* Row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    const std::uint8_t* Row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    // 0x00BBGGRR of one pixel; GdiFlush first so that pending drawing has landed.
    COLORREF PixelAt(int x, int y) const;
    void SetPixelAt(int x, int y, COLORREF c);

private:
    void Release();
    int width_ = 0, height_ = 0, bits_ = 0, stride_ = 0;
    std::uint8_t* pixels_ = nullptr;
    MemoryDc dc_;
    BitmapOwner bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// The 32-bit DibSection selected into a DC, opened for writing in place: the device pixels
// that a logical rectangle covers there, within the DC's clip. Found only for a DC that maps
// logical to device coordinates by a shift alone and clips to one rectangle (or not at all).
struct DirectDibArea {
    std::uint8_t* bits = nullptr;  // device row 0
    std::ptrdiff_t stride = 0;
    POINT origin{};                // the device point of logical 0, 0
    RECT device{};                 // the writable pixels of the rectangle, in device coordinates
    std::uint8_t* Pixel(int x, int y) const { return bits + y * stride + x * 4; }
};
// False when the DC offers no such area; GDI drawing still pending has landed when it is true.
bool OpenDirectDibArea(HDC dc, const RECT& logical, DirectDibArea& area);

// Double buffer for one paint: a memory DC the size of the paint rectangle with the viewport
// shifted, so callers draw in the target's coordinates; blitted once when it goes.
class DoubleBuffer {
public:
    DoubleBuffer(HDC target, const RECT& area);
    ~DoubleBuffer();
    DoubleBuffer(const DoubleBuffer&) = delete;
    DoubleBuffer& operator=(const DoubleBuffer&) = delete;
    // The DC to draw into; the target itself when the buffer could not be made.
    HDC Get() const { return buffer_.Valid() ? buffer_.Dc() : target_; }

private:
    HDC target_;
    RECT area_;
    DibSection buffer_;
};

}  // namespace gui
