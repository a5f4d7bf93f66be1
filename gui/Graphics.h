#pragma once
// Pictures: the TGraphic base, the off-screen TBitmap and TPicture, which holds a graphic of any
// kind. PNG images live in gui/PngImage.h.
#include "gui/Canvas.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Scales the whole graphic into rect of the canvas.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    // The stored picture this one was drawn from, so that it can be drawn again for another
    // display scale; empty for a picture made at run time.
    const std::wstring& SourceName() const { return sourceName_; }
    void SetSourceName(const std::wstring& name) { sourceName_ = name; }
    std::function<void()> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange();
    }

private:
    bool transparent_ = false;
    std::wstring sourceName_;
};

enum TPixelFormat { pf24bit, pf32bit };

// A DIB section with a canvas on its own memory DC. Drawn transparent, the colour of its
// bottom-left pixel is left out.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);

    int Width() const override { return dib_.Width(); }
    int Height() const override { return dib_.Height(); }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }

    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);
    // Keeps the top-left part of the old contents; the rest is black.
    void SetSize(int width, int height);
    TCanvas& Canvas() { return canvas_; }
    HBITMAP Handle() const { return dib_.Bitmap(); }
    std::uint8_t* ScanLine(int y) { return dib_.Row(y); }
    const std::uint8_t* ScanLine(int y) const { return dib_.Row(y); }
    int Stride() const { return dib_.Stride(); }
    // 0x00BBGGRR of the bottom-left pixel; clNone when empty.
    TColor TransparentColor() const;

private:
    void Recreate(int width, int height, TPixelFormat format);
    TPixelFormat format_ = pf24bit;
    DibSection dib_;
    TCanvas canvas_;
};

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture& other) { Assign(other); }
    TPicture& operator=(const TPicture& other) {
        if (this != &other) Assign(other);
        return *this;
    }

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    void Assign(const TPicture& other);
    void Assign(const TGraphic& graphic) { SetGraphic(graphic.Clone()); }
    void Clear() { SetGraphic(nullptr); }
    bool Empty() const { return !graphic_ || graphic_->Empty(); }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    std::unique_ptr<TGraphic> graphic_;
};

// The picture loader's table of picture classes, by upper-case file extension without the dot.
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
// False (and nothing changes) when a class is already registered for the extension.
bool RegisterFileFormat(const std::wstring& extension, const std::wstring& description, TGraphicFactory factory);
void UnregisterFileFormat(const std::wstring& extension);
bool FileFormatRegistered(const std::wstring& extension);

}  // namespace gui
