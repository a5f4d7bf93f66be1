#include "controls/f_BriskImageButton.h"

#include "gui/Dpi.h"
#include "gui/Gdi.h"
#include "gui/PictureScale.h"

#include <algorithm>
#include <iterator>

#include "sys/SysUtils.h"
#include "gui/WindowDataRegistry.h"

#include <oleacc.h>

using gui::TPngImage;

namespace {

// The PNG class must be known to the picture loader before the first window loads its data;
// every window that uses these buttons links this file, so its start-up is early enough.
struct TPngFormatRegistration {
    TPngFormatRegistration() { gui::RegisterPngFormat(); }
    ~TPngFormatRegistration() { gui::UnregisterPngFormat(); }
};
const TPngFormatRegistration g_pngFormatRegistration;

// The gaps between the dashes show what lies beneath, as a clear brush promises.
void DrawDashedOutline(gui::TCanvas& canvas, int width, int height) {
    const int previousMode = SetBkMode(canvas.Handle(), TRANSPARENT);
    canvas.Pen.SetColor(gui::clBlack);
    canvas.Pen.SetStyle(gui::psDash);
    canvas.Brush.SetStyle(gui::bsClear);
    canvas.Rectangle(0, 0, width, height);
    canvas.Brush.SetStyle(gui::bsSolid);
    canvas.Pen.SetStyle(gui::psSolid);
    if (previousMode) SetBkMode(canvas.Handle(), previousMode);
}

void Copy(const TPngImage& source, const RECT& from, TPngImage& dest, const RECT& to) {
    gui::ResampleRect(source, from, dest, to, gui::TResampleRule::NearestHalfEven);
}

// Three bands along one axis: the first and last `fixed` rows (or columns) keep their size.
TPngImage SliceRows(const TPngImage& source, int targetHeight, int fixed) {
    const int w = source.Width(), h = source.Height();
    TPngImage sliced;
    sliced.CreateBlank(w, targetHeight);
    Copy(source, gui::Rect(0, 0, w, fixed), sliced, gui::Rect(0, 0, w, fixed));
    Copy(source, gui::Rect(0, fixed, w, h - fixed), sliced, gui::Rect(0, fixed, w, targetHeight - fixed));
    Copy(source, gui::Rect(0, h - fixed, w, h), sliced, gui::Rect(0, targetHeight - fixed, w, targetHeight));
    return sliced;
}

TPngImage SliceColumns(const TPngImage& source, int targetWidth, int fixed) {
    const int w = source.Width(), h = source.Height();
    TPngImage sliced;
    sliced.CreateBlank(targetWidth, h);
    Copy(source, gui::Rect(0, 0, fixed, h), sliced, gui::Rect(0, 0, fixed, h));
    Copy(source, gui::Rect(fixed, 0, w - fixed, h), sliced, gui::Rect(fixed, 0, targetWidth - fixed, h));
    Copy(source, gui::Rect(w - fixed, 0, w, h), sliced, gui::Rect(targetWidth - fixed, 0, targetWidth, h));
    return sliced;
}

void DrawImageInto(gui::TCanvas& target, const TPngButtonLook& look, const RECT& client, const RECT& imageRect) {
    TPngImage& image = *look.Image;
    if (look.Tile) {
        gui::TBitmap pattern = image.ToBitmap();
        target.Brush.SetBitmap(pattern.Handle());
        target.FillRect(client);
        target.Brush.SetBitmap(nullptr);
    } else if (look.Stretch) {
        TPngImage sliced = SlicePngImage(image, gui::RectWidth(imageRect), gui::RectHeight(imageRect), look.FixedWidth, look.FixedHeight);
        target.StretchDraw(imageRect, sliced);
    } else {
        target.StretchDraw(imageRect, image);
    }
}

void DrawOverlays(gui::TCanvas& target, const TPngButtonLook& look) {
    if (look.Enabled && look.HasPopupMenu && look.PopupArrow && !look.PopupArrow->Empty()) {
        gui::TGraphic& arrow = *look.PopupArrow;
        target.Draw(look.Width + look.PopupArrowOffsetX - arrow.Width() - 5,
                    (look.Height - arrow.Height()) / 2 + look.PopupArrowOffsetY, arrow);
    }
    if (look.Icon && !look.Icon->Empty()) {
        gui::TGraphic& icon = *look.Icon;
        target.Draw((look.Width - icon.Width()) / 2 + look.IconOffsetX, (look.Height - icon.Height()) / 2 + look.IconOffsetY,
                    icon);
    }
}

}  // namespace

