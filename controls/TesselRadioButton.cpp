#include "controls/TesselRadioButton.h"

#include "gui/Accessible.h"
#include "gui/Dpi.h"
#include "gui/Gdi.h"
#include "gui/Forms.h"
#include "gui/ParentBackground.h"
#include "gui/WindowDataRegistry.h"

#include <oleacc.h>

#include <algorithm>
#include <exception>

using gui::TCanvas;
using gui::TColor;

namespace {

// The size the platform gives a new radio button.
constexpr int kDefaultWidth = 113;
constexpr int kDefaultHeight = 17;
constexpr int kCheckPointInset = 3;
constexpr int kGlyphFrames = 5;

bool SameSize(const gui::TBitmap& bitmap, int width, int height) {
    return bitmap.Width() == width && bitmap.Height() == height;
}

}  // namespace

// At 96 DPI, whatever scale the program runs at: the drawing scales it with the window.
int TTesselRadioButton::SystemThumbWidth() { return gui::SystemMetricForDpi(SM_CXHTHUMB, gui::kDesignDpi) - 4; }

TTesselRadioButton::TTesselRadioButton(gui::TComponent* owner)
    : gui::TCustomControl(owner), FThumbWidth(SystemThumbWidth()) {
    SetControlStyle(gui::csCaptureMouse | gui::csClickEvents | gui::csDoubleClicks);
    SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
    SetTabStop(true);
    SetColor(gui::clWindow);
    SetParentColor(true);
    auto glyphChanged = [this](gui::TPicture& picture) {
        if (picture.Graphic()) picture.Graphic()->SetTransparent(true);
        UpdateLook();
    };
    FGlyph.OnChange = [this, glyphChanged] { glyphChanged(FGlyph); };
    FCheckedGlyph.OnChange = [this, glyphChanged] { glyphChanged(FCheckedGlyph); };
}

long TTesselRadioButton::ClassAccessibleRole() const { return ROLE_SYSTEM_RADIOBUTTON; }

DWORD TTesselRadioButton::AccessibleState() const { return FChecked ? STATE_SYSTEM_CHECKED : 0; }

void TTesselRadioButton::SetChecked(bool checked) {
    if (checked == FChecked) return;
    FChecked = checked;
    if (HandleAllocated()) {
        Perform(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    } else {
        FHot = false;
    }
    gui::NotifyAccessibleState(*this);
    if (!checked) return;
    UncheckSiblings();
    Click();
}

void TTesselRadioButton::UncheckSiblings() {
    gui::TWinControl* parent = Parent();
    if (!parent) return;
    for (size_t i = 0; i < parent->ControlCount(); ++i) {
        auto* sibling = dynamic_cast<TTesselRadioButton*>(parent->Control(i));
        if (sibling && sibling != this) sibling->SetChecked(false);
    }
}

void TTesselRadioButton::SetAlignment(gui::TAlignment alignment) {
    FAlignment = alignment == gui::taRightJustify ? gui::taRightJustify : gui::taLeftJustify;
    UpdateLook();
}

void TTesselRadioButton::SetTransparent(bool on) {
    FTransparent = on;
    UpdateLook();
}

void TTesselRadioButton::SetLookColor(TColor& field, TColor value) {
    field = value;
    UpdateLook();
}

void TTesselRadioButton::SetThumbWidth(int width) {
    FThumbWidth = width < 2 ? SystemThumbWidth() : width;
    UpdateLook();
}

void TTesselRadioButton::SetIconSpace(int space) {
    FIconSpace = space;
    UpdateLook();
}

void TTesselRadioButton::SetDrawFocusRect(bool on) {
    FDrawFocusRect = on;
    UpdateLook();
}

void TTesselRadioButton::UpdateLook() {
    if (!Visible() || !HandleAllocated()) return;
    const bool glyphNeedsErase = (FChecked && !FGlyph.Empty()) || (!FChecked && !FCheckedGlyph.Empty());
    if (FTransparent || glyphNeedsErase) {
        Invalidate();
        return;
    }
    if (ParentForm()) DrawTo(Canvas().Handle());
}

void TTesselRadioButton::WndProc(gui::TMessage& m) {
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        gui::TCustomControl::WndProc(m);
        LeftButtonDown();
        return;
    case WM_LBUTTONUP:
        LeftButtonUp(m);
        return;
    case BM_SETCHECK:
    case BM_GETCHECK:
        gui::TCustomControl::WndProc(m);
        if (m.Msg == BM_GETCHECK) m.Result = FChecked ? BST_CHECKED : BST_UNCHECKED;
        FHot = false;
        UpdateLook();
        return;
    default:
        gui::TCustomControl::WndProc(m);
    }
}

