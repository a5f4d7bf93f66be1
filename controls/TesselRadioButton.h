#pragma once
// A radio button that draws itself flat: a circle whose colours follow the mouse, the focus and
// the pressed state, a check point when checked, the caption to the right, optionally over a
// captured copy of the parent's background. It keeps the radio behaviour of the platform: one
// checked button among the radio buttons of one parent, and OnClick when it becomes checked.
#include "gui/Graphics.h"
#include "gui/WinControl.h"

// What the drawing needs to know, taken from the control at the moment it draws.
struct TRadioLook {
    RECT Client{0, 0, 0, 0};
    bool Checked = false;
    bool Hot = false;
    bool PressedByMouse = false;
    bool PressedByKey = false;
    bool Focused = false;
    bool Enabled = true;
};

class TTesselRadioButton : public gui::TCustomControl {
public:
    explicit TTesselRadioButton(gui::TComponent* owner);

    bool Checked() const { return FChecked; }
    // Checking unchecks the other radio buttons of the parent and fires OnClick.
    void SetChecked(bool checked);
    DWORD AccessibleState() const override;
    void AccessibleAction() override { SetChecked(true); }
    long ClassAccessibleRole() const override;

    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment alignment);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    gui::TColor CheckPointColor() const { return FCheckPointColor; }
    void SetCheckPointColor(gui::TColor c) { SetLookColor(FCheckPointColor, c); }
    gui::TColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(gui::TColor c) { SetLookColor(FDisabledColor, c); }
    gui::TColor MouseOutBorderColor() const { return FMouseOutBorderColor; }
    void SetMouseOutBorderColor(gui::TColor c) { SetLookColor(FMouseOutBorderColor, c); }
    gui::TColor MouseOutInnerColor() const { return FMouseOutInnerColor; }
    void SetMouseOutInnerColor(gui::TColor c) { SetLookColor(FMouseOutInnerColor, c); }
    gui::TColor MouseInBorderColor() const { return FMouseInBorderColor; }
    void SetMouseInBorderColor(gui::TColor c) { SetLookColor(FMouseInBorderColor, c); }
    gui::TColor MouseInInnerColor() const { return FMouseInInnerColor; }
    void SetMouseInInnerColor(gui::TColor c) { SetLookColor(FMouseInInnerColor, c); }
    gui::TColor CheckedAreaSelectBorderColor() const { return FSelectBorderColor; }
    void SetCheckedAreaSelectBorderColor(gui::TColor c) { SetLookColor(FSelectBorderColor, c); }
    gui::TColor CheckedAreaSelectColor() const { return FSelectColor; }
    void SetCheckedAreaSelectColor(gui::TColor c) { SetLookColor(FSelectColor, c); }
    // Kept for stored window data that sets them; the drawing does not use them.
    gui::TColor FocusBorderColor() const { return FFocusBorderColor; }
    void SetFocusBorderColor(gui::TColor c) { SetLookColor(FFocusBorderColor, c); }
    gui::TColor FocusInnerColor() const { return FFocusInnerColor; }
    void SetFocusInnerColor(gui::TColor c) { SetLookColor(FFocusInnerColor, c); }
    gui::TColor UnFocusBorderColor() const { return FUnFocusBorderColor; }
    void SetUnFocusBorderColor(gui::TColor c) { SetLookColor(FUnFocusBorderColor, c); }
    gui::TColor UnFocusInnerColor() const { return FUnFocusInnerColor; }
    void SetUnFocusInnerColor(gui::TColor c) { SetLookColor(FUnFocusInnerColor, c); }

    // Diameter of the circle at 96 DPI (drawn scaled with the window); below 2 it goes back to
    // the system's scroll-thumb width − 4 at 96 DPI.
    int ThumbWidth() const { return FThumbWidth; }
    void SetThumbWidth(int width);
    int IconSpace() const { return FIconSpace; }
    void SetIconSpace(int space);
    bool DrawFocusRect() const { return FDrawFocusRect; }
    void SetDrawFocusRect(bool on);
    bool TabOnEnter() const { return FTabOnEnter; }
    void SetTabOnEnter(bool on) { FTabOnEnter = on; }

    // Strips of five frames (normal, focused, hot, pressed, disabled) drawn instead of the
    // circle: Glyph while unchecked, CheckedGlyph while checked.
    gui::TPicture& Glyph() { return FGlyph; }
    void SetGlyph(const gui::TPicture& picture) { FGlyph.Assign(picture); }
    gui::TPicture& CheckedGlyph() { return FCheckedGlyph; }
    void SetCheckedGlyph(const gui::TPicture& picture) { FCheckedGlyph.Assign(picture); }

    TRadioLook Look();
    // The whole button as it looks now, drawn at (0, 0) of dc.
    void DrawTo(HDC dc);

    static int SystemThumbWidth();

protected:
    void WndProc(gui::TMessage& message) override;
    bool EraseBackground(HDC dc) override;
    void Paint() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusReceived() override;
    void FocusLost() override;
    void DoExit() override;
    void FocusChanged(gui::TWinControl* focused) override;
    void KeyDown(WORD& key, gui::TShiftState shift) override;
    void KeyUp(WORD& key, gui::TShiftState shift) override;
    void TextChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;

private:
    void SetLookColor(gui::TColor& field, gui::TColor value);
    // Redraws after a state change: through the window's erase and paint when the background
    // or a glyph needs it, at once otherwise.
    void UpdateLook();
    void LeftButtonDown();
    void LeftButtonUp(gui::TMessage& message);
    void UncheckSiblings();
    void CaptureParentBackground();
    void CaptureFromParentCanvas();
    void PaintBackground(gui::TCanvas& canvas, const RECT& client);
    RECT DrawMark(gui::TCanvas& canvas, const TRadioLook& look, RECT box);
    void DrawCaption(gui::TCanvas& canvas, const TRadioLook& look, const RECT& box);
    gui::TPicture* CurrentGlyph();

    bool FChecked = false;
    bool FHot = false;
    bool FPressedByMouse = false;
    bool FPressedByKey = false;
    bool FSpaceHeld = false;

    gui::TAlignment FAlignment = gui::taLeftJustify;
    bool FTransparent = false;
    gui::TColor FCheckPointColor = gui::clNavy;
    gui::TColor FDisabledColor = gui::clGray;
    gui::TColor FMouseOutBorderColor = gui::clNavy;
    gui::TColor FMouseOutInnerColor = gui::clWhite;
    gui::TColor FMouseInBorderColor = gui::clGreen;
    gui::TColor FMouseInInnerColor = gui::clActiveBorder;
    gui::TColor FSelectBorderColor = gui::clActiveBorder;
    gui::TColor FSelectColor = gui::clSilver;
    gui::TColor FFocusBorderColor = gui::clActiveBorder;
    gui::TColor FFocusInnerColor = gui::clNavy;
    gui::TColor FUnFocusBorderColor = gui::clNavy;
    gui::TColor FUnFocusInnerColor = gui::clActiveBorder;
    int FThumbWidth;
    int FIconSpace = 4;
    bool FDrawFocusRect = false;
    bool FTabOnEnter = true;
    gui::TPicture FGlyph;
    gui::TPicture FCheckedGlyph;
    gui::TBitmap FBackground;  // the parent's background under the button, while Transparent
};

// Makes the class and its properties known to stored window data; a window calls it before it
// loads its data (again is harmless).
void RegisterTesselRadioButtonWindowData();
