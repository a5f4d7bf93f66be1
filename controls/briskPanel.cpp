#include "controls/briskPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gui/Forms.h"
#include "gui/ParentBackground.h"
#include "gui/WindowDataRegistry.h"

using gui::TColor;

namespace {

// uxtheme is looked up when needed: on a system without it the gradient keeps its own colours.
bool ThemesEnabled() {
    using IsThemeActiveFn = BOOL(WINAPI*)();
    static const IsThemeActiveFn isThemeActive = [] {
        HMODULE module = LoadLibraryW(L"uxtheme.dll");
        return module ? reinterpret_cast<IsThemeActiveFn>(reinterpret_cast<void*>(GetProcAddress(module, "IsThemeActive")))
                      : nullptr;
    }();
    return isThemeActive && isThemeActive();
}

TColor Lighten(TColor color, int amount) {
    const COLORREF c = gui::ColorToRGB(color);
    auto channel = [amount](int v) { return std::max(0, std::min(255, v + amount)); };
    return gui::RGBColor(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

void FillStrip(gui::TCanvas& canvas, int left, int top, int right, int bottom, TColor color) {
    if (right <= left || bottom <= top) return;
    canvas.Brush.SetStyle(gui::bsSolid);
    canvas.Brush.SetColor(color);
    canvas.FillRect(gui::Rect(left, top, right, bottom));
}

// One pixel ring inside r on the framed sides, light colour top and left, dark bottom and right;
// r shrinks by it.
void DrawRing(gui::TCanvas& canvas, RECT& r, TBriskSides sides, TColor topLeft, TColor bottomRight) {
    if (sides & sdTop) FillStrip(canvas, r.left, r.top, r.right, r.top + 1, topLeft);
    if (sides & sdLeft) FillStrip(canvas, r.left, r.top, r.left + 1, r.bottom, topLeft);
    if (sides & sdBottom) FillStrip(canvas, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
    if (sides & sdRight) FillStrip(canvas, r.right - 1, r.top, r.right, r.bottom, bottomRight);
    if (sides & sdLeft) ++r.left;
    if (sides & sdTop) ++r.top;
    if (sides & sdRight) --r.right;
    if (sides & sdBottom) --r.bottom;
}

void DrawFrame(gui::TCanvas& canvas, RECT& r, TBriskFrameStyle style, const TBriskBorderLook& look, TColor fill) {
    const TBriskSides s = look.Sides;
    const TColor hi = look.Highlight, sh = look.Shadow, dark = look.Color;
    switch (style) {
    case fsNone: return;
    case fsFlat: {
        const TColor flat = Lighten(look.FlatColor, look.FlatColorAdjustment);
        DrawRing(canvas, r, s, flat, flat);
        return;
    }
    case fsGroove: DrawRing(canvas, r, s, sh, hi); DrawRing(canvas, r, s, hi, sh); return;
    case fsBump: DrawRing(canvas, r, s, hi, sh); DrawRing(canvas, r, s, sh, hi); return;
    case fsLowered: DrawRing(canvas, r, s, sh, hi); DrawRing(canvas, r, s, dark, hi); return;
    case fsButtonDown: DrawRing(canvas, r, s, dark, hi); DrawRing(canvas, r, s, sh, hi); return;
    case fsRaised: DrawRing(canvas, r, s, hi, sh); DrawRing(canvas, r, s, hi, dark); return;
    case fsButtonUp: DrawRing(canvas, r, s, hi, dark); DrawRing(canvas, r, s, hi, sh); return;
    case fsStatus:
        for (int i = 0; i < look.BevelWidth; ++i) DrawRing(canvas, r, s, sh, hi);
        return;
    case fsPopup:
        for (int i = 0; i < look.BevelWidth; ++i) DrawRing(canvas, r, s, hi, sh);
        return;
    case fsFlatBold: DrawRing(canvas, r, s, look.FlatColor, look.FlatColor); DrawRing(canvas, r, s, look.FlatColor, look.FlatColor); return;
    case fsFlatRounded: {
        const RECT outer = r;
        DrawRing(canvas, r, s, look.FlatColor, look.FlatColor);
        for (POINT corner : {POINT{outer.left, outer.top}, POINT{outer.right - 1, outer.top}, POINT{outer.left, outer.bottom - 1},
                             POINT{outer.right - 1, outer.bottom - 1}}) {
            FillStrip(canvas, corner.x, corner.y, corner.x + 1, corner.y + 1, fill);
        }
        DrawRing(canvas, r, s, look.FlatColor, look.FlatColor);
        return;
    }
    }
}

double GradientPosition(TGradientDirection direction, int x, int y, int w, int h) {
    const double fx = w > 1 ? static_cast<double>(x) / (w - 1) : 0.0;
    const double fy = h > 1 ? static_cast<double>(y) / (h - 1) : 0.0;
    const double cx = std::fabs(2 * fx - 1), cy = std::fabs(2 * fy - 1);
    switch (direction) {
    case gdDiagonalUp: return (fx + 1 - fy) / 2;
    case gdDiagonalDown: return (fx + fy) / 2;
    case gdHorizontalEnd: return fx;
    case gdHorizontalCenter: return 1 - cx;
    case gdHorizontalBox: return cx;
    case gdVerticalEnd: return fy;
    case gdVerticalCenter: return 1 - cy;
    case gdVerticalBox: return cy;
    case gdSquareBox: return std::max(cx, cy);
    case gdBigSquareBox: return (cx + cy) / 2;
    }
    return fx;
}

int Mix(int a, int b, double t) { return static_cast<int>(std::lround(a + (b - a) * t)); }

}  // namespace

int FrameStyleWidth(TBriskFrameStyle style, int bevelWidth) {
    switch (style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return bevelWidth;
    default: return 2;
    }
}

RECT BorderClientRect(const TBriskBorderLook& look, int width, int height) {
    const int inset = FrameStyleWidth(look.Outer, look.BevelWidth) + FrameStyleWidth(look.Inner, look.BevelWidth);
    RECT r = gui::Rect(0, 0, width, height);
    if (look.Sides & sdLeft) r.left += inset;
    if (look.Sides & sdTop) r.top += inset;
    if (look.Sides & sdRight) r.right -= inset;
    if (look.Sides & sdBottom) r.bottom -= inset;
    InflateRect(&r, -look.BorderWidth, -look.BorderWidth);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

void DrawBriskBorders(gui::TCanvas& canvas, const TBriskBorderLook& look, int width, int height, TColor fill) {
    RECT r = gui::Rect(0, 0, width, height);
    DrawFrame(canvas, r, look.Outer, look, fill);
    DrawFrame(canvas, r, look.Inner, look, fill);
    const RECT client = BorderClientRect(look, width, height);
    FillStrip(canvas, r.left, r.top, r.right, client.top, fill);
    FillStrip(canvas, r.left, client.bottom, r.right, r.bottom, fill);
    FillStrip(canvas, r.left, client.top, client.left, client.bottom, fill);
    FillStrip(canvas, client.right, client.top, r.right, client.bottom, fill);
}

void FillBriskGradient(HDC dc, const RECT& rect, TColor start, TColor stop, TGradientDirection direction) {
    const int w = gui::RectWidth(rect), h = gui::RectHeight(rect);
    if (!dc || w <= 0 || h <= 0) return;
    gui::DibSection dib(w, h, 32);
    if (!dib.Valid()) return;
    const COLORREF a = gui::ColorToRGB(start), b = gui::ColorToRGB(stop);
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < w; ++x) {
            const double t = GradientPosition(direction, x, y, w, h);
            row[x * 4 + 0] = static_cast<std::uint8_t>(Mix(GetBValue(a), GetBValue(b), t));
            row[x * 4 + 1] = static_cast<std::uint8_t>(Mix(GetGValue(a), GetGValue(b), t));
            row[x * 4 + 2] = static_cast<std::uint8_t>(Mix(GetRValue(a), GetRValue(b), t));
            row[x * 4 + 3] = 0;
        }
    }
    BitBlt(dc, rect.left, rect.top, w, h, dib.Dc(), 0, 0, SRCCOPY);
}

void DrawBriskGrid(gui::TCanvas& canvas, const RECT& client, const TBriskGridLook& look) {
    const int columns = look.XSize ? gui::RectWidth(client) / look.XSize : 0;
    const int rows = look.YSize ? gui::RectHeight(client) / look.YSize : 0;
    auto lineX = [&](int i) { return static_cast<int>(client.left) + i * look.XSize - 1; };
    auto lineY = [&](int j) { return static_cast<int>(client.top) + j * look.YSize - 1; };
    switch (look.Style) {
    case gsDots:
        for (int i = 1; i <= columns; ++i) {
            for (int j = 1; j <= rows; ++j) canvas.SetPixel(lineX(i), lineY(j), look.Color);
        }
        return;
    case gsSolidLines:
        canvas.Pen.SetColor(look.Color);
        canvas.Pen.SetStyle(gui::psSolid);
        for (int i = 1; i <= columns; ++i) {
            canvas.MoveTo(lineX(i), client.top);
            canvas.LineTo(lineX(i), client.bottom);
        }
        for (int j = 1; j <= rows; ++j) {
            canvas.MoveTo(client.left, lineY(j));
            canvas.LineTo(client.right, lineY(j));
        }
        return;
    case gsDottedLines:
        for (int i = 1; i <= columns; ++i) {
            for (int y = client.top + 1; y < client.bottom; y += 2) canvas.SetPixel(lineX(i), y, look.Color);
        }
        for (int j = 1; j <= rows; ++j) {
            for (int x = client.left + 1; x < client.right; x += 2) canvas.SetPixel(x, lineY(j), look.Color);
        }
        return;
    }
}

void DrawBriskCaption(gui::TCanvas& canvas, const RECT& client, const TBriskCaptionLook& look) {
    if (look.Caption.empty()) return;
    RECT text = client;
    text.left += 1;
    RECT measured = text;
    canvas.DrawText(look.Caption, measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    const int textHeight = gui::RectHeight(measured);
    if (look.Vertical == avCenter) text.top = (text.top + text.bottom - textHeight) / 2;
    if (look.Vertical == avBottom) text.top = text.bottom - textHeight - 1;
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_CENTER;
    if (look.Alignment == gui::taLeftJustify) format = DT_WORDBREAK | DT_EXPANDTABS | DT_LEFT;
    if (look.Alignment == gui::taRightJustify) format = DT_WORDBREAK | DT_EXPANDTABS | DT_RIGHT;
    canvas.Brush.SetStyle(gui::bsClear);
    if (look.Enabled) {
        canvas.DrawText(look.Caption, text, format);
    } else {
        RECT raised = text;
        OffsetRect(&raised, 1, 1);
        canvas.Font.SetColor(gui::clBtnHighlight);
        canvas.DrawText(look.Caption, raised, format);
        canvas.Font.SetColor(gui::clBtnShadow);
        canvas.DrawText(look.Caption, text, format);
    }
    canvas.Brush.SetStyle(gui::bsSolid);
}

bool TBriskFrameController::Setting(const std::wstring& name, unsigned& value) const {
    for (const auto& setting : FSettings) {
        if (setting.first != name) continue;
        value = setting.second;
        return true;
    }
    return false;
}

void TBriskFrameController::Push(const std::wstring& name, unsigned value) {
    auto it = std::find_if(FSettings.begin(), FSettings.end(), [&name](const auto& s) { return s.first == name; });
    if (it == FSettings.end()) {
        FSettings.emplace_back(name, value);
    } else {
        it->second = value;
    }
    for (TBriskCustomPanel* panel : FPanels) panel->ApplyFrameSetting(name, value);
}

void TBriskFrameController::Attach(TBriskCustomPanel* panel) {
    if (std::find(FPanels.begin(), FPanels.end(), panel) != FPanels.end()) return;
    FPanels.push_back(panel);
    FreeNotification(panel);
    for (const auto& setting : FSettings) panel->ApplyFrameSetting(setting.first, setting.second);
}

void TBriskFrameController::Detach(TBriskCustomPanel* panel) {
    FPanels.erase(std::remove(FPanels.begin(), FPanels.end(), panel), FPanels.end());
}

// Compared as components: a panel being destroyed is no longer a panel, and the component may be
// something else altogether, so casting it down would be undefined.
void TBriskFrameController::Notification(gui::TComponent* component, gui::TOperation operation) {
    if (operation != gui::opRemove) return;
    FPanels.erase(std::remove_if(FPanels.begin(), FPanels.end(),
                                 [component](TBriskCustomPanel* panel) {
                                     return static_cast<gui::TComponent*>(panel) == component;
                                 }),
                  FPanels.end());
}

TBriskCustomPanel::TBriskCustomPanel(gui::TComponent* owner)
    : gui::TCustomControl(owner), FBackgroundPicture(std::make_unique<gui::TPicture>()) {
    SetControlStyle(ControlStyle() | gui::csAcceptsControls | gui::csCaptureMouse | gui::csClickEvents |
                    gui::csDoubleClicks | gui::csOpaque);
    SetDoubleBuffered(true);
    FBackgroundPicture->OnChange = [this] {
        UpdateOpaque();
        Invalidate();
    };
    SetBounds(0, 0, 185, 41);
}

TBriskCustomPanel::~TBriskCustomPanel() {
    BeginDestroy();
    if (FFrameController) FFrameController->Detach(this);
}

void TBriskCustomPanel::UpdateOpaque() {
    const bool opaque = !FTransparent && FBackgroundPicture->Empty();
    SetControlStyle(opaque ? (ControlStyle() | gui::csOpaque) : (ControlStyle() & ~gui::csOpaque));
}

void TBriskCustomPanel::SetBackgroundPicture(const gui::TPicture& picture) {
    FBackgroundPicture->Assign(picture);
    UpdateOpaque();
    Invalidate();
}

void TBriskCustomPanel::SetTransparent(bool on) {
    if (on == FTransparent) return;
    FTransparent = on;
    UpdateOpaque();
    Invalidate();
    for (size_t i = 0; i < ControlCount(); ++i) Control(i)->Invalidate();
}

void TBriskCustomPanel::SetFrameController(TBriskFrameController* controller) {
    if (controller == FFrameController) return;
    if (FFrameController) {
        FFrameController->Detach(this);
        RemoveFreeNotification(FFrameController);
    }
    FFrameController = controller;
    if (controller) {
        FreeNotification(controller);
        controller->Attach(this);
    }
}

void TBriskCustomPanel::Notification(gui::TComponent* component, gui::TOperation operation) {
    gui::TCustomControl::Notification(component, operation);
    if (operation == gui::opRemove && component == FFrameController) FFrameController = nullptr;
}

void TBriskCustomPanel::ApplyFrameSetting(const std::wstring& name, unsigned value) {
    if (name == L"BorderColor") SetBorderColor(value);
    else if (name == L"BorderHighlight") SetBorderHighlight(value);
    else if (name == L"BorderShadow") SetBorderShadow(value);
    else if (name == L"FlatColor") SetFlatColor(value);
    else if (name == L"BorderOuter" && value <= fsFlatRounded) SetBorderOuter(static_cast<TBriskFrameStyle>(value));
    else if (name == L"BorderInner" && value <= fsFlatRounded) SetBorderInner(static_cast<TBriskFrameStyle>(value));
}

RECT TBriskCustomPanel::ClientRect() const {
    RECT r = BorderClientRect(FBorder, Width(), Height());
    return gui::Rect(0, 0, gui::RectWidth(r), gui::RectHeight(r));
}

void TBriskCustomPanel::SetBounds(int left, int top, int width, int height) {
    if (Align() == gui::alBottom && height != Height()) top = Top() + Height() - height;
    if (Align() == gui::alRight && width != Width()) left = Left() + Width() - width;
    gui::TCustomControl::SetBounds(left, top, width, height);
}

void TBriskCustomPanel::FrameChanged() {
    if (HandleAllocated()) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    }
    Realign();
}

void TBriskCustomPanel::EnabledChanged() {
    gui::TCustomControl::EnabledChanged();
    if (!Enabled()) {
        FChildEnabled.clear();
        for (size_t i = 0; i < ControlCount(); ++i) {
            gui::TControl* child = Control(i);
            FChildEnabled.emplace_back(child, child->Enabled());
            child->SetEnabled(false);
        }
    } else {
        for (size_t i = 0; i < ControlCount(); ++i) {
            gui::TControl* child = Control(i);
            auto record = std::find_if(FChildEnabled.begin(), FChildEnabled.end(), [child](const auto& r) { return r.first == child; });
            if (record == FChildEnabled.end() || record->second) child->SetEnabled(true);
        }
        FChildEnabled.clear();
    }
    Repaint();
}

bool TBriskCustomPanel::OwnScreenDc(HDC dc) {
    return DoubleBuffered() && HandleAllocated() && WindowFromDC(dc) == Handle();
}

// The parent paints into a buffer of the panel's client size, which is then copied in, so that
// the parent's painting never lands on the panel's own drawing outside the area beneath it.
void TBriskCustomPanel::PaintParentBackground(HDC dc) {
    gui::TWinControl* parent = Parent();
    if (!parent || !parent->HandleAllocated() || OwnScreenDc(dc)) return;
    const RECT client = BorderClientRect(FBorder, Width(), Height());
    // The client origin in the parent's coordinates, borders included.
    const RECT beneath = gui::Bounds(Left() + client.left, Top() + client.top, ClientWidth(), ClientHeight());
    gui::DibSection capture(ClientWidth(), ClientHeight(), 32);
    try {
        gui::PaintParentArea(*parent, capture.Valid() ? capture.Dc() : dc, beneath);
    } catch (const std::exception& error) {
        gui::HandleWindowException(error);
    }
    if (capture.Valid()) {
        RECT copied{};
        const RECT parentClient = parent->ClientRect();
        if (IntersectRect(&copied, &beneath, &parentClient)) {
            OffsetRect(&copied, -beneath.left, -beneath.top);
            GdiFlush();
            BitBlt(dc, copied.left, copied.top, gui::RectWidth(copied), gui::RectHeight(copied), capture.Dc(), copied.left,
                   copied.top, SRCCOPY);
        }
    }
    if (!dynamic_cast<gui::TCustomControl*>(parent) && !dynamic_cast<gui::TForm*>(parent)) parent->Invalidate();
}

void TBriskCustomPanel::DrawBackgroundPicture(HDC dc) {
    gui::TGraphic* graphic = FBackgroundPicture->Graphic();
    if (!graphic || !Parent() || OwnScreenDc(dc)) return;
    gui::TCanvas canvas(dc);
    if (FBackgroundOptions & poStretch) {
        canvas.StretchDraw(ClientRect(), *graphic);
        return;
    }
    if (!FTransparent) {
        RECT clip{0, 0, 0, 0};
        GetClipBox(dc, &clip);
        canvas.Brush.SetColor(gui::clWhite);
        canvas.FillRect(clip);
    }
    canvas.Draw(0, 0, *graphic);
}

bool TBriskCustomPanel::EraseBackground(HDC dc) {
    if (!FBackgroundPicture->Empty()) {
        if (FTransparent) PaintParentBackground(dc);
        DrawBackgroundPicture(dc);
        return true;
    }
    if (FTransparent) {
        PaintParentBackground(dc);
        return true;
    }
    return gui::TCustomControl::EraseBackground(dc);
}

void TBriskCustomPanel::Paint() {
    gui::TCanvas& canvas = Canvas();
    const RECT client = ClientRect();
    if (!FTransparent) {
        if (FUseGradients) {
            const bool themed = FThemeAware && ThemesEnabled();
            FillBriskGradient(canvas.Handle(), client, themed ? gui::clInactiveCaptionText : FGradientColorStart,
                              themed ? gui::clInactiveCaption : FGradientColorStop, FGradientDirection);
        } else if (FBackgroundPicture->Empty()) {
            canvas.Brush.SetStyle(gui::bsSolid);
            canvas.Brush.SetColor(Color());
            canvas.FillRect(client);
        }
    }
    if (FShowGrid) DrawBriskGrid(canvas, client, FGrid);
    canvas.Font = Font();
    DrawBriskCaption(canvas, client, TBriskCaptionLook{Caption(), FAlignment, FAlignmentVertical, Enabled()});
    if (OnPaint) OnPaint(this);
}

void TBriskCustomPanel::WMNCCalcSize(gui::TMessage& m) {
    DefaultHandler(m);
    RECT* proposed = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
    RECT inner = BorderClientRect(FBorder, gui::RectWidth(*proposed), gui::RectHeight(*proposed));
    OffsetRect(&inner, proposed->left, proposed->top);
    *proposed = inner;
}

void TBriskCustomPanel::WMNCPaint() {
    gui::WindowDc dc(Handle(), true);
    if (!dc.Get()) return;
    const RECT client = BorderClientRect(FBorder, Width(), Height());
    ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
    FNCCanvas.SetHandle(dc.Get());
    DrawBriskBorders(FNCCanvas, FBorder, Width(), Height(), Color());
    FNCCanvas.SetHandle(nullptr);
}

// The strips along the right and bottom edges that the borders occupy, from one pixel inside
// the inner border to the farther of the old and new edges.
void TBriskCustomPanel::InvalidateBorderStrips(int oldWidth, int oldHeight) {
    const RECT client = BorderClientRect(FBorder, Width(), Height());
    const int farRight = std::max(oldWidth, Width()) - client.left;
    const int farBottom = std::max(oldHeight, Height()) - client.top;
    if (oldWidth != Width()) {
        RECT strip = gui::Rect(gui::RectWidth(client) - 1, -client.top, farRight, farBottom);
        RedrawWindow(Handle(), &strip, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
    }
    if (oldHeight != Height()) {
        RECT strip = gui::Rect(-client.left, gui::RectHeight(client) - 1, farRight, farBottom);
        RedrawWindow(Handle(), &strip, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
    }
}

void TBriskCustomPanel::WMWindowPosChanged(gui::TMessage& m) {
    const SIZE old = FLastSize;
    gui::TCustomControl::WndProc(m);
    FLastSize = SIZE{Width(), Height()};
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if ((pos->flags & SWP_NOMOVE) && (pos->flags & SWP_NOSIZE)) return;
    if (FFullRepaint || !Caption().empty()) {
        Invalidate();
    } else {
        InvalidateBorderStrips(old.cx, old.cy);
    }
}

void TBriskCustomPanel::WndProc(gui::TMessage& m) {
    switch (m.Msg) {
    case WM_NCCALCSIZE: WMNCCalcSize(m); return;
    case WM_NCPAINT:
        if (FBorder.Outer == fsNone && FBorder.Inner == fsNone && FBorder.BorderWidth == 0) break;
        WMNCPaint();
        m.Result = 0;
        return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case CM_ISTOOLCONTROL:
        if (FLocked) break;
        m.Result = 1;
        return;
    }
    gui::TCustomControl::WndProc(m);
}

namespace {

const gui::TIdentTable<TBriskFrameStyle> kFrameStyleIdents = {
    {L"fsNone", fsNone}, {L"fsFlat", fsFlat}, {L"fsGroove", fsGroove}, {L"fsBump", fsBump},
    {L"fsLowered", fsLowered}, {L"fsButtonDown", fsButtonDown}, {L"fsRaised", fsRaised},
    {L"fsButtonUp", fsButtonUp}, {L"fsStatus", fsStatus}, {L"fsPopup", fsPopup},
    {L"fsFlatBold", fsFlatBold}, {L"fsFlatRounded", fsFlatRounded},
};
const gui::TIdentTable<TBriskSides> kSideIdents = {
    {L"sdLeft", sdLeft}, {L"sdTop", sdTop}, {L"sdRight", sdRight}, {L"sdBottom", sdBottom}};
const gui::TIdentTable<TVerticalAlignment> kVerticalIdents = {{L"avTop", avTop}, {L"avCenter", avCenter}, {L"avBottom", avBottom}};
const gui::TIdentTable<TBackgroundOptions> kBackgroundOptionIdents = {{L"poStretch", poStretch}};
const gui::TIdentTable<TGradientDirection> kGradientIdents = {
    {L"gdDiagonalUp", gdDiagonalUp}, {L"gdDiagonalDown", gdDiagonalDown}, {L"gdHorizontalEnd", gdHorizontalEnd},
    {L"gdHorizontalCenter", gdHorizontalCenter}, {L"gdHorizontalBox", gdHorizontalBox}, {L"gdVerticalEnd", gdVerticalEnd},
    {L"gdVerticalCenter", gdVerticalCenter}, {L"gdVerticalBox", gdVerticalBox}, {L"gdSquareBox", gdSquareBox},
    {L"gdBigSquareBox", gdBigSquareBox},
};
const gui::TIdentTable<TGridStyle> kGridStyleIdents = {{L"gsDots", gsDots}, {L"gsDottedLines", gsDottedLines}, {L"gsSolidLines", gsSolidLines}};

unsigned short GridSize(const gui::TWindowDataValue& value) {
    const long long size = gui::IntegerValue(value);
    if (size < 0 || size > 0xFFFF) throw gui::EWindowDataBadValue(L"integer 0..65535 expected");
    return static_cast<unsigned short>(size);
}

}  // namespace

void RegisterBriskPanelWindowData() {
    using Panel = TBriskPanel;
    using Value = const gui::TWindowDataValue&;
    using Reader = gui::TWindowDataReader&;
    auto table = gui::TPropertyTable<Panel>();
    table.Enum(L"Alignment", &Panel::SetAlignment, gui::kAlignmentIdents)
        .Enum(L"AlignmentVertical", &Panel::SetAlignmentVertical, kVerticalIdents)
        // Loaded into the panel's own picture object, as the designer's data does.
        .Add(L"BackgroundPicture", [](Panel& p, Value v, Reader reader) { p.BackgroundPicture().SetGraphic(reader.Picture(v)); })
        .Set(L"BackgroundOptions", &Panel::SetBackgroundOptions, kBackgroundOptionIdents)
        .Boolean(L"Transparent", &Panel::SetTransparent)
        .Enum(L"BorderOuter", &Panel::SetBorderOuter, kFrameStyleIdents)
        .Enum(L"BorderInner", &Panel::SetBorderInner, kFrameStyleIdents)
        .Set(L"BorderSides", &Panel::SetBorderSides, kSideIdents)
        .Color(L"BorderColor", &Panel::SetBorderColor)
        .Color(L"BorderHighlight", &Panel::SetBorderHighlight)
        .Color(L"BorderShadow", &Panel::SetBorderShadow)
        .Integer(L"BorderWidth", &Panel::SetBorderWidth)
        .Integer(L"BevelWidth", &Panel::SetBevelWidth)
        .Color(L"FlatColor", &Panel::SetFlatColor)
        .Integer(L"FlatColorAdjustment", &Panel::SetFlatColorAdjustment)
        .Boolean(L"UseGradients", &Panel::SetUseGradients)
        .Color(L"GradientColorStart", &Panel::SetGradientColorStart)
        .Color(L"GradientColorStop", &Panel::SetGradientColorStop)
        .Enum(L"GradientDirection", &Panel::SetGradientDirection, kGradientIdents)
        .Boolean(L"ThemeAware", &Panel::SetThemeAware)
        .Boolean(L"ShowGrid", &Panel::SetShowGrid)
        .Color(L"GridColor", &Panel::SetGridColor)
        .Enum(L"GridStyle", &Panel::SetGridStyle, kGridStyleIdents)
        .Add(L"GridXSize", [](Panel& p, Value v, Reader) { p.SetGridXSize(GridSize(v)); })
        .Add(L"GridYSize", [](Panel& p, Value v, Reader) { p.SetGridYSize(GridSize(v)); })
        .Boolean(L"FullRepaint", &Panel::SetFullRepaint)
        .Boolean(L"Locked", &Panel::SetLocked)
        .Add(L"FrameController", [](Panel& p, Value v, Reader reader) {
            reader.Fixup([&p, v, &reader] {
                auto* controller = dynamic_cast<TBriskFrameController*>(&reader.ComponentNamed(v));
                if (!controller) throw gui::EWindowDataBadValue(L"frame controller expected");
                p.SetFrameController(controller);
            });
        })
        .Boolean(L"ShowDockClientCaptions", &Panel::SetShowDockClientCaptions)
        .Boolean(L"DockSite", &Panel::SetDockSite)
        .Boolean(L"UseDockManager", &Panel::SetUseDockManager)
        .Boolean(L"AutoSize", &Panel::SetAutoSize)
        .Boolean(L"Ctl3D", &Panel::SetCtl3D)
        .Boolean(L"ParentCtl3D", &Panel::SetParentCtl3D)
        .Event(L"OnPaint", &Panel::OnPaint);
    for (const wchar_t* designerOnly : {L"BiDiMode", L"ParentBiDiMode", L"DragCursor", L"DragKind", L"DragMode",
                                        L"ParentShowHint", L"Constraints.MinWidth", L"Constraints.MinHeight",
                                        L"Constraints.MaxWidth", L"Constraints.MaxHeight"}) {
        table.Ignored(designerOnly);
    }
    gui::RegisterWindowDataClass(L"TBriskPanel", L"TCustomControl", gui::FactoryOf<Panel>(), table.Entries());
    gui::RegisterWindowDataClass(L"TBriskFrameController", L"TComponent", gui::FactoryOf<TBriskFrameController>(), {});
}