void TTesselRadioButton::LeftButtonDown() {
    if (CanFocus() && !Focused()) SetFocus();
    FPressedByMouse = true;
    UpdateLook();
}

// The release checks the button wherever it happens; the framework's own click on a release
// inside is cancelled, so OnClick fires only from the change of the check state.
void TTesselRadioButton::LeftButtonUp(gui::TMessage& m) {
    CancelClick();
    gui::TCustomControl::WndProc(m);
    FPressedByMouse = false;
    SetChecked(true);
    UpdateLook();
}

void TTesselRadioButton::MouseEnter() {
    gui::TCustomControl::MouseEnter();
    if (!Enabled()) return;
    FHot = true;
    UpdateLook();
}

void TTesselRadioButton::MouseLeave() {
    gui::TCustomControl::MouseLeave();
    if (!Enabled()) return;
    FHot = false;
    UpdateLook();
}

void TTesselRadioButton::FocusReceived() {
    FHot = true;
    UpdateLook();
}

void TTesselRadioButton::FocusLost() {
    FHot = false;
    UpdateLook();
}

void TTesselRadioButton::DoExit() {
    FHot = false;
    UpdateLook();
    gui::TCustomControl::DoExit();
}

void TTesselRadioButton::FocusChanged(gui::TWinControl*) { UpdateLook(); }

void TTesselRadioButton::KeyDown(WORD& key, gui::TShiftState shift) {
    gui::TCustomControl::KeyDown(key, shift);
    if (!EffectivelyEnabled()) return;
    if (key == VK_SPACE) {
        FPressedByKey = true;
        if (!FSpaceHeld) {
            FSpaceHeld = true;
            UpdateLook();
        }
        SetChecked(true);
    } else if (key == VK_RETURN && FTabOnEnter) {
        PostMessageW(Handle(), WM_KEYDOWN, VK_TAB, 0);
        key = 0;
    }
}

void TTesselRadioButton::KeyUp(WORD& key, gui::TShiftState shift) {
    gui::TCustomControl::KeyUp(key, shift);
    if (!EffectivelyEnabled() || key != VK_SPACE) return;
    FPressedByKey = false;
    FSpaceHeld = false;
    UpdateLook();
}

void TTesselRadioButton::TextChanged() {
    gui::TCustomControl::TextChanged();
    UpdateLook();
}

void TTesselRadioButton::ColorChanged() { UpdateLook(); }

void TTesselRadioButton::EnabledChanged() {
    if (!Enabled()) FocusLost();
    gui::TCustomControl::EnabledChanged();
    UpdateLook();
}

bool TTesselRadioButton::EraseBackground(HDC) {
    if (FTransparent && !Destroying()) CaptureParentBackground();
    return true;
}

// The parent paints itself into the cache. A parent that fails halfway leaves what it had
// painted.
void TTesselRadioButton::CaptureParentBackground() {
    gui::TWinControl* parent = Parent();
    if (!parent || !parent->HandleAllocated() || Width() <= 0 || Height() <= 0) return;
    if (!SameSize(FBackground, Width(), Height())) FBackground.SetSize(Width(), Height());
    try {
        gui::PaintParentArea(*parent, FBackground.Canvas().Handle(), BoundsRect());
    } catch (const std::exception&) {
    }
}