RECT CenteredImageRect(const RECT& client, int imageWidth, int imageHeight) {
    RECT r;
    r.left = client.left + std::max(gui::RectWidth(client) + 1 - imageWidth, 0) / 2;
    r.top = client.top + std::max(gui::RectHeight(client) + 1 - imageHeight, 0) / 2;
    r.right = std::min<LONG>(r.left + imageWidth, client.right);
    r.bottom = std::min<LONG>(r.top + imageHeight, client.bottom);
    return r;
}

TPngImage SlicePngImage(const TPngImage& image, int targetWidth, int targetHeight, int fixedWidth, int fixedHeight) {
    TPngImage source;
    source.Assign(image);
    if (fixedHeight > 0 && 2 * fixedHeight < targetHeight) source = SliceRows(source, targetHeight, fixedHeight);
    if (fixedWidth > 0 && 2 * fixedWidth < targetWidth) source = SliceColumns(source, targetWidth, fixedWidth);
    return source;
}

void MakeFadedImage(const TPngImage& normal, TPngImage& faded) {
    faded.Assign(normal);
    faded.AddAlpha();
    if (faded.ColorType() == gui::kPngPalette) return;
    for (int y = 0; y < normal.Height(); ++y) {
        std::uint8_t* alpha = faded.AlphaRow(y);
        if (!alpha) return;
        for (int x = 0; x < normal.Width(); ++x) alpha[x] = static_cast<std::uint8_t>(alpha[x] / 3);
    }
}

void PaintPngButton(gui::TCanvas& canvas, const TPngButtonLook& look) {
    if (!look.Image || look.Image->Empty()) {
        DrawDashedOutline(canvas, look.Width, look.Height);
        return;
    }
    const RECT client = gui::Rect(0, 0, look.Width, look.Height);
    const RECT imageRect = look.Stretch ? client : CenteredImageRect(client, look.Image->Width(), look.Image->Height());
    // Not opaque: the canvas already shows the parent beneath, and that is what the image is
    // blended over.
    const gui::DoubleBuffer buffer(canvas.Handle(), client);
    gui::TCanvas offscreen(buffer.Get());
    offscreen.CopyRect(client, canvas, client);
    DrawImageInto(offscreen, look, client, imageRect);
    DrawOverlays(offscreen, look);
}

void DrawPngButtonCaption(gui::TCanvas& canvas, const TPngCaptionLook& look) {
    if (look.Caption.empty()) return;
    const SIZE extent = canvas.TextExtent(look.Caption);
    int x = (look.Width - extent.cx) / 2;
    if (look.Alignment == gui::taLeftJustify) x = 2;
    if (look.Alignment == gui::taRightJustify) x = look.Width - extent.cx - 2;
    const int y = (look.Height - extent.cy) / 2;
    if (!look.Enabled) canvas.Font.SetColor(gui::clGrayText);
    canvas.Brush.SetStyle(gui::bsClear);
    canvas.TextRect(gui::Rect(0, 0, look.Width, look.Height), x + look.OffsetX, y + look.OffsetY, look.Caption);
    canvas.Brush.SetStyle(gui::bsSolid);
}

long TPNGImageButton::ClassAccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

TPNGImageButton::TPNGImageButton(gui::TComponent* owner)
    : gui::TGraphicControl(owner),
      FPngImg(std::make_unique<TPngImage>()),
      FPngOver(std::make_unique<TPngImage>()),
      FPngDown(std::make_unique<TPngImage>()),
      FPngUp(std::make_unique<TPngImage>()),
      FPngDisabled(std::make_unique<TPngImage>()),
      FIcon(std::make_unique<gui::TPicture>()),
      FPopupArrow(std::make_unique<gui::TPicture>()) {
    for (TPngImage* image : {FPngImg.get(), FPngOver.get(), FPngDown.get(), FPngUp.get(), FPngDisabled.get()}) {
        image->OnChange = [this, image] { PictureChanged(*image); };
    }
    FIcon->OnChange = [this] { Invalidate(); };
    FPopupArrow->OnChange = [this] { Invalidate(); };
    SetBounds(0, 0, 50, 50);
    Canvas().Brush.SetColor(gui::clBtnFace);
    SetShowHint(false);
}

