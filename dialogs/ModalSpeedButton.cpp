#include "dialogs/ModalSpeedButton.h"

#include "gui/Forms.h"
#include "gui/Gdi.h"

#include <oleacc.h>

using gui::RGBColor;
using gui::TColor;

long TModalSpeedButton::ClassAccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

TModalSpeedButton::TModalSpeedButton(gui::TComponent* owner)
    : gui::TCustomControl(owner),
      FColorWhenDown(RGBColor(162, 192, 250)),
      FHotTrackColor(RGBColor(162, 192, 250)),
      FShadowColor(RGBColor(99, 130, 188)),
      FBorderFocusColor(RGBColor(119, 196, 238)),
      FDisableFontColor(RGBColor(135, 135, 135)) {
    // The face covers every pixel, so an erase before the paint would only flicker.
    SetControlStyle(ControlStyle() | gui::csOpaque);
    SetColor(RGBColor(201, 219, 252));
    SetBounds(Left(), Top(), 67, 22);
    SetTabStop(true);
    SetStyle(bsModern);
    FGlyph.OnChange = [this] { Repaint(); };
    FGlyphNew.OnChange = [this] {
        // Making it transparent notifies again, and that second round repaints.
        if (gui::TGraphic* graphic = FGlyphNew.Graphic(); graphic && !graphic->Transparent()) {
            graphic->SetTransparent(true);
            return;
        }
        Repaint();
    };
    FGlyphArrow.OnChange = [this] { Repaint(); };
}

template <class T>
void TModalSpeedButton::SetUnskinned(T& field, T value) {
    if (field == value) return;
    field = value;
    FSkinIndex = -1;
    Repaint();
}

void TModalSpeedButton::SetAlignment(gui::TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    Repaint();
}

void TModalSpeedButton::SetColorWhenDown(TColor color) { SetUnskinned(FColorWhenDown, color); }
void TModalSpeedButton::SetHotTrackColor(TColor color) { SetUnskinned(FHotTrackColor, color); }
void TModalSpeedButton::SetLightColor(TColor color) { SetUnskinned(FLightColor, color); }
void TModalSpeedButton::SetShadowColor(TColor color) { SetUnskinned(FShadowColor, color); }
void TModalSpeedButton::SetFlat(bool on) { SetUnskinned(FFlat, on); }
void TModalSpeedButton::SetHasBorder(bool on) { SetUnskinned(FHasBorder, on); }
void TModalSpeedButton::SetTransparent(bool on) { SetUnskinned(FTransparent, on); }

void TModalSpeedButton::SetBorderFocusColor(TColor color) {
    if (color == FBorderFocusColor) return;
    FBorderFocusColor = color;
    FSkinIndex = -1;
    // Only a focused button shows this colour.
    if (FFocused) Repaint();
}

void TModalSpeedButton::SetDisableFontColor(TColor color) {
    if (color == FDisableFontColor) return;
    FDisableFontColor = color;
    Repaint();
}

void TModalSpeedButton::SetBoldFocusBorder(bool on) {
    if (on == FBoldFocusBorder) return;
    FBoldFocusBorder = on;
    Repaint();
}

void TModalSpeedButton::SetLayout(TModalSpeedButtonLayout layout) {
    if (layout == FLayout) return;
    FLayout = layout;
    Repaint();
}

void TModalSpeedButton::SetNumGlyphs(int count) {
    if (count < 0) count = 0;
    if (count == FNumGlyphs) return;
    FNumGlyphs = count;
    Repaint();
}

void TModalSpeedButton::SetGlyph(const gui::TBitmap* glyph) {
    if (glyph) {
        FGlyph = *glyph;
    } else {
        FGlyph.SetSize(0, 0);
    }
    FGlyph.SetTransparent(true);
    FNumGlyphs = FGlyph.Height() > 0 ? FGlyph.Width() / FGlyph.Height() : 0;
    Repaint();
}

void TModalSpeedButton::SetPopupMenu(HMENU menu) {
    if (menu == FPopupMenu) return;
    FPopupMenu = menu;
    Repaint();
}

int TModalSpeedButton::ScreenBitsPerPixel() const {
    gui::WindowDc screen(nullptr);
    return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
}