void TTesselRadioButton::CaptureFromParentCanvas() {
    auto* parent = dynamic_cast<gui::TCustomControl*>(Parent());
    if (!parent || Width() <= 0 || Height() <= 0) return;
    FBackground.SetSize(Width(), Height());
    BitBlt(FBackground.Canvas().Handle(), 0, 0, Width(), Height(), parent->Canvas().Handle(), Left(), Top(), SRCCOPY);
}

void TTesselRadioButton::PaintBackground(TCanvas& canvas, const RECT& client) {
    if (!FTransparent) {
        canvas.Brush.SetStyle(gui::bsSolid);
        canvas.Brush.SetColor(Color());
        canvas.FillRect(client);
        return;
    }
    if (!SameSize(FBackground, Width(), Height())) {
        auto* parent = dynamic_cast<gui::TCustomControl*>(Parent());
        if (parent && parent->Canvas().HandleAllocated()) {
            CaptureFromParentCanvas();
        } else {
            CaptureParentBackground();
        }
    }
    if (!FBackground.Empty()) {
        BitBlt(canvas.Handle(), 0, 0, Width(), Height(), FBackground.Canvas().Handle(), 0, 0, SRCCOPY);
    }
}

gui::TPicture* TTesselRadioButton::CurrentGlyph() {
    if (!FChecked && !FGlyph.Empty()) return &FGlyph;
    if (FChecked && !FCheckedGlyph.Empty()) return &FCheckedGlyph;
    return nullptr;
}

// Draws the glyph frame or the circle in box; returns the rectangle the caption follows.
RECT TTesselRadioButton::DrawMark(TCanvas& canvas, const TRadioLook& look, RECT box) {
    if (gui::TPicture* glyph = CurrentGlyph()) {
        const int w = glyph->Width() / kGlyphFrames, h = glyph->Height();
        int frame = 0;
        if (look.Focused) frame = 1;
        if (look.Hot) frame = 2;
        if (look.PressedByMouse) frame = 3;
        if (!look.Enabled) frame = 4;
        const int x = box.left + (gui::RectWidth(box) - w) / 2;
        const int y = box.top + (gui::RectHeight(box) - h) / 2;
        const RECT frameRect = gui::Bounds(x, y, w, h);
        TCanvas::StateScope state(canvas);
        canvas.IntersectClip(frameRect);
        canvas.Draw(x - frame * w, y, *glyph->Graphic());
        return frameRect;
    }
    TColor fill = look.Hot ? FMouseInInnerColor : FMouseOutInnerColor;
    TColor outline = look.Hot ? FMouseInBorderColor : FMouseOutBorderColor;
    if (look.PressedByMouse || look.PressedByKey) {
        fill = FSelectColor;
        outline = FSelectBorderColor;
    }
    canvas.Pen.SetStyle(gui::psSolid);
    canvas.Pen.SetWidth(Scaled(1));
    canvas.Pen.SetColor(look.Enabled ? outline : FDisabledColor);
    canvas.Brush.SetStyle(gui::bsSolid);
    canvas.Brush.SetColor(fill);
    canvas.Ellipse(box);
    if (look.Checked) {
        RECT point = box;
        InflateRect(&point, -Scaled(kCheckPointInset), -Scaled(kCheckPointInset));
        canvas.Pen.SetColor(look.Enabled ? gui::clHighlight : FDisabledColor);
        canvas.Brush.SetColor(FCheckPointColor);
        canvas.Ellipse(point);
    }
    return box;
}

void TTesselRadioButton::DrawCaption(TCanvas& canvas, const TRadioLook& look, const RECT& box) {
    canvas.Font = Font();
    if (!look.Enabled) canvas.Font.SetColor(FDisabledColor);
    const std::wstring& text = Caption();
    const SIZE extent = canvas.TextExtent(text);
    RECT r;
    r.top = look.Client.top + (look.Client.bottom - look.Client.top - extent.cy) / 2;
    r.bottom = r.top + extent.cy;
    r.left = box.right + Scaled(FIconSpace);
    r.right = look.Client.right - Scaled(2);
    if (FAlignment == gui::taRightJustify) r.left = std::max<LONG>(r.left, r.right - extent.cx);
    canvas.Brush.SetStyle(gui::bsClear);
    canvas.TextRect(r, r.left, r.top, text);
    if (!FDrawFocusRect || !look.Focused) return;
    InflateRect(&r, Scaled(1), Scaled(1));
    canvas.Pen.SetColor(gui::clBlack);
    canvas.Pen.SetStyle(gui::psDot);
    canvas.Rectangle(r);
}