TPNGImageButton::~TPNGImageButton() {
    try {
        FCurrentImage = nullptr;
        FPngImg.reset();
        FPngOver.reset();
        FPngDown.reset();
        FPngUp.reset();
        FPngDisabled.reset();
        FIcon.reset();
        FPopupArrow.reset();
    } catch (const std::exception& error) {
        const sys::Exception* framework = dynamic_cast<const sys::Exception*>(&error);
        std::wstring text = L"[TPNGImageButton.Destroy]" + (framework ? framework->Message() : sys::FromGbk(error.what()));
        OutputDebugStringW(text.c_str());
    }
}

void TPNGImageButton::SetPngImg(const TPngImage& image) {
    FPngImg->Assign(image);
    if (FAutoSize && !FPngImg->Empty()) SetBounds(Left(), Top(), FPngImg->Width(), FPngImg->Height());
    Invalidate();
}

void TPNGImageButton::ChangeScale(int toDpi, int fromDpi) {
    gui::TGraphicControl::ChangeScale(toDpi, fromDpi);
    int* const measures[] = {&FIconOffsetX, &FIconOffsetY, &FPopupArrowOffsetX,
                             &FPopupArrowOffsetY, &FFixedHeight, &FFixedWidth};
    for (size_t i = 0; i < std::size(measures); ++i) *measures[i] = FDesignMeasures[i].Rescale(*measures[i], toDpi, fromDpi);
    for (TPngImage* image : {FPngImg.get(), FPngOver.get(), FPngDown.get(), FPngUp.get(), FPngDisabled.get()}) {
        gui::RescalePng(*image, toDpi);
    }
    gui::RescalePicture(*FIcon, toDpi);
    gui::RescalePicture(*FPopupArrow, toDpi);
}

void TPNGImageButtonEx::ChangeScale(int toDpi, int fromDpi) {
    TPNGImageButton::ChangeScale(toDpi, fromDpi);
    int* const measures[] = {&FFontSpace, &FCaptionOffsetX, &FCaptionOffsetY};
    for (size_t i = 0; i < std::size(measures); ++i) *measures[i] = FDesignCaptionMeasures[i].Rescale(*measures[i], toDpi, fromDpi);
}

void TPNGImageButton::SetFocusControl(gui::TControl* control) {
    if (control == FFocusControl) return;
    if (FFocusControl) RemoveFreeNotification(FFocusControl);
    FFocusControl = control;
    if (control) FreeNotification(control);
}

void TPNGImageButton::SetPopupMenu(HMENU menu) {
    if (menu == FPopupMenu) return;
    FPopupMenu = menu;
    if (menu) Invalidate();
}

