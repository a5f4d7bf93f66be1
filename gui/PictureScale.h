#pragma once
// Pictures drawn for a display scale. Each stored picture NAME has its ×1 drawing and, as
// NAME_2X, the same drawing at twice the size. 96 DPI takes the ×1 as it is, 192 DPI the ×2;
// any other scale reduces the ×2 (or, lacking it, enlarges the ×1) once, by area averaging, to
// the picture's 96 DPI size taken through ScaleDpi.
#include "gui/PngImage.h"

#include <memory>
#include <string>

namespace gui {

// How a resampled pixel is taken from the source. AreaMean: the alpha-weighted mean of the
// source area it covers (premultiplied, so a transparent pixel's colour does not bleed).
// NearestTruncated: destination offset d takes source offset trunc(d × source size ÷
// destination size); NearestHalfEven: the same quotient rounded to the nearest, ties to even.
enum class TResampleRule { AreaMean, NearestTruncated, NearestHalfEven };

// sourceRect of source resampled into destRect of dest, per axis. Only destination pixels
// inside dest are written, and by the nearest rules only those whose source pixel lies inside
// source; alpha is written when dest has it (255 from a source without). For AreaMean
// sourceRect lies within source.
void ResampleRect(const TPngImage& source, const RECT& sourceRect, TPngImage& dest, const RECT& destRect,
                  TResampleRule rule);
// The whole source resampled into a new width × height image, with alpha when the source has it.
TPngImage ResamplePng(const TPngImage& source, int width, int height, TResampleRule rule = TResampleRule::AreaMean);

// The stored picture name drawn for dpi; nullptr when the module has no such picture.
std::unique_ptr<TGraphic> LoadPictureForDpi(const std::wstring& name, int dpi, HMODULE module = nullptr);

// A picture loaded from stored data, drawn again for dpi; one made at run time stays as it is.
void RescalePicture(TPicture& picture, int dpi);
void RescalePng(TPngImage& image, int dpi);

}  // namespace gui
