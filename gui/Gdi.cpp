#include "gui/Gdi.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace gui {

MemoryDc::MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}

MemoryDc::~MemoryDc() {
    if (dc_) DeleteDC(dc_);
}

MemoryDc& MemoryDc::operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
        if (dc_) DeleteDC(dc_);
        dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
}

WindowDc::WindowDc(HWND window, bool wholeWindow)
    : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}

WindowDc::~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
}

PaintDc::PaintDc(HWND window) : window_(window) { BeginPaint(window, &ps_); }

PaintDc::~PaintDc() { EndPaint(window_, &ps_); }

namespace {

// Our 32-bit sections, all top-down: a section's orientation cannot be read back from GDI,
// which reports every height as positive, so only these are ever written in place.
std::mutex g_topDownLock;
std::vector<HBITMAP> g_topDown32;

void NoteTopDown32(HBITMAP bitmap, bool live) {
    const std::lock_guard<std::mutex> lock(g_topDownLock);
    if (live) {
        g_topDown32.push_back(bitmap);
    } else {
        g_topDown32.erase(std::remove(g_topDown32.begin(), g_topDown32.end(), bitmap), g_topDown32.end());
    }
}

bool IsTopDown32(HGDIOBJ bitmap) {
    const std::lock_guard<std::mutex> lock(g_topDownLock);
    return std::find(g_topDown32.begin(), g_topDown32.end(), bitmap) != g_topDown32.end();
}

}  // namespace

DibSection::DibSection(int width, int height, int bitsPerPixel)
    : width_(width), height_(height), bits_(bitsPerPixel == 32 ? 32 : 24), dc_(nullptr) {
    if (width_ <= 0 || height_ <= 0 || !dc_) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits_);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return;
    pixels_ = static_cast<std::uint8_t*>(bits);
    stride_ = ((width_ * bits_ + 31) / 32) * 4;
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
    if (bits_ == 32) NoteTopDown32(bitmap_.Get(), true);
}

DibSection& DibSection::operator=(DibSection&& other) noexcept {
    if (this != &other) {
        Release();
        width_ = other.width_;
        height_ = other.height_;
        bits_ = other.bits_;
        stride_ = other.stride_;
        pixels_ = std::exchange(other.pixels_, nullptr);
        dc_ = std::move(other.dc_);
        bitmap_ = std::move(other.bitmap_);
        previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
}

DibSection::~DibSection() { Release(); }

void DibSection::Release() {
    // The bitmap must leave the DC before either is deleted.
    if (dc_ && previous_) SelectObject(dc_.Get(), previous_);
    previous_ = nullptr;
    if (bitmap_ && bits_ == 32) NoteTopDown32(bitmap_.Get(), false);
    bitmap_.Reset();
    dc_ = MemoryDc();
    pixels_ = nullptr;
}

COLORREF DibSection::PixelAt(int x, int y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    const std::uint8_t* p = Row(y) + x * (bits_ / 8);
    return RGB(p[2], p[1], p[0]);
}

void DibSection::SetPixelAt(int x, int y, COLORREF c) {
    if (!pixels_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    GdiFlush();
    std::uint8_t* p = Row(y) + x * (bits_ / 8);
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
    if (bits_ == 32) p[3] = 0xFF;
}

bool OpenDirectDibArea(HDC dc, const RECT& logical, DirectDibArea& area) {
    DIBSECTION dib{};
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bitmap || !IsTopDown32(bitmap) || GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib)) return false;
    if (!dib.dsBm.bmBits || GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE) return false;
    RECT clip{};
    const int clipKind = GetClipBox(dc, &clip);
    if (clipKind == COMPLEXREGION || clipKind == ERROR) return false;
    RECT wanted{};
    if (clipKind == NULLREGION || !IntersectRect(&wanted, &logical, &clip)) wanted = RECT{};
    POINT origin{0, 0};
    LPtoDP(dc, &origin, 1);
    OffsetRect(&wanted, origin.x, origin.y);
    const RECT bounds{0, 0, dib.dsBm.bmWidth, dib.dsBm.bmHeight};
    if (!IntersectRect(&area.device, &wanted, &bounds)) area.device = RECT{};
    area.bits = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
    area.stride = dib.dsBm.bmWidthBytes;
    area.origin = origin;
    GdiFlush();
    return true;
}

DoubleBuffer::DoubleBuffer(HDC target, const RECT& area)
    : target_(target), area_(area), buffer_(area.right - area.left, area.bottom - area.top, 32) {
    if (!buffer_.Valid()) return;
    SetViewportOrgEx(buffer_.Dc(), -area_.left, -area_.top, nullptr);
}

DoubleBuffer::~DoubleBuffer() {
    if (!buffer_.Valid()) return;
    SetViewportOrgEx(buffer_.Dc(), 0, 0, nullptr);
    BitBlt(target_, area_.left, area_.top, buffer_.Width(), buffer_.Height(), buffer_.Dc(), 0, 0, SRCCOPY);
}

}  // namespace gui