void TPNGImageButton::Notification(gui::TComponent* component, gui::TOperation operation) {
    gui::TGraphicControl::Notification(component, operation);
    if (operation == gui::opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// An emptied image cannot size the control: only a present one changes Width and Height.
void TPNGImageButton::PictureChanged(TPngImage& image) {
    if (!Usable(image)) {
        if (&image == FCurrentImage) FCurrentImage = nullptr;
    } else if (FAutoSize) {
        const bool normal = &image == FPngImg.get();
        const int width = (Width() < image.Width() || normal) ? image.Width() : Width();
        const int height = (Height() < image.Height() || normal) ? image.Height() : Height();
        SetBounds(Left(), Top(), width, height);
    }
    Invalidate();
    if (OnPictureChange) OnPictureChange(this);
}

bool TPNGImageButton::SwitchTo(TPngImage* image) {
    if (image == FCurrentImage) return false;
    FCurrentImage = image;
    Invalidate();
    return true;
}

void TPNGImageButton::SetParent(gui::TWinControl* parent) {
    gui::TGraphicControl::SetParent(parent);
    if (Parent()) Parent()->SetDoubleBuffered(true);
}

void TPNGImageButton::Click() {
    if (Enabled()) gui::TGraphicControl::Click();
}

void TPNGImageButton::DblClick() {
    if (Enabled()) gui::TGraphicControl::DblClick();
}

void TPNGImageButton::MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    if (button != gui::mbLeft || !Enabled()) return;
    if (!FPngDown->Empty()) SwitchTo(FPngDown.get());
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

// The first present image of PngUp, PngOver, PngImg; with PngUp empty the mouse is still over
// the button, so the hover image stays even when it already was the current one.
void TPNGImageButton::MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    if (button != gui::mbLeft || !Enabled()) return;
    for (TPngImage* image : {FPngUp.get(), FPngOver.get(), FPngImg.get()}) {
        if (!Usable(*image)) continue;
        SwitchTo(image);
        break;
    }
    FireMouseUp(button, shift, x, y);
}

void TPNGImageButton::FireMouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TPNGImageButton::FireMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TPNGImageButton::FireMouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TPNGImageButton::MouseEnter() {
    if (!Enabled()) return;
    if (!FPngOver->Empty()) SwitchTo(FPngOver.get());
    FireMouseEnter();
}

void TPNGImageButton::MouseLeave() {
    if (!Enabled()) return;
    if (FPngImg->Width() > 0) SwitchTo(FPngImg.get());
    FireMouseLeave();
}

void TPNGImageButton::EnabledChanged() {
    if (Enabled()) {
        if (Usable(*FPngImg)) SwitchTo(FPngImg.get());
    } else {
        if (FPngDisabled->Width() < 1) MakeFadedImage(*FPngImg, *FPngDisabled);
        SwitchTo(FPngDisabled.get());
    }
    Repaint();
}

TPngButtonLook TPNGImageButton::Look() {
    TPngButtonLook look;
    look.Image = FCurrentImage;
    if (!Enabled() && FPngDisabled->Width() != 0) look.Image = FPngDisabled.get();
    look.Width = Width();
    look.Height = Height();
    look.Enabled = Enabled();
    look.Stretch = FStretch;
    look.Tile = FTile;
    look.FixedWidth = FFixedWidth;
    look.FixedHeight = FFixedHeight;
    look.PopupArrow = FPopupArrow->Graphic();
    look.HasPopupMenu = FPopupMenu != nullptr;
    look.PopupArrowOffsetX = FPopupArrowOffsetX;
    look.PopupArrowOffsetY = FPopupArrowOffsetY;
    look.Icon = FIcon->Graphic();
    look.IconOffsetX = FIconOffsetX;
    look.IconOffsetY = FIconOffsetY;
    return look;
}

void TPNGImageButton::Paint() {
    if (FPainting || !FPngImg) return;
    FPainting = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{FPainting};
    if (!FCurrentImage || FCurrentImage->Width() < 1) FCurrentImage = FPngImg.get();
    PaintPngButton(Canvas(), Look());
}

TPNGImageButtonEx::TPNGImageButtonEx(gui::TComponent* owner) : TPNGImageButton(owner) {}

void TPNGImageButtonEx::SetDown(bool down) {
    if (Change(FDown, down) && FDown && FGroupIndex != 0) ReleaseGroup();
}

void TPNGImageButtonEx::ReleaseGroup() {
    if (!Parent() || FGroupIndex == 0) return;
    for (size_t i = 0; i < Parent()->ControlCount() && FDown; ++i) {
        auto* other = dynamic_cast<TPNGImageButtonEx*>(Parent()->Control(i));
        if (other && other != this && other->FGroupIndex == FGroupIndex) other->PopUp();
    }
}

void TPNGImageButtonEx::PopUp() {
    SetDown(false);
    if (PngImg().Width() > 0 && SwitchTo(&PngImg())) Repaint();
}

void TPNGImageButtonEx::MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    TPNGImageButton::MouseDown(button, shift, x, y);
    if (button != gui::mbLeft || !Enabled()) return;
    if (Usable(PngDown()) && FGroupIndex != 0 && !FDown) {
        FDown = true;
        Repaint();
        ReleaseGroup();
    }
}

void TPNGImageButtonEx::MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    if (FDown) return;
    TPNGImageButton::MouseUp(button, shift, x, y);
}

void TPNGImageButtonEx::MouseEnter() {
    if (!Enabled()) return;
    if (!LatchedInGroup() && Usable(PngOver())) SwitchTo(&PngOver());
    FireMouseEnter();
}

