#pragma once
// Pictures drawn for a display scale. Each stored picture NAME has its ×1 drawing and, as
// NAME_2X, the same drawing at twice the size. 96 DPI takes the ×1 as it is, 192 DPI the ×2;
// any other scale reduces the ×2 (or, lacking it, enlarges the ×1) once, by area averaging, to
// the picture's 96 DPI size taken through ScaleDpi.
#include "gui/PngImage.h"

#include <memory>
#include <string>

namespace gui {

// The source resampled to width × height: each target pixel the alpha-weighted mean of the
// source area it covers.
TPngImage ResamplePng(const TPngImage& source, int width, int height);

// The stored picture name drawn for dpi; nullptr when the module has no such picture.
std::unique_ptr<TGraphic> LoadPictureForDpi(const std::wstring& name, int dpi, HMODULE module = nullptr);

// A picture loaded from stored data, drawn again for dpi; one made at run time stays as it is.
void RescalePicture(TPicture& picture, int dpi);
void RescalePng(TPngImage& image, int dpi);

}  // namespace gui
