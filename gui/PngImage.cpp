#include "gui/PngImage.h"

#include "gui/PictureScale.h"

#include "sys/SysUtils.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <utility>

namespace gui {

namespace {

// libpng reports errors by longjmp; all state that must survive one lives behind this pointer
// so no local is left indeterminate, and no C++ exception ever unwinds through libpng's C frames.
struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* input = nullptr;
    size_t inputSize = 0;
    size_t inputPos = 0;
    std::string error;
    int width = 0, height = 0, colorType = 0;
    bool transparency = false;  // a tRNS chunk: colour-keyed or palette alpha
    std::vector<std::uint8_t> rgba;  // decoded rows: one at a time, all of an interlaced image
    std::vector<png_bytep> rows;
    std::vector<std::uint8_t> colour, alpha;  // the planes the image takes over
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    job->error = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromJob(png_structp png, png_bytep data, png_size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->inputSize - job->inputPos < length) png_error(png, "PNG data ends early");
    std::memcpy(data, job->input + job->inputPos, length);
    job->inputPos += length;
}

// Splits decoded RGBA row y into the colour plane and, when there is one, the alpha plane.
void StoreRow(PngJob* job, const std::uint8_t* rgba, int y) {
    const size_t first = static_cast<size_t>(y) * job->width;
    for (int x = 0; x < job->width; ++x) {
        std::memcpy(&job->colour[(first + x) * 3], rgba + x * 4, 3);
        if (!job->alpha.empty()) job->alpha[first + x] = rgba[x * 4 + 3];
    }
}

bool DecodeRgba(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_set_read_fn(job->png, job, ReadFromJob);
    png_read_info(job->png, job->info);
    png_uint_32 width = png_get_image_width(job->png, job->info);
    png_uint_32 height = png_get_image_height(job->png, job->info);
    if (width == 0 || height == 0 || width > 16384 || height > 16384) png_error(job->png, "PNG size out of range");
    job->width = static_cast<int>(width);
    job->height = static_cast<int>(height);
    job->colorType = png_get_color_type(job->png, job->info);
    job->transparency = png_get_valid(job->png, job->info, PNG_INFO_tRNS) != 0;
    png_set_expand(job->png);
    png_set_strip_16(job->png);
    png_set_gray_to_rgb(job->png);
    png_set_add_alpha(job->png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    const size_t pixels = static_cast<size_t>(width) * height;
    const bool withAlpha = job->colorType == kPngRgba || job->colorType == kPngGrayAlpha ||
                           job->colorType == kPngPalette || job->transparency;
    job->colour.resize(pixels * 3);
    job->alpha.assign(withAlpha ? pixels : 0, 0);
    // Each pass of an interlaced image revisits every row, so only such an image is decoded whole.
    if (passes > 1) {
        job->rgba.resize(pixels * 4);
        job->rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->rgba.data() + static_cast<size_t>(y) * width * 4;
        png_read_image(job->png, job->rows.data());
        for (png_uint_32 y = 0; y < height; ++y) StoreRow(job, job->rows[y], static_cast<int>(y));
    } else {
        job->rgba.resize(static_cast<size_t>(width) * 4);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(job->png, job->rgba.data(), nullptr);
            StoreRow(job, job->rgba.data(), static_cast<int>(y));
        }
    }
    png_read_end(job->png, nullptr);
    return true;
}

}  // namespace

void TPngImage::LoadFromMemory(const void* data, size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size < 8 || png_sig_cmp(bytes, 0, 8) != 0) throw EPngError(L"Not a PNG file");
    PngJob job;
    job.input = bytes;
    job.inputSize = size;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnPngError, OnPngWarning);
    job.info = job.png ? png_create_info_struct(job.png) : nullptr;
    bool ok = job.info && DecodeRgba(&job);
    png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
    if (!ok) throw EPngError(L"PNG decoding failed: " + sys::FromGbk(job.error));

    width_ = job.width;
    height_ = job.height;
    colorType_ = job.colorType;
    colour_ = std::move(job.colour);
    alpha_ = std::move(job.alpha);
    Changed();
}

void TPngImage::Assign(const TPngImage& other) {
    if (this == &other) return;
    width_ = other.width_;
    height_ = other.height_;
    colorType_ = other.colorType_;
    colour_ = other.colour_;
    alpha_ = other.alpha_;
    SetSourceName(other.SourceName());
    Changed();
}

