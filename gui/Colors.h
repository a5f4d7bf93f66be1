#pragma once
// Colours as the windows store them: 0x00BBGGRR for an RGB colour, 0xFF0000nn for system colour
// nn. A system colour stays symbolic until something is drawn, so a theme change is honoured.
#include <windows.h>

#include <cstdint>

namespace gui {

using TColor = std::uint32_t;

constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr TColor SystemColor(int index) { return 0xFF000000u | static_cast<TColor>(index & 0xFF); }
constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0xFF000000u; }

// "No colour": a face that is not filled, a hot colour that leaves the normal one in force.
constexpr TColor clNone = 0x1FFFFFFFu;
constexpr TColor clDefault = 0x20000000u;

constexpr TColor clBlack = 0x00000000u;
constexpr TColor clMaroon = 0x00000080u;
constexpr TColor clGreen = 0x00008000u;
constexpr TColor clOlive = 0x00008080u;
constexpr TColor clNavy = 0x00800000u;
constexpr TColor clPurple = 0x00800080u;
constexpr TColor clTeal = 0x00808000u;
constexpr TColor clGray = 0x00808080u;
constexpr TColor clSilver = 0x00C0C0C0u;
constexpr TColor clRed = 0x000000FFu;
constexpr TColor clLime = 0x0000FF00u;
constexpr TColor clYellow = 0x0000FFFFu;
constexpr TColor clBlue = 0x00FF0000u;
constexpr TColor clFuchsia = 0x00FF00FFu;
constexpr TColor clAqua = 0x00FFFF00u;
constexpr TColor clWhite = 0x00FFFFFFu;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);

// The RGB value to hand to GDI. clNone and clDefault have no RGB value; they resolve to black so
// a caller that forgot to test for them draws something visible rather than garbage.
inline COLORREF ColorToRGB(TColor c) {
    if (IsSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFF));
    if (c == clNone || c == clDefault) return RGB(0, 0, 0);
    return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

inline int GetRValue32(TColor c) { return static_cast<int>(ColorToRGB(c) & 0xFF); }
inline int GetGValue32(TColor c) { return static_cast<int>((ColorToRGB(c) >> 8) & 0xFF); }
inline int GetBValue32(TColor c) { return static_cast<int>((ColorToRGB(c) >> 16) & 0xFF); }

}  // namespace gui
