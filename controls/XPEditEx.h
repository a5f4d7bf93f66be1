#pragma once
// TTesselEditEx: a single-line text box without the platform's 3-D frame. It draws a flat border
// of its own inside the client area, coloured by state (disabled or read-only, focused, mouse
// over, idle), keeps the text in a formatting rectangle inside that border, and can hold a
// number shown as plain, percent or currency text.
#include "controls/SyStdCtrls.h"

#include <string>

using TSideLines = unsigned;
constexpr TSideLines SL_LEFT = 1, SL_RIGHT = 2, SL_TOP = 4, SL_BUTTOM = 8;
constexpr TSideLines kAllSideLines = SL_LEFT | SL_RIGHT | SL_TOP | SL_BUTTOM;

enum TInputStyle { ISText, ISPercent, ISNumber, IsCurrency };

// The border rings and how each ring outward changes colour.
struct TEditBorder {
    gui::TColor Color = gui::clBlack;
    int Width = 1;
    TSideLines Sides = kAllSideLines;
    int LightStep = 0;
    int BlendStep = 0;
    gui::TColor BlendColor = gui::clWhite;
};

// Draws border's rings inside client onto dc; the area inside the rings is left untouched.
void DrawEditBorder(HDC dc, const RECT& client, const TEditBorder& border);
// c with its luminance moved by step (lighter when positive) in a hue/luminance/saturation model.
COLORREF StepLuminance(COLORREF c, int step);

// "12.50", "12.50%" or "￥12.50".
std::wstring FormatInputValue(double value, int decimals, TInputStyle style);
// The number in a text as the box shows or takes it: an empty text is 0, a trailing "%" and a
// leading "￥" are dropped. False when what remains is not a plain decimal number.
bool ParseInputValue(const std::wstring& text, double& value);

class TTesselEditEx : public TSyCustomEdit {
public:
    explicit TTesselEditEx(gui::TComponent* owner);

    gui::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(gui::TColor c);
    gui::TColor FocusBorderColor() const { return FFocusBorderColor; }
    void SetFocusBorderColor(gui::TColor c);
    gui::TColor UnfocusedColor() const { return FUnfocusedColor; }
    void SetUnfocusedColor(gui::TColor c);
    gui::TColor DisableColor() const { return FDisableColor; }
    void SetDisableColor(gui::TColor c);
    gui::TColor DisableBackGroundColor() const { return FDisableBackGroundColor; }
    void SetDisableBackGroundColor(gui::TColor c);

    int SideWidth() const { return FSideWidth; }
    void SetSideWidth(int width);
    TSideLines SideLines() const { return FSideLines; }
    void SetSideLines(TSideLines sides);
    bool SideFocus() const { return FSideFocus; }
    void SetSideFocus(bool on);
    int SideLightStep() const { return FSideLightStep; }
    void SetSideLightStep(int step);
    int SideBlendStep() const { return FSideBlendStep; }
    void SetSideBlendStep(int step);
    gui::TColor SideBlendColor() const { return FSideBlendColor; }
    void SetSideBlendColor(gui::TColor c);

    int TextLeftSpace() const { return FTextLeftSpace; }
    void SetTextLeftSpace(int space);
    int TextRightSpace() const { return FTextRightSpace; }
    void SetTextRightSpace(int space);
    int TextTopOffset() const { return FTextTopOffset; }
    void SetTextTopOffset(int offset);
    void SetReadOnly(bool on) override;

    bool TabOnEnter() const { return FTabOnEnter; }
    void SetTabOnEnter(bool on) { FTabOnEnter = on; }
    TInputStyle InputStyle() const { return FInputStyle; }
    void SetInputStyle(TInputStyle style);
    int DecimalLength() const { return FDecimalLength; }
    void SetDecimalLength(int length);
    double Value() const { return FValue; }
    void SetValue(double value);

    bool Hot() const { return FHot; }
    // The border as the current state gives it; Width 0 draws none.
    TEditBorder CurrentBorder();
    RECT FormattingRect() const override;

    gui::TNotifyEvent OnMouseMoveIn, OnMouseMoveOut;

protected:
    void WndProc(gui::TMessage& message) override;
    void Paint() override;
    void FilterChar(wchar_t& key) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void DblClick() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusReceived() override;
    void FocusLost() override;
    void EnabledChanged() override;
    void ColorChanged() override;

private:
    bool Numeric() const { return FInputStyle != ISText; }
    void ShowValue();
    void ShowPlainNumber();
    bool AcceptsNumericChar(wchar_t ch);
    void ApplyStateBackground();
    void RepaintBorder();
    void InvalidateNoErase();

    gui::TColor FBorderColor = gui::clOlive;
    gui::TColor FFocusBorderColor = gui::clOlive;
    gui::TColor FUnfocusedColor = gui::clBackground;
    gui::TColor FDisableColor = gui::clBackground;
    gui::TColor FDisableBackGroundColor = gui::clWindow;
    gui::TColor FEnabledColor = gui::clWindow;
    int FSideWidth = 1;
    TSideLines FSideLines = kAllSideLines;
    bool FSideFocus = false;
    int FSideLightStep = 0;
    int FSideBlendStep = 0;
    gui::TColor FSideBlendColor = gui::clWhite;
    int FTextLeftSpace = 4;
    int FTextRightSpace = 4;
    int FTextTopOffset = 0;
    bool FTabOnEnter = true;
    TInputStyle FInputStyle = ISText;
    int FDecimalLength = 0;
    double FValue = 0;
    bool FHot = false;
    bool FShowingValue = false;
};

// Makes the class (and its bases) known to stored window data; a window calls it before it loads
// its data (again is harmless).
void RegisterTesselEditExWindowData();