void TPngImage::AddAlpha() {
    if (HasAlpha() || Empty()) return;
    alpha_.assign(static_cast<size_t>(width_) * height_, 0xFF);
    if (colorType_ == kPngRgb) colorType_ = kPngRgba;
    if (colorType_ == kPngGray) colorType_ = kPngGrayAlpha;
}

void TPngImage::CreateBlank(int width, int height, bool withAlpha) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    colorType_ = withAlpha ? kPngRgba : kPngRgb;
    colour_.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    alpha_.assign(withAlpha ? static_cast<size_t>(width_) * height_ : 0, 0);
    Changed();
}

void TPngImage::Clear() {
    width_ = height_ = 0;
    colorType_ = kPngRgba;
    colour_.clear();
    alpha_.clear();
    Changed();
}

TBitmap TPngImage::ToBitmap() const {
    TBitmap bitmap(width_, height_, pf24bit);
    GdiFlush();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* src = Row(y);
        std::uint8_t* dst = bitmap.ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            dst[x * 3 + 0] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3 + 0];
        }
    }
    return bitmap;
}

// Blends the image, at its own size, over target's pixels; x and y count from its corner.
template <class PixelAt>
void TPngImage::BlendInto(const RECT& pixels, PixelAt&& target) const {
    for (int y = pixels.top; y < pixels.bottom; ++y) {
        const std::uint8_t* src = Row(y);
        const std::uint8_t* alpha = AlphaRow(y);
        for (int x = pixels.left; x < pixels.right; ++x) {
            const int a = alpha ? alpha[x] : 255;
            if (a == 0) continue;  // the blend gives the background back exactly
            std::uint8_t* d = target(x, y);
            const std::uint8_t* s = src + x * 3;
            if (a == 255) {  // and the source exactly
                d[0] = s[2], d[1] = s[1], d[2] = s[0];
                continue;
            }
            d[0] = BlendChannel(s[2], d[0], a);
            d[1] = BlendChannel(s[1], d[1], a);
            d[2] = BlendChannel(s[0], d[2], a);
        }
    }
}

void TPngImage::Draw(TCanvas& canvas, const RECT& rect) {
    HDC dc = canvas.Handle();
    const int w = RectWidth(rect), h = RectHeight(rect);
    if (!dc || Empty() || w <= 0 || h <= 0) return;
    if (w != width_ || h != height_) {
        ResamplePng(*this, w, h, TResampleRule::NearestTruncated).Draw(canvas, rect);
        return;
    }
    // The blend needs what the canvas holds beneath. A canvas on a 32-bit DIB (every double
    // buffer) is blended in place; any other is read into a copy, blended and written back.
    DirectDibArea direct;
    if (OpenDirectDibArea(dc, rect, direct)) {
        const int dx = direct.origin.x + rect.left, dy = direct.origin.y + rect.top;
        RECT pixels = direct.device;
        OffsetRect(&pixels, -dx, -dy);
        BlendInto(pixels, [&](int x, int y) { return direct.Pixel(x + dx, y + dy); });
        return;
    }
    DibSection area(w, h, 32);
    if (!area.Valid()) return;
    BitBlt(area.Dc(), 0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    BlendInto(RECT{0, 0, w, h}, [&](int x, int y) { return area.Row(y) + x * 4; });
    BitBlt(dc, rect.left, rect.top, w, h, area.Dc(), 0, 0, SRCCOPY);
}

namespace {

void WritePngRegistrationLine(const char* action) {
    std::string module = sys::ToGbk(sys::ExtractFileName(sys::ExeFileName()));
    std::string line = "[" + module + "][xppngimage]:" + action + " TPNGObject";
    OutputDebugStringA(line.c_str());
}

bool g_pngRegistered = false;

}  // namespace

void RegisterPngFormat() {
    if (g_pngRegistered || FileFormatRegistered(L"PNG")) return;
    RegisterFileFormat(L"PNG", L"Portable Network Graphics", [] { return std::make_unique<TPngImage>(); });
    g_pngRegistered = true;
    WritePngRegistrationLine("Register");
}

void UnregisterPngFormat() {
    if (!g_pngRegistered) return;
    UnregisterFileFormat(L"PNG");
    g_pngRegistered = false;
    WritePngRegistrationLine("Unregister");
}

}  // namespace gui