void TModalSpeedButton::SetStyle(TModalSpeedButtonStyle style) {
    if (style == bsModern) FAlignment = gui::taCenter;
    FStyle = ScreenBitsPerPixel() > 8 ? style : bsNormal;
    Repaint();
}

void TModalSpeedButton::ApplyPreset(const TModalColorPreset& preset) {
    FPaintSuspended = true;
    SetColor(preset.Color);
    FLightColor = preset.LightColor;
    FShadowColor = preset.ShadowColor;
    FColorWhenDown = preset.ColorWhenDown;
    FHotTrackColor = preset.HotTrackColor;
    FFlat = preset.Flat;
    SetStyle(preset.Style);
    FPaintSuspended = false;
}

void TModalSpeedButton::SetColorStyle(TModalColorStyle style) {
    FColorStyle = style;
    const TModalColorPreset* preset = FindModalColorPreset(style);
    if (!preset) return;
    ApplyPreset(*preset);
    FSkinIndex = -1;
    Repaint();
}

void TModalSpeedButton::ApplySkin(int index) {
    const TButtonSkin& skin = ButtonSkin(index);
    FPaintSuspended = true;
    FStyle = bsNormal;
    SetColor(skin.Color);
    FColorWhenDown = skin.ColorWhenDown;
    FHotTrackColor = skin.HotTrackColor;
    FBorderFocusColor = skin.BorderFocusColor;
    Font().SetColor(skin.CaptionColor);
    FHasBorder = skin.HasBorder;
    FLightColor = skin.BorderColor;
    FShadowColor = skin.BorderColor;
    FBoldFocusBorder = false;
    FSkinIndex = static_cast<TButtonSkinIndex>(index);
    FPaintSuspended = false;
    if (Parent() && HandleAllocated()) Repaint();
}

void TModalSpeedButton::SetSkinIndex(TButtonSkinIndex index) {
    if (index < 0 || index >= kButtonSkinCount) {
        FSkinIndex = -1;
        return;
    }
    // A disabled button keeps showing its grey row; the new one comes with enabling.
    FEnabledSkinIndex = index;
    ApplySkin(Enabled() ? index : DisabledSkinIndex(index));
}

void TModalSpeedButton::EnabledChanged() {
    gui::TCustomControl::EnabledChanged();
    if (FSkinIndex >= 0) {
        if (!Enabled()) {
            FEnabledSkinIndex = FSkinIndex;
            ApplySkin(DisabledSkinIndex(FSkinIndex));
        } else if (FEnabledSkinIndex >= 0) {
            ApplySkin(FEnabledSkinIndex);
        }
    }
    Repaint();
}

void TModalSpeedButton::ReleaseGroup() {
    if (FGroupIndex == 0 || !Parent()) return;
    for (size_t i = 0; i < Parent()->ControlCount(); ++i) {
        auto* other = dynamic_cast<TModalSpeedButton*>(Parent()->Control(i));
        if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetDown(false);
    }
}

void TModalSpeedButton::SetDown(bool down) {
    if (down) ReleaseGroup();
    if (down == FDown) return;
    FDown = down;
    Repaint();
}

void TModalSpeedButton::PressFromMouse() {
    if (FGroupIndex != 0 && FDown) {
        if (FAllowAllUp) SetDown(false);
        return;
    }
    SetDown(true);
}

// Outside a group the button is down while the key is. In a group a key press selects like a
// mouse press: holding the button down only for the key would leave the group with two buttons
// down, then none.
void TModalSpeedButton::PressFromKeyboard() {
    if (FGroupIndex != 0) {
        PressFromMouse();
    } else {
        FDown = true;
    }
    Click();
    Repaint();
}

void TModalSpeedButton::ReleaseFromKeyboard() {
    if (FGroupIndex != 0) return;
    FDown = false;
    Repaint();
}

void TModalSpeedButton::MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    gui::TCustomControl::MouseDown(button, shift, x, y);
    PressFromMouse();
}

void TModalSpeedButton::MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
    gui::TCustomControl::MouseUp(button, shift, x, y);
    if (FGroupIndex == 0) SetDown(false);
}