void TPNGImageButtonEx::MouseLeave() {
    if (!Enabled()) return;
    if (!LatchedInGroup() && Usable(PngImg())) SwitchTo(&PngImg());
    FireMouseLeave();
}

void TPNGImageButtonEx::Paint() {
    Canvas().Font = Font();
    TPNGImageButton::Paint();
    TPngCaptionLook look;
    look.Caption = Caption();
    look.Alignment = FAlignment;
    look.Width = Width();
    look.Height = Height();
    look.OffsetX = FCaptionOffsetX;
    look.OffsetY = FCaptionOffsetY;
    look.Enabled = Enabled();
    DrawPngButtonCaption(Canvas(), look);
}

void RegisterBriskImageButtonWindowData() {
    using Button = TPNGImageButton;
    using ButtonEx = TPNGImageButtonEx;
    using Value = const gui::TWindowDataValue&;
    using Reader = gui::TWindowDataReader&;
    gui::RegisterWindowDataClass(
        L"TPNGImageButton", L"TGraphicControl", gui::FactoryOf<Button>(),
        gui::TPropertyTable<Button>()
            .Boolean(L"AutoSize", &Button::SetAutoSize)
            .Add(L"PngImg", [](Button& b, Value v, Reader reader) { b.SetPngImg(reader.PngPicture(v)); })
            .Add(L"PngOver", [](Button& b, Value v, Reader reader) { b.SetPngOver(reader.PngPicture(v)); })
            .Add(L"PngDown", [](Button& b, Value v, Reader reader) { b.SetPngDown(reader.PngPicture(v)); })
            .Add(L"PngUp", [](Button& b, Value v, Reader reader) { b.SetPngUp(reader.PngPicture(v)); })
            .Add(L"PngDisabled", [](Button& b, Value v, Reader reader) { b.SetPngDisabled(reader.PngPicture(v)); })
            .Add(L"Icon", [](Button& b, Value v, Reader reader) { b.Icon().SetGraphic(reader.Picture(v)); })
            .Add(L"PopupArrow", [](Button& b, Value v, Reader reader) { b.PopupArrow().SetGraphic(reader.Picture(v)); })
            .Integer(L"IconOffsetX", &Button::SetIconOffsetX)
            .Integer(L"IconOffsetY", &Button::SetIconOffsetY)
            .Integer(L"PopupArrowOffsetX", &Button::SetPopupArrowOffsetX)
            .Integer(L"PopupArrowOffsetY", &Button::SetPopupArrowOffsetY)
            .Integer(L"FixedHeight", &Button::SetFixedHeight)
            .Integer(L"FixedWidth", &Button::SetFixedWidth)
            .Boolean(L"Stretch", &Button::SetStretch)
            .Boolean(L"Tile", &Button::SetTile)
            .Add(L"FocusControl", [](Button& b, Value v, Reader reader) {
                reader.Fixup([&b, v, &reader] {
                    auto* control = dynamic_cast<gui::TControl*>(&reader.ComponentNamed(v));
                    if (!control) throw gui::EWindowDataBadValue(L"control expected");
                    b.SetFocusControl(control);
                });
            })
            .Event(L"OnPictureChange", &Button::OnPictureChange)
            .Ignored(L"ParentShowHint")
            .Ignored(L"HelpType")
            .Ignored(L"HelpKeyword")
            .Ignored(L"HelpContext")
            .Entries());
    gui::RegisterWindowDataClass(L"TPNGImageButtonEx", L"TPNGImageButton", gui::FactoryOf<ButtonEx>(),
                                 gui::TPropertyTable<ButtonEx>()
                                     .Integer(L"FontSpace", &ButtonEx::SetFontSpace)
                                     .Boolean(L"Down", &ButtonEx::SetDown)
                                     .Integer(L"GroupIndex", &ButtonEx::SetGroupIndex)
                                     .Enum(L"Alignment", &ButtonEx::SetAlignment, gui::kAlignmentIdents)
                                     .Integer(L"CaptionOffsetX", &ButtonEx::SetCaptionOffsetX)
                                     .Integer(L"CaptionOffsetY", &ButtonEx::SetCaptionOffsetY)
                                     .Entries());
}
