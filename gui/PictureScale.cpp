#include "gui/PictureScale.h"

#include "gui/Dpi.h"
#include "gui/WindowDataPictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace gui {

namespace {

struct Tap {
    int Index;
    float Weight;
};

// For each target pixel along one axis, the source pixels it covers and their shares (summing to 1).
std::vector<std::vector<Tap>> Coverage(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double a = i * step, b = (i + 1) * step;
        for (int s = static_cast<int>(std::floor(a)); s < std::min<int>(from, static_cast<int>(std::ceil(b))); ++s) {
            const double share = std::min(b, s + 1.0) - std::max(a, static_cast<double>(s));
            if (share > 0) taps[static_cast<size_t>(i)].push_back({s, static_cast<float>(share / step)});
        }
    }
    return taps;
}

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::min(255.0f, std::max(0.0f, v + 0.5f))); }

// The area mean of sourceRect into the pixels of destRect that lie within `within`.
void AreaMean(const TPngImage& source, const RECT& sourceRect, TPngImage& dest, const RECT& destRect,
              const RECT& within) {
    const int dw = RectWidth(destRect), dh = RectHeight(destRect);
    const int sw = RectWidth(sourceRect), sh = RectHeight(sourceRect);
    const auto across = Coverage(sw, dw), down = Coverage(sh, dh);
    // Premultiplied, so that a transparent pixel's colour does not bleed into its neighbours.
    std::vector<float> rows(static_cast<size_t>(dw) * sh * 4, 0.0f);
    for (int y = 0; y < sh; ++y) {
        const std::uint8_t* src = source.Row(sourceRect.top + y) + sourceRect.left * 3;
        const std::uint8_t* alpha = source.AlphaRow(sourceRect.top + y);
        if (alpha) alpha += sourceRect.left;
        float* out = rows.data() + static_cast<size_t>(y) * dw * 4;
        for (int x = 0; x < dw; ++x, out += 4) {
            for (const Tap& t : across[static_cast<size_t>(x)]) {
                const float a = (alpha ? alpha[t.Index] : 255) * t.Weight;
                for (int c = 0; c < 3; ++c) out[c] += src[t.Index * 3 + c] * a;
                out[3] += a;
            }
        }
    }
    for (int y = within.top; y < within.bottom; ++y) {
        std::uint8_t* dst = dest.Row(y);
        std::uint8_t* dstAlpha = dest.AlphaRow(y);
        for (int x = within.left; x < within.right; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (const Tap& t : down[static_cast<size_t>(y - destRect.top)]) {
                const float* in = rows.data() + (static_cast<size_t>(t.Index) * dw + (x - destRect.left)) * 4;
                for (int c = 0; c < 4; ++c) sum[c] += in[c] * t.Weight;
            }
            for (int c = 0; c < 3; ++c) dst[x * 3 + c] = sum[3] > 0 ? ToByte(sum[c] / sum[3]) : 0;
            if (dstAlpha) dstAlpha[x] = ToByte(sum[3]);
        }
    }
}

}  // namespace

void ResampleRect(const TPngImage& source, const RECT& sourceRect, TPngImage& dest, const RECT& destRect,
                  TResampleRule rule) {
    const int dw = RectWidth(destRect), dh = RectHeight(destRect);
    const int sw = RectWidth(sourceRect), sh = RectHeight(sourceRect);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || source.Empty()) return;
    const int top = std::max<int>(destRect.top, 0), bottom = std::min<int>(destRect.bottom, dest.Height());
    const int left = std::max<int>(destRect.left, 0), right = std::min<int>(destRect.right, dest.Width());
    if (rule == TResampleRule::AreaMean) {
        AreaMean(source, sourceRect, dest, destRect, RECT{left, top, right, bottom});
        return;
    }
    const auto nearest = [rule](int offset, int from, int to) {
        if (rule == TResampleRule::NearestTruncated) return static_cast<int>(static_cast<long long>(offset) * from / to);
        return static_cast<int>(std::nearbyint(static_cast<double>(offset) * from / to));
    };
    for (int y = top; y < bottom; ++y) {
        const int sy = sourceRect.top + nearest(y - destRect.top, sh, dh);
        if (sy < 0 || sy >= source.Height()) continue;
        const std::uint8_t* src = source.Row(sy);
        const std::uint8_t* srcAlpha = source.AlphaRow(sy);
        std::uint8_t* dst = dest.Row(y);
        std::uint8_t* dstAlpha = dest.AlphaRow(y);
        for (int x = left; x < right; ++x) {
            const int sx = sourceRect.left + nearest(x - destRect.left, sw, dw);
            if (sx < 0 || sx >= source.Width()) continue;
            std::memcpy(dst + x * 3, src + sx * 3, 3);
            if (dstAlpha) dstAlpha[x] = srcAlpha ? srcAlpha[sx] : 255;
        }
    }
}

TPngImage ResamplePng(const TPngImage& source, int width, int height, TResampleRule rule) {
    TPngImage target;
    target.CreateBlank(width, height, source.HasAlpha());
    ResampleRect(source, RECT{0, 0, source.Width(), source.Height()}, target, RECT{0, 0, width, height}, rule);
    return target;
}

std::unique_ptr<TGraphic> LoadPictureForDpi(const std::wstring& name, int dpi, HMODULE module) {
    std::unique_ptr<TGraphic> picture;
    if (dpi != kDesignDpi) picture = LoadPictureResource(name + L"_2X", module);
    const int drawnAt = picture ? 2 * kDesignDpi : kDesignDpi;
    if (!picture) picture = LoadPictureResource(name, module);
    if (!picture) return nullptr;
    auto* png = dynamic_cast<TPngImage*>(picture.get());
    if (png && dpi != drawnAt) {
        const int width = ScaleDpi(png->Width(), dpi, drawnAt), height = ScaleDpi(png->Height(), dpi, drawnAt);
        picture = std::make_unique<TPngImage>(ResamplePng(*png, width, height));
    }
    picture->SetSourceName(name);
    return picture;
}

void RescalePicture(TPicture& picture, int dpi) {
    TGraphic* old = picture.Graphic();
    if (!old || old->SourceName().empty()) return;
    std::unique_ptr<TGraphic> redrawn = LoadPictureForDpi(old->SourceName(), dpi);
    if (!redrawn) return;
    // A picture held as a bitmap for its colour key stays one.
    auto* png = dynamic_cast<TPngImage*>(redrawn.get());
    if (png && dynamic_cast<TBitmap*>(old)) {
        auto bitmap = std::make_unique<TBitmap>(png->ToBitmap());
        bitmap->SetSourceName(old->SourceName());
        redrawn = std::move(bitmap);
    }
    redrawn->SetTransparent(old->Transparent());
    picture.SetGraphic(std::move(redrawn));
}

void RescalePng(TPngImage& image, int dpi) {
    if (image.SourceName().empty()) return;
    std::unique_ptr<TGraphic> redrawn = LoadPictureForDpi(image.SourceName(), dpi);
    if (auto* png = dynamic_cast<TPngImage*>(redrawn.get())) image.Assign(*png);
}

}  // namespace gui
