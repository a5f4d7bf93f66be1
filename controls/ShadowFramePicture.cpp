#include "controls/f_ShadowFrame.h"

#include "controls/ShadowFrameSupport.h"
#include "gui/Canvas.h"
#include "gui/Dpi.h"
#include "sys/SysUtils.h"

namespace {

// A copy of region moved by offset on both axes; raises sys::Exception when GDI refuses.
gui::RegionOwner ShiftedRegion(HRGN region, int offset) {
    gui::RegionOwner shifted(CreateRectRgn(0, 0, 0, 0));
    if (!shifted || CombineRgn(shifted.Get(), region, nullptr, RGN_COPY) == ERROR)
        throw sys::Exception(L"TFormShadow: CombineRgn: " + sys::SysErrorMessage(GetLastError()));
    OffsetRgn(shifted.Get(), offset, offset);
    return shifted;
}

}  // namespace

// --- building the picture ------------------------------------------------------------------------

void TFormShadow::_BuildForFormShape(int width, int height) {
    if (!FRegion) FRegion.Reset(CreateRectRgn(0, 0, 1, 1));
    const int type = FRegion ? GetWindowRgn(FForm, FRegion.Get()) : ERROR;
    if (type == COMPLEXREGION)
        _BuildRegionShadow();
    else
        _BuildRectangleShadow(width, height);
}

bool TFormShadow::_CanBuild() const {
    return FActive && FForm && IsWindow(FForm) && !(GetWindowLongPtrW(FForm, GWL_STYLE) & WS_CHILD);
}

// A new picture starts transparent inside; forgetting the captured size makes the next capture
// fill it.
bool TFormShadow::_EnsurePictureSize(int width, int height) {
    if (FPicture.Width() == width && FPicture.Height() == height) return false;
    FCaptured = SIZE{0, 0};
    FPicture = gui::DibSection(width, height, 32);
    if (width > 0 && height > 0 && !FPicture.Valid()) {
        const DWORD error = GetLastError();
        FPicture = gui::DibSection();
        throw sys::Exception(L"CreateDIBSection: " + sys::SysErrorMessage(error));
    }
    return true;
}

bool TFormShadow::_KeyColorChanged() {
    const COLORREF key = shadow::FormKeyColor(FForm);
    if (key == CLR_INVALID || key == FSavedKeyColor) return false;
    FSavedKeyColor = key;
    return true;
}

void TFormShadow::_FollowFormDpi() {
    const int dpi = gui::WindowDpi(FForm);
    if (dpi == FTemplateDpi) return;
    FTemplateDpi = dpi;
    FGeometry = shadow::TShadowGeometry::ForDpi(dpi);
    FTemplate = gui::DibSection();
    FRebuild = true;
}

void TFormShadow::_BuildRectangleShadow(int width, int height) {
    _FollowFormDpi();
    if (FTemplate.Width() == 0) {
        FTemplate = shadow::MakeShadowTemplate(gui::ScaleDpi(FBlurPasses, FTemplateDpi), gui::ColorToRGB(FColor), FGeometry);
        FRebuild = true;
    }
    if (!_CanBuild()) return;
    const int grow = 2 * FGeometry.Margin;
    if (_EnsurePictureSize(width + grow, height + grow) || FRegionMode || _KeyColorChanged()) FRebuild = true;
    if (!FRebuild) return;
    FRegionMode = false;
    FRebuild = false;
    FLastWidth = width;
    FLastHeight = height;
    shadow::ComposeRectangleShadow(shadow::PixelsOf(FPicture), FTemplate, FGeometry);
    _UpdateLayered();
}

// Shadow of the region's own outline; the pixels inside the region stay transparent until the
// snapshot fills them, since the form covers exactly those.
void TFormShadow::_BuildRegionShadow() {
    if (!_CanBuild() || !FRegion) return;
    _FollowFormDpi();
    const RECT r = _FormRect();
    _EnsurePictureSize(gui::RectWidth(r) + 2 * FGeometry.Margin, gui::RectHeight(r) + 2 * FGeometry.Margin);
    const shadow::TPixelView pixels = shadow::PixelsOf(FPicture);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) pixels.At(x, y) = 0;
    const gui::RegionOwner shifted = ShiftedRegion(FRegion.Get(), FGeometry.Margin);
    FillRgn(FPicture.Dc(), shifted.Get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FRegionMask = shadow::MaskOfWhite(shadow::PixelsOf(FPicture));
    _Blur(shadow::PixelsOf(FPicture), gui::ScaleDpi(FBlurPasses, FTemplateDpi));
    shadow::FinishRegionShadow(pixels, FRegionMask, gui::ColorToRGB(FColor));
    FRegionMode = true;
    FRebuild = false;
    FLastWidth = gui::RectWidth(r);
    FLastHeight = gui::RectHeight(r);
    FCaptured = SIZE{0, 0};
    _UpdateLayered();
}

void TFormShadow::_Blur(shadow::TPixelView pixels, int passes) { shadow::BlurPixels(pixels, passes); }

void TFormShadow::_PaintFormImage(HDC target, int width, int height) {
    const gui::WindowDc source(FForm);
    if (!source.Get()) return;
    BitBlt(target, 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
}

// The form's image goes straight into the picture's interior (within the form's region, when it
// has one) and is made opaque there: the picture is the only copy of the form the shadow keeps.
void TFormShadow::_CaptureForm() {
    if (!FForm || !IsWindow(FForm) || !FPicture.Valid()) return;
    const RECT r = _FormRect();
    const SIZE form{gui::RectWidth(r), gui::RectHeight(r)};
    if (FCaptured.cx == form.cx && FCaptured.cy == form.cy) return;
    FCaptured = form;
    const shadow::TPixelView picture = shadow::PixelsOf(FPicture);
    const int margin = FGeometry.Margin;
    if (shadow::SnapshotFits(picture, form.cx, form.cy, FGeometry)) {
        {
            const gui::DcStateScope state(FPicture.Dc());
            if (FRegionMode) {
                const gui::RegionOwner clip = ShiftedRegion(FRegion.Get(), margin);
                SelectClipRgn(FPicture.Dc(), clip.Get());
            }
            SetViewportOrgEx(FPicture.Dc(), margin, margin, nullptr);
            _PaintFormImage(FPicture.Dc(), form.cx, form.cy);
        }
        const shadow::TPixelView image{&picture.At(margin, margin), form.cx, form.cy, picture.stride};
        shadow::CopySnapshotOpaque(shadow::PixelsOf(FPicture), image, FRegionMode ? &FRegionMask : nullptr, FGeometry);
    }
    _UpdateLayered();
}

BYTE TFormShadow::_ConstantAlpha() const {
    if (!FForm || shadow::FormKeyColor(FForm) == CLR_INVALID) return 255;
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    GetLayeredWindowAttributes(FForm, &key, &alpha, &flags);
    return (flags & LWA_ALPHA) ? alpha : 255;
}

void TFormShadow::_UpdateLayered() {
    if (!FPicture.Valid()) return;
    FBlend.SourceConstantAlpha = _ConstantAlpha();
    SIZE size{FPicture.Width(), FPicture.Height()};
    POINT source{0, 0};
    if (!UpdateLayeredWindow(FHandle, nullptr, nullptr, &size, FPicture.Dc(), &source, 0, &FBlend, ULW_ALPHA))
        shadow::DebugLine("TFormShadow: UpdateLayeredWindow: " + sys::ToGbk(sys::SysErrorMessage(GetLastError())));
}
