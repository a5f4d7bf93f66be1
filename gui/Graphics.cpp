#include "gui/Graphics.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>

namespace gui {

namespace {

struct FileFormat {
    std::wstring description;
    TGraphicFactory factory;
};

std::map<std::wstring, FileFormat>& FileFormats() {
    static std::map<std::wstring, FileFormat> formats;
    return formats;
}

std::wstring UpperExtension(const std::wstring& text) {
    std::wstring ext = text;
    size_t dot = ext.find_last_of(L'.');
    if (dot != std::wstring::npos) ext = ext.substr(dot + 1);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towupper(c));
    return ext;
}

}  // namespace

bool RegisterFileFormat(const std::wstring& extension, const std::wstring& description, TGraphicFactory factory) {
    return FileFormats().emplace(UpperExtension(extension), FileFormat{description, std::move(factory)}).second;
}

void UnregisterFileFormat(const std::wstring& extension) { FileFormats().erase(UpperExtension(extension)); }

bool FileFormatRegistered(const std::wstring& extension) {
    return FileFormats().count(UpperExtension(extension)) != 0;
}

void TGraphic::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    Changed();
}

TBitmap::TBitmap(int width, int height, TPixelFormat format) { Recreate(width, height, format); }

TBitmap::TBitmap(const TBitmap& other) : TGraphic() { *this = other; }

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other) return *this;
    Recreate(other.Width(), other.Height(), other.format_);
    if (dib_.Valid() && other.dib_.Valid()) {
        GdiFlush();
        std::memcpy(dib_.Row(0), other.dib_.Row(0), static_cast<size_t>(dib_.Stride()) * dib_.Height());
    }
    SetTransparent(other.Transparent());
    Changed();
    return *this;
}

void TBitmap::Recreate(int width, int height, TPixelFormat format) {
    DibSection fresh(width, height, format == pf32bit ? 32 : 24);
    if (fresh.Valid()) {
        std::memset(fresh.Row(0), 0, static_cast<size_t>(fresh.Stride()) * fresh.Height());
        if (dib_.Valid()) {
            GdiFlush();
            BitBlt(fresh.Dc(), 0, 0, std::min(width, dib_.Width()), std::min(height, dib_.Height()), dib_.Dc(), 0, 0, SRCCOPY);
        }
    }
    format_ = format;
    dib_ = std::move(fresh);
    canvas_.SetHandle(dib_.Dc());
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    Recreate(Width(), Height(), format);
    Changed();
}

void TBitmap::SetSize(int width, int height) {
    if (width == Width() && height == Height() && dib_.Valid() == (width > 0 && height > 0)) return;
    Recreate(width, height, format_);
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (Empty()) return clNone;
    return static_cast<TColor>(dib_.PixelAt(0, Height() - 1));
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) {
    HDC dc = canvas.Handle();
    if (!dc || Empty()) return;
    GdiFlush();
    if (Transparent()) {
        TransparentBlt(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect), dib_.Dc(), 0, 0, Width(), Height(),
                       TransparentColor());
        return;
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect), dib_.Dc(), 0, 0, Width(), Height(),
               canvas.CopyMode);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->OnChange = [this] { Changed(); };
    Changed();
}

void TPicture::Assign(const TPicture& other) {
    SetGraphic(other.graphic_ ? other.graphic_->Clone() : nullptr);
}

}  // namespace gui