void TModalSpeedButton::KeyDown(WORD& key, gui::TShiftState shift) {
    gui::TCustomControl::KeyDown(key, shift);
    if (key != VK_RETURN && key != VK_SPACE) return;
    key = 0;
    PressFromKeyboard();
}

void TModalSpeedButton::KeyUp(WORD& key, gui::TShiftState shift) {
    if (key != VK_RETURN && key != VK_SPACE) {
        gui::TCustomControl::KeyUp(key, shift);
        return;
    }
    ReleaseFromKeyboard();
}

bool TModalSpeedButton::DialogChar(wchar_t ch) {
    if (!gui::IsAccel(ch, Caption()) || !Enabled() || !Visible() || !Parent() || !Parent()->Showing()) return false;
    if (FGroupIndex != 0) {
        PressFromMouse();
        Click();
        return true;
    }
    // Shown pressed for the length of the click, then as it was.
    const bool wasDown = FDown;
    SetDown(true);
    Click();
    SetDown(wasDown);
    return true;
}

void TModalSpeedButton::Click() {
    if (CanFocus()) SetFocus();
    if (FPopupMenu) {
        const POINT corner = ClientToScreen(POINT{0, Height()});
        gui::TForm* form = ParentForm();
        TrackPopupMenu(FPopupMenu, TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, 0,
                       form ? form->Handle() : Handle(), nullptr);
    }
    gui::TCustomControl::Click();
}

void TModalSpeedButton::SetHot(bool hot) {
    if (hot == FHot) return;
    FHot = hot;
    Repaint();
}

void TModalSpeedButton::MouseEnter() {
    if (!Enabled()) return;
    SetHot(true);
    gui::TCustomControl::MouseEnter();
}

void TModalSpeedButton::MouseLeave() {
    if (!Enabled()) return;
    SetHot(FFocused);
    if (OnMouseExit) OnMouseExit(this);
}

// A focused button looks hot, as if the mouse were over it.
void TModalSpeedButton::FocusReceived() {
    FFocused = true;
    MouseEnter();
    Repaint();
}

void TModalSpeedButton::FocusLost() {
    FFocused = false;
    MouseLeave();
    Repaint();
}

bool TModalSpeedButton::EraseBackground(HDC dc) { return true; }

void TModalSpeedButton::Repaint() {
    if (FTransparent) {
        Invalidate();
        return;
    }
    if (!HandleAllocated() || !ParentForm()) return;
    gui::WindowDc dc(Handle());
    PaintOn(dc.Get());
}

void TModalSpeedButton::Paint() { PaintOn(Canvas().Handle()); }

TModalButtonFace TModalSpeedButton::Face() {
    TModalButtonFace face;
    face.Color = Color();
    face.ColorWhenDown = FColorWhenDown;
    face.HotTrackColor = FHotTrackColor;
    face.LightColor = FLightColor;
    face.ShadowColor = FShadowColor;
    face.BorderFocusColor = FBorderFocusColor;
    face.DisableFontColor = FDisableFontColor;
    face.Style = FStyle;
    face.Layout = FLayout;
    face.Alignment = FAlignment;
    face.Flat = FFlat;
    face.HasBorder = FHasBorder;
    face.BoldFocusBorder = FBoldFocusBorder;
    face.Transparent = FTransparent;
    face.Caption = Caption();
    face.Font = &Font();
    face.Glyph = FGlyphNew.Empty() ? static_cast<gui::TGraphic*>(&FGlyph) : FGlyphNew.Graphic();
    face.NumGlyphs = FNumGlyphs;
    face.Arrow = FPopupMenu && !FGlyphArrow.Empty() ? FGlyphArrow.Graphic() : nullptr;
    return face;
}

void TModalSpeedButton::PaintOn(HDC target) {
    if (!target || FPaintSuspended || !ParentForm() || Width() <= 0 || Height() <= 0) return;
    const gui::DoubleBuffer buffer(target, gui::Rect(0, 0, Width(), Height()));
    gui::TCanvas canvas(buffer.Get());
    canvas.Brush.SetColor(Parent()->Color());
    canvas.FillRect(ClientRect());
    DrawModalButton(canvas, Width(), Height(), Face(), TModalButtonState{Enabled(), FDown, FHot, FFocused});
}