TRadioLook TTesselRadioButton::Look() {
    TRadioLook look;
    look.Client = ClientRect();
    look.Checked = FChecked;
    look.Hot = FHot;
    look.PressedByMouse = FPressedByMouse;
    look.PressedByKey = FPressedByKey;
    look.Focused = Focused();
    look.Enabled = EffectivelyEnabled();
    return look;
}

void TTesselRadioButton::DrawTo(HDC dc) {
    if (!dc || Width() <= 0 || Height() <= 0) return;
    const TRadioLook look = Look();
    const gui::DoubleBuffer buffer(dc, gui::Rect(0, 0, Width(), Height()));
    TCanvas canvas(buffer.Get());
    PaintBackground(canvas, look.Client);
    const int thumb = Scaled(FThumbWidth);
    const int top = look.Client.top + (look.Client.bottom - look.Client.top - thumb) / 2;
    const RECT mark = DrawMark(canvas, look, gui::Bounds(look.Client.left, top, thumb, thumb));
    DrawCaption(canvas, look, mark);
}

void TTesselRadioButton::Paint() {
    if (ParentForm()) DrawTo(Canvas().Handle());
}

void RegisterTesselRadioButtonWindowData() {
    using Button = TTesselRadioButton;
    using Value = const gui::TWindowDataValue&;
    using Reader = gui::TWindowDataReader&;
    gui::RegisterWindowDataClass(
        L"TTesselRadioButton", L"TCustomControl", gui::FactoryOf<Button>(),
        gui::TPropertyTable<Button>()
            .Boolean(L"Checked", &Button::SetChecked)
            .Enum(L"Alignment", &Button::SetAlignment, gui::kAlignmentIdents)
            .Boolean(L"Transparent", &Button::SetTransparent)
            .Color(L"CheckPointColor", &Button::SetCheckPointColor)
            .Color(L"DisabledColor", &Button::SetDisabledColor)
            .Color(L"MouseOutBorderColor", &Button::SetMouseOutBorderColor)
            .Color(L"MouseOutInnerColor", &Button::SetMouseOutInnerColor)
            .Color(L"MouseInBorderColor", &Button::SetMouseInBorderColor)
            .Color(L"MouseInInnerColor", &Button::SetMouseInInnerColor)
            .Color(L"CheckedAreaSelectBorderColor", &Button::SetCheckedAreaSelectBorderColor)
            .Color(L"CheckedAreaSelectColor", &Button::SetCheckedAreaSelectColor)
            .Color(L"FocusBorderColor", &Button::SetFocusBorderColor)
            .Color(L"FocusInnerColor", &Button::SetFocusInnerColor)
            .Color(L"UnFocusBorderColor", &Button::SetUnFocusBorderColor)
            .Color(L"UnFocusInnerColor", &Button::SetUnFocusInnerColor)
            .Integer(L"ThumbWidth", &Button::SetThumbWidth)
            .Integer(L"IconSpace", &Button::SetIconSpace)
            .Boolean(L"DrawFocusRect", &Button::SetDrawFocusRect)
            .Boolean(L"TabOnEnter", &Button::SetTabOnEnter)
            .Add(L"Glyph", [](Button& b, Value v, Reader reader) { b.Glyph().SetGraphic(reader.Picture(v)); })
            .Add(L"CheckedGlyph", [](Button& b, Value v, Reader reader) { b.CheckedGlyph().SetGraphic(reader.Picture(v)); })
            .Ignored(L"Ctl3D")
            .Ignored(L"ParentCtl3D")
            .Ignored(L"BiDiMode")
            .Ignored(L"ParentBiDiMode")
            .Entries());
}
