#pragma once
// TModalSpeedButton: the owner-drawn, focusable push button of the message dialog. It paints
// itself off-screen in one of three styles and copies the result in one step, looks hot while
// the mouse is over it or it has the focus, presses from the mouse, Enter, Space and its Alt
// accelerator, takes colour presets or built-in skin rows, and can carry a glyph strip, a
// caption and a drop-down arrow. Buttons of one parent with the same GroupIndex act as a radio
// group through their Down state.
#include "dialogs/ModalBUTTONS.h"
#include "gui/WinControl.h"

enum TModalButtonKind {
    mbkCustom, mbkNormal, mbkCancel, mbkOK, mbkYes, mbkNo, mbkIgnore, mbkSearch, mbkReset,
    mbkPrint, mbkPreview, mbkImport, mbkExport, mbkClose, mbkInsert, mbkDelete, mbkModify
};

class TModalSpeedButton : public gui::TCustomControl {
public:
    explicit TModalSpeedButton(gui::TComponent* owner);

    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment alignment);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool on) { FAllowAllUp = on; }
    gui::TColor ColorWhenDown() const { return FColorWhenDown; }
    void SetColorWhenDown(gui::TColor color);
    gui::TColor HotTrackColor() const { return FHotTrackColor; }
    void SetHotTrackColor(gui::TColor color);
    gui::TColor LightColor() const { return FLightColor; }
    void SetLightColor(gui::TColor color);
    gui::TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(gui::TColor color);
    gui::TColor BorderFocusColor() const { return FBorderFocusColor; }
    void SetBorderFocusColor(gui::TColor color);
    gui::TColor DisableFontColor() const { return FDisableFontColor; }
    void SetDisableFontColor(gui::TColor color);
    // The preset last applied (lcsCustom until one is); lcsCustom itself changes no colour.
    TModalColorStyle ColorStyle() const { return FColorStyle; }
    void SetColorStyle(TModalColorStyle style);
    bool Down() const { return FDown; }
    void SetDown(bool down);
    bool Flat() const { return FFlat; }
    void SetFlat(bool on);
    bool HasBorder() const { return FHasBorder; }
    void SetHasBorder(bool on);
    bool BoldFocusBorder() const { return FBoldFocusBorder; }
    void SetBoldFocusBorder(bool on);
    // A copy of the bitmap is kept; NumGlyphs becomes its width div its height. nullptr empties it.
    const gui::TBitmap& Glyph() const { return FGlyph; }
    void SetGlyph(const gui::TBitmap* glyph);
    // Used instead of Glyph when it holds a graphic.
    gui::TPicture& GlyphNew() { return FGlyphNew; }
    // Drawn at the right edge while a popup menu is set.
    gui::TPicture& GlyphArrow() { return FGlyphArrow; }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int count);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index) { FGroupIndex = index; }
    TModalSpeedButtonLayout Layout() const { return FLayout; }
    void SetLayout(TModalSpeedButtonLayout layout);
    TModalSpeedButtonStyle Style() const { return FStyle; }
    // Screens of 8 bits per pixel or fewer get bsNormal whatever is asked.
    void SetStyle(TModalSpeedButtonStyle style);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    TButtonSkinIndex SkinIndex() const { return FSkinIndex; }
    // 0 .. 17 applies that skin row; anything else means no skin and applies nothing.
    void SetSkinIndex(TButtonSkinIndex index);
    TModalButtonKind ButtonKind() const { return FButtonKind; }
    void SetButtonKind(TModalButtonKind kind) { FButtonKind = kind; }
    // Borrowed: the caller keeps the menu alive while it is set. Its commands reach the form's
    // window as WM_COMMAND.
    HMENU PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(HMENU menu);

    // Mouse over the button, or focus on it.
    bool Hot() const { return FHot; }

    gui::TNotifyEvent OnMouseExit;

    // Takes the focus, opens the popup menu if there is one, then runs OnClick.
    void Click() override;
    // Paints at once, or through the message loop when transparent.
    void Repaint() override;
    bool DialogChar(wchar_t ch) override;

protected:
    long ClassAccessibleRole() const override;
    void Paint() override;
    bool EraseBackground(HDC dc) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, gui::TShiftState shift) override;
    void KeyUp(WORD& key, gui::TShiftState shift) override;
    void FocusReceived() override;
    void FocusLost() override;
    void EnabledChanged() override;
    void ColorChanged() override { Repaint(); }
    // The screen's colour depth; a seam for trying the low-colour rule.
    virtual int ScreenBitsPerPixel() const;

private:
    void PaintOn(HDC target);
    TModalButtonFace Face();
    void ApplySkin(int index);
    void ApplyPreset(const TModalColorPreset& preset);
    // Stores a colour or flag that breaks the skin row in force.
    template <class T>
    void SetUnskinned(T& field, T value);
    void ReleaseGroup();
    // A press as the mouse makes it: in a group it selects (or, with AllowAllUp, toggles).
    void PressFromMouse();
    void PressFromKeyboard();
    void ReleaseFromKeyboard();
    void SetHot(bool hot);

    gui::TAlignment FAlignment = gui::taCenter;
    bool FAllowAllUp = false;
    gui::TColor FColorWhenDown;
    gui::TColor FHotTrackColor;
    gui::TColor FLightColor = gui::clWhite;
    gui::TColor FShadowColor;
    gui::TColor FBorderFocusColor;
    gui::TColor FDisableFontColor;
    TModalColorStyle FColorStyle = lcsCustom;
    bool FDown = false;
    bool FFlat = false;
    bool FHasBorder = true;
    bool FBoldFocusBorder = false;
    gui::TBitmap FGlyph;
    gui::TPicture FGlyphNew;
    gui::TPicture FGlyphArrow;
    int FNumGlyphs = 0;
    int FGroupIndex = 0;
    TModalSpeedButtonLayout FLayout = blGlyphLeft;
    TModalSpeedButtonStyle FStyle = bsModern;
    bool FTransparent = false;
    TButtonSkinIndex FSkinIndex = -1;
    TButtonSkinIndex FEnabledSkinIndex = -1;  // the row to go back to when enabled again
    TModalButtonKind FButtonKind = mbkNormal;
    HMENU FPopupMenu = nullptr;
    bool FHot = false;
    bool FFocused = false;
    bool FPaintSuspended = false;
};

// Makes TModalSpeedButton and its properties known to stored window data; a window whose data
// holds such buttons calls it before loading.
void RegisterModalSpeedButtonWindowData();
