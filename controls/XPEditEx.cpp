#include "controls/XPEditEx.h"

#include "gui/WindowDataRegistry.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>

namespace {

const wchar_t kCurrencySign = L'￥';
const wchar_t kPercentSign = L'%';
constexpr wchar_t kBackspace = 8;

struct Hls {
    double H, L, S;  // hue 0..6, luminance and saturation 0..1
};

Hls ToHls(COLORREF c) {
    const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
    const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    Hls out{0, (hi + lo) / 2, 0};
    const double range = hi - lo;
    if (range <= 0) return out;
    out.S = out.L <= 0.5 ? range / (hi + lo) : range / (2 - hi - lo);
    if (hi == r) {
        out.H = (g - b) / range;
    } else if (hi == g) {
        out.H = 2 + (b - r) / range;
    } else {
        out.H = 4 + (r - g) / range;
    }
    if (out.H < 0) out.H += 6;
    return out;
}

double HueChannel(double p, double q, double h) {
    if (h < 0) h += 6;
    if (h >= 6) h -= 6;
    if (h < 1) return p + (q - p) * h;
    if (h < 3) return q;
    if (h < 4) return p + (q - p) * (4 - h);
    return p;
}

BYTE ToByte(double v) { return static_cast<BYTE>(std::lround(std::min(1.0, std::max(0.0, v)) * 255)); }

COLORREF FromHls(const Hls& c) {
    if (c.S <= 0) return RGB(ToByte(c.L), ToByte(c.L), ToByte(c.L));
    const double q = c.L <= 0.5 ? c.L * (1 + c.S) : c.L + c.S - c.L * c.S;
    const double p = 2 * c.L - q;
    return RGB(ToByte(HueChannel(p, q, c.H + 2)), ToByte(HueChannel(p, q, c.H)), ToByte(HueChannel(p, q, c.H - 2)));
}

BYTE BlendByte(int weight, int value, int toward) {
    return static_cast<BYTE>(std::lround((weight * value + (255 - weight) * toward) / 255.0));
}

COLORREF Blend(COLORREF c, COLORREF toward, int weight) {
    return RGB(BlendByte(weight, GetRValue(c), GetRValue(toward)), BlendByte(weight, GetGValue(c), GetGValue(toward)),
               BlendByte(weight, GetBValue(c), GetBValue(toward)));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

bool IsPlainNumber(const std::wstring& t) {
    size_t i = (!t.empty() && (t[0] == L'-' || t[0] == L'+')) ? 1 : 0;
    bool digit = false, point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= L'0' && t[i] <= L'9') {
            digit = true;
        } else if (t[i] == L'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace

COLORREF StepLuminance(COLORREF c, int step) {
    if (step == 0) return c;
    Hls hls = ToHls(c);
    hls.L = std::min(1.0, std::max(0.0, hls.L + step / 255.0));
    return FromHls(hls);
}

void DrawEditBorder(HDC dc, const RECT& client, const TEditBorder& border) {
    const int w = gui::RectWidth(client), h = gui::RectHeight(client);
    if (border.Width <= 0 || w <= 0 || h <= 0) return;
    const TSideLines sides = border.Sides;
    RECT inner{0, 0, w, h};
    if (sides & SL_LEFT) inner.left += border.Width;
    if (sides & SL_TOP) inner.top += border.Width;
    if (sides & SL_RIGHT) inner.right -= border.Width;
    if (sides & SL_BUTTOM) inner.bottom -= border.Width;

    gui::DibSection rings(w, h, 24);
    if (!rings.Valid()) return;
    HDC ringDc = rings.Dc();
    COLORREF c = gui::ColorToRGB(border.Color);
    const COLORREF blendTo = gui::ColorToRGB(border.BlendColor);
    int weight = 255;
    RECT r = inner;
    for (int ring = 0; ring < border.Width; ++ring) {
        if (sides & SL_LEFT) --r.left;
        if (sides & SL_TOP) --r.top;
        if (sides & SL_RIGHT) ++r.right;
        if (sides & SL_BUTTOM) ++r.bottom;
        gui::PenOwner pen(CreatePen(PS_SOLID, 1, c));
        gui::SelectScope selected(ringDc, pen.Get());
        if (sides & SL_LEFT) Line(ringDc, r.left, r.top, r.left, r.bottom);
        if (sides & SL_RIGHT) Line(ringDc, r.right - 1, r.top, r.right - 1, r.bottom);
        if (sides & SL_TOP) Line(ringDc, r.left, r.top, r.right, r.top);
        if (sides & SL_BUTTOM) Line(ringDc, r.left, r.bottom - 1, r.right, r.bottom - 1);
        c = StepLuminance(c, border.LightStep);
        weight = (weight - border.BlendStep) & 0xFF;
        c = Blend(c, blendTo, weight);
    }
    GdiFlush();
    gui::DcStateScope state(dc);
    if (ExcludeClipRect(dc, client.left + inner.left, client.top + inner.top, client.left + inner.right,
                        client.top + inner.bottom) == NULLREGION) {
        return;
    }
    BitBlt(dc, client.left, client.top, w, h, ringDc, 0, 0, SRCCOPY);
}

// The C library's number conversions: the program never leaves the "C" locale, so the point is
// always '.', and the launcher carries no stream and locale machinery for two numbers.
std::wstring FormatInputValue(double value, int decimals, TInputStyle style) {
    decimals = std::max(0, decimals);
    std::wstring digits(std::numeric_limits<double>::max_exponent10 + 4 + static_cast<size_t>(decimals), L'\0');
    const int length = std::swprintf(&digits[0], digits.size(), L"%.*f", decimals, value);
    digits.resize(length > 0 ? static_cast<size_t>(length) : 0);
    if (style == IsCurrency) digits.insert(digits.begin(), kCurrencySign);
    if (style == ISPercent) digits.push_back(kPercentSign);
    return digits;
}

bool ParseInputValue(const std::wstring& text, double& value) {
    std::wstring t = text;
    if (!t.empty() && t.back() == kPercentSign) t.pop_back();
    if (!t.empty() && t.front() == kCurrencySign) t.erase(0, 1);
    if (t.empty()) {
        value = 0;
        return true;
    }
    if (!IsPlainNumber(t)) return false;
    // The system's conversion: the run-time library's own wcstod would add 7 KiB for this one call.
    const double parsed = _wtof(t.c_str());
    if (std::isinf(parsed)) return false;
    value = parsed;
    return true;
}

TTesselEditEx::TTesselEditEx(gui::TComponent* owner) : TSyCustomEdit(owner) {
    SetBorderStyle(bsNone);
    SetCtl3D(false);
    SetDoubleBuffered(true);
    SetColor(gui::clWindow);
    FEnabledColor = Color();
}

void TTesselEditEx::InvalidateNoErase() {
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TTesselEditEx::RepaintBorder() { Invalidate(); }

void TTesselEditEx::SetBorderColor(gui::TColor c) {
    FBorderColor = c;
    RepaintBorder();
}

void TTesselEditEx::SetFocusBorderColor(gui::TColor c) {
    FFocusBorderColor = c;
    if (Focused()) RepaintBorder();
}

void TTesselEditEx::SetUnfocusedColor(gui::TColor c) {
    FUnfocusedColor = c;
    RepaintBorder();
}

void TTesselEditEx::SetDisableColor(gui::TColor c) {
    FDisableColor = c;
    RepaintBorder();
}

void TTesselEditEx::SetDisableBackGroundColor(gui::TColor c) {
    FDisableBackGroundColor = c;
    if (!Enabled()) SetColor(c);
}

void TTesselEditEx::SetSideWidth(int width) {
    FSideWidth = width;
    RepaintBorder();
}

void TTesselEditEx::SetSideLines(TSideLines sides) {
    FSideLines = sides & kAllSideLines;
    RepaintBorder();
}

void TTesselEditEx::SetSideFocus(bool on) {
    FSideFocus = on;
    RepaintBorder();
}

void TTesselEditEx::SetSideLightStep(int step) {
    FSideLightStep = step;
    RepaintBorder();
}

void TTesselEditEx::SetSideBlendStep(int step) {
    FSideBlendStep = step;
    RepaintBorder();
}

void TTesselEditEx::SetSideBlendColor(gui::TColor c) {
    FSideBlendColor = c;
    RepaintBorder();
}

void TTesselEditEx::SetTextLeftSpace(int space) {
    FTextLeftSpace = space;
    RecreateWnd();
}

void TTesselEditEx::SetTextRightSpace(int space) {
    FTextRightSpace = space;
    RecreateWnd();
}

void TTesselEditEx::SetTextTopOffset(int offset) {
    FTextTopOffset = offset;
    RecreateWnd();
}

void TTesselEditEx::SetReadOnly(bool on) {
    TSyCustomEdit::SetReadOnly(on);
    RepaintBorder();
}

void TTesselEditEx::SetInputStyle(TInputStyle style) {
    FInputStyle = style;
    if (Numeric()) {
        ShowValue();
    } else {
        SetText(L"");
    }
}

void TTesselEditEx::SetDecimalLength(int length) {
    FDecimalLength = length;
    if (Numeric()) ShowValue();
}

void TTesselEditEx::SetValue(double value) {
    FValue = value;
    if (Numeric()) ShowValue();
}

// Showing the value must not read it back: the shown text is rounded to DecimalLength.
void TTesselEditEx::ShowValue() {
    TFlagScope showing(FShowingValue);
    SetText(FormatInputValue(FValue, FDecimalLength, FInputStyle));
}

void TTesselEditEx::ShowPlainNumber() {
    TFlagScope showing(FShowingValue);
    SetText(FormatInputValue(FValue, FDecimalLength, ISNumber));
}

void TTesselEditEx::Change() {
    double parsed = 0;
    if (Numeric() && !FShowingValue && ParseInputValue(Text(), parsed)) FValue = parsed;
    TSyCustomEdit::Change();
}

bool TTesselEditEx::AcceptsNumericChar(wchar_t ch) {
    if (ch == kBackspace || (ch >= L'0' && ch <= L'9')) return true;
    return ch == L'.' && Text().find(L'.') == std::wstring::npos;
}

void TTesselEditEx::FilterChar(wchar_t& key) {
    if (key == L'\r') {
        if (FTabOnEnter && HandleAllocated()) PostMessageW(Handle(), WM_KEYDOWN, VK_TAB, 0);
        key = 0;
        return;
    }
    if (Numeric() && !AcceptsNumericChar(key)) key = 0;
}

void TTesselEditEx::WndProc(gui::TMessage& m) {
    if (m.Msg == WM_CONTEXTMENU && Numeric()) {
        m.Result = 0;
        return;
    }
    TSyCustomEdit::WndProc(m);
}

void TTesselEditEx::DoEnter() {
    TSyCustomEdit::DoEnter();
    SelectAll();
}

void TTesselEditEx::DoExit() {
    FHot = false;
    TSyCustomEdit::DoExit();
    RepaintBorder();
}

void TTesselEditEx::DblClick() {
    TSyCustomEdit::DblClick();
    if (AutoSelect()) SelectAll();
}

void TTesselEditEx::MouseEnter() {
    TSyCustomEdit::MouseEnter();
    FHot = true;
    InvalidateNoErase();
    if (OnMouseMoveIn) OnMouseMoveIn(this);
}

void TTesselEditEx::MouseLeave() {
    TSyCustomEdit::MouseLeave();
    FHot = Focused();
    InvalidateNoErase();
    if (OnMouseMoveOut) OnMouseMoveOut(this);
}

// The number is edited plain and selected whole, ready to be typed over.
void TTesselEditEx::FocusReceived() {
    if (Numeric()) {
        ShowPlainNumber();
        SelectAll();
    }
    FHot = true;
    TSyCustomEdit::FocusReceived();
    RepaintBorder();
}

void TTesselEditEx::FocusLost() {
    if (Numeric()) {
        if (Text().empty()) SetText(L"0");
        double parsed = 0;
        if (ParseInputValue(Text(), parsed)) FValue = parsed;
        ShowValue();
    }
    FHot = false;
    TSyCustomEdit::FocusLost();
    RepaintBorder();
}

void TTesselEditEx::ApplyStateBackground() { SetColor(Enabled() ? FEnabledColor : FDisableBackGroundColor); }

void TTesselEditEx::EnabledChanged() {
    ApplyStateBackground();
    TSyCustomEdit::EnabledChanged();
}

void TTesselEditEx::ColorChanged() {
    if (Enabled()) FEnabledColor = Color();
    TSyCustomEdit::ColorChanged();
}

TEditBorder TTesselEditEx::CurrentBorder() {
    TEditBorder border;
    border.Sides = FSideLines;
    border.LightStep = FSideLightStep;
    border.BlendStep = FSideBlendStep;
    border.BlendColor = FSideBlendColor;
    border.Width = Scaled(std::max(0, FSideWidth));
    if (FSideWidth <= 0) return border;
    if (!Enabled() || ReadOnly()) {
        border.Color = FDisableColor;
    } else if (Focused()) {
        border.Color = FFocusBorderColor;
        if (FSideFocus) border.Width += Scaled(1);
    } else if (FHot) {
        border.Color = FBorderColor;
    } else {
        border.Color = FUnfocusedColor;
    }
    return border;
}

RECT TTesselEditEx::FormattingRect() const {
    RECT r{0, 0, Width(), Height()};
    const int line = Scaled(1);
    if (FSideLines & SL_LEFT) r.left += line;
    if (FSideLines & SL_TOP) r.top += line;
    if (FSideLines & SL_RIGHT) r.right -= line;
    if (FSideLines & SL_BUTTOM) r.bottom -= line;
    r.top += (gui::RectHeight(r) - FontCharHeight()) / 2 + Scaled(FTextTopOffset);
    r.left += Scaled(FTextLeftSpace);
    r.right -= Scaled(FTextRightSpace);
    r.bottom += Scaled(FTextTopOffset);
    return r;
}

void TTesselEditEx::Paint() { DrawEditBorder(Canvas().Handle(), ClientRect(), CurrentBorder()); }

namespace {

const gui::TIdentTable<TSideLines> kSideLineIdents = {
    {L"SL_LEFT", SL_LEFT}, {L"SL_RIGHT", SL_RIGHT}, {L"SL_TOP", SL_TOP}, {L"SL_BUTTOM", SL_BUTTOM}};
const gui::TIdentTable<TInputStyle> kInputStyleIdents = {
    {L"ISText", ISText}, {L"ISPercent", ISPercent}, {L"ISNumber", ISNumber}, {L"IsCurrency", IsCurrency}};

// The data has no fractions: a value is written as an integer or as a decimal string.
void SetValueProperty(TTesselEditEx& e, const gui::TWindowDataValue& v, gui::TWindowDataReader&) {
    if (v.Kind == gui::TWindowDataValueKind::Integer) {
        e.SetValue(static_cast<double>(v.Integer));
        return;
    }
    double value = 0;
    if (!ParseInputValue(gui::StringValue(v), value)) throw gui::EWindowDataBadValue(L"decimal number expected");
    e.SetValue(value);
}

}  // namespace

void RegisterTesselEditExWindowData() {
    using Edit = TTesselEditEx;
    RegisterSyStdCtrlsWindowData();
    gui::RegisterWindowDataClass(L"TTesselEditEx", L"TSyCustomEdit", gui::FactoryOf<Edit>(),
                                 gui::TPropertyTable<Edit>()
                                     .Color(L"BorderColor", &Edit::SetBorderColor)
                                     .Color(L"FocusBorderColor", &Edit::SetFocusBorderColor)
                                     .Color(L"UnfocusedColor", &Edit::SetUnfocusedColor)
                                     .Color(L"DisableColor", &Edit::SetDisableColor)
                                     .Color(L"DisableBackGroundColor", &Edit::SetDisableBackGroundColor)
                                     .Integer(L"SideWidth", &Edit::SetSideWidth)
                                     .Set(L"SideLines", &Edit::SetSideLines, kSideLineIdents)
                                     .Boolean(L"SideFocus", &Edit::SetSideFocus)
                                     .Integer(L"SideLightStep", &Edit::SetSideLightStep)
                                     .Integer(L"SideBlendStep", &Edit::SetSideBlendStep)
                                     .Color(L"SideBlendColor", &Edit::SetSideBlendColor)
                                     .Integer(L"TextLeftSpace", &Edit::SetTextLeftSpace)
                                     .Integer(L"TextRightSpace", &Edit::SetTextRightSpace)
                                     .Integer(L"TextTopOffset", &Edit::SetTextTopOffset)
                                     .Boolean(L"TabOnEnter", &Edit::SetTabOnEnter)
                                     .Enum(L"InputStyle", &Edit::SetInputStyle, kInputStyleIdents)
                                     .Integer(L"DecimalLength", &Edit::SetDecimalLength)
                                     .Add(L"Value", SetValueProperty)
                                     .Event(L"OnMouseMoveIn", &Edit::OnMouseMoveIn)
                                     .Event(L"OnMouseMoveOut", &Edit::OnMouseMoveOut)
                                     .Entries());
}
