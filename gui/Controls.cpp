#include "gui/Controls.h"

#include "gui/Forms.h"
#include "gui/WinControl.h"

#include <cwctype>

namespace gui {

namespace {

// Plain pointers, no destructors: the global Application may outlive every other static.
TControl* g_mouseControl = nullptr;
TControl* g_captureControl = nullptr;
TControlCanvas* g_acquiredCanvases = nullptr;

}  // namespace

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    return s;
}

HCURSOR CursorHandle(TCursor cursor) {
    const wchar_t* id = nullptr;
    switch (cursor) {
    case crDefault: return nullptr;
    case crArrow: id = IDC_ARROW; break;
    case crHandPoint: id = IDC_HAND; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crCross: id = IDC_CROSS; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    }
    return LoadCursorW(nullptr, id);
}

TControl* MouseControl() { return g_mouseControl; }
TControl* CaptureControl() { return g_captureControl; }

void SetMouseControl(TControl* control) {
    if (control == g_mouseControl) return;
    TControl* old = g_mouseControl;
    g_mouseControl = control;
    if (old) old->MouseLeave();
    if (control && g_mouseControl == control) control->MouseEnter();
}

bool IsAccel(wchar_t ch, const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i;
            continue;
        }
        return std::towupper(caption[i + 1]) == std::towupper(ch);
    }
    return false;
}

void TControlCanvas::CreateHandle() {
    HWND window = nullptr;
    TWinControl* asWindowed = dynamic_cast<TWinControl*>(&control_);
    if (asWindowed) {
        window = asWindowed->Handle();
    } else if (control_.Parent()) {
        window = control_.Parent()->Handle();
    }
    if (!window) return;
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) return;
    if (!asWindowed) {
        SetViewportOrgEx(dc, control_.Left(), control_.Top(), nullptr);
        IntersectClipRect(dc, 0, 0, control_.Width(), control_.Height());
    }
    window_ = window;
    dc_ = dc;
    acquired_ = true;
    nextAcquired_ = g_acquiredCanvases;
    g_acquiredCanvases = this;
}

void TControlCanvas::FreeHandle() {
    if (!acquired_) return;
    ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
    acquired_ = false;
    for (TControlCanvas** link = &g_acquiredCanvases; *link; link = &(*link)->nextAcquired_) {
        if (*link == this) {
            *link = nextAcquired_;
            break;
        }
    }
    nextAcquired_ = nullptr;
}

void TControlCanvas::SetPaintHandle(HDC dc) {
    FreeHandle();
    SetHandle(dc);
}

void FreeDeviceContexts() {
    while (g_acquiredCanvases) g_acquiredCanvases->FreeHandle();
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        if (!applyingParentFont_) parentFont_ = false;
        FontChanged();
        TWinControl* self = dynamic_cast<TWinControl*>(this);
        if (!self) return;
        for (size_t i = 0; i < self->ControlCount(); ++i) self->Control(i)->ParentFontChanged();
    };
}

TControl::~TControl() {
    BeginDestroy();
    if (g_mouseControl == this) g_mouseControl = nullptr;
    if (g_captureControl == this) g_captureControl = nullptr;
    if (parent_) SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        Invalidate();
        parent_->RemoveControl(this);
    }
    parent_ = parent;
    if (!parent_) return;
    parent_->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
    UpdateAnchorBase();
    RequestAlign();
    Invalidate();
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(left, top, width, height);
    UpdateAnchorBase();
    RequestAlign();
}

void TControl::ApplyBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    if (resized) Resize();
}

POINT TControl::ClientToScreen(POINT p) const {
    const TControl* c = this;
    while (c && !c->windowed_) {
        p.x += c->left_;
        p.y += c->top_;
        c = c->parent_;
    }
    if (c) {
        auto* w = const_cast<TWinControl*>(static_cast<const TWinControl*>(c));
        ::ClientToScreen(w->Handle(), &p);
    }
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    POINT origin = ClientToScreen(POINT{0, 0});
    return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    UpdateAnchorBase();
}

void TControl::UpdateAnchorBase() {
    anchorBase_ = BoundsRect();
    if (parent_) {
        RECT r = parent_->AlignRect();
        anchorParent_ = SIZE{RectWidth(r), RectHeight(r)};
    }
}

// Anchored on both sides a control stretches with its parent; on the far side only it moves;
// on neither it keeps its centre at the same share of the parent.
void TControl::ApplyAnchors(int parentWidth, int parentHeight) {
    if (anchors_ == (akLeft | akTop) || anchorParent_.cx <= 0 || anchorParent_.cy <= 0) return;
    int left = anchorBase_.left, top = anchorBase_.top;
    int width = RectWidth(anchorBase_), height = RectHeight(anchorBase_);
    const int dx = parentWidth - anchorParent_.cx, dy = parentHeight - anchorParent_.cy;
    if ((anchors_ & akRight) && (anchors_ & akLeft)) {
        width += dx;
    } else if (anchors_ & akRight) {
        left += dx;
    } else if (!(anchors_ & akLeft)) {
        left = MulDiv(left + width / 2, parentWidth, anchorParent_.cx) - width / 2;
    }
    if ((anchors_ & akBottom) && (anchors_ & akTop)) {
        height += dy;
    } else if (anchors_ & akBottom) {
        top += dy;
    } else if (!(anchors_ & akTop)) {
        top = MulDiv(top + height / 2, parentHeight, anchorParent_.cy) - height / 2;
    }
    ApplyBounds(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height);
}

void TControl::RequestAlign() {
    if (parent_) parent_->RealignFor(this);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    if (!visible) Invalidate();
    visible_ = visible;
    if (visible) Invalidate();
    if (!visible && g_mouseControl == this) SetMouseControl(nullptr);
    VisibleChanged();
    RequestAlign();
    // A page or a picture that comes or goes can move the element that has the focus.
    if (TForm* form = ParentForm()) form->AccessibleFocusMayHaveMoved();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

bool TControl::EffectivelyEnabled() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->enabled_) return false;
    }
    return true;
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
    TWinControl* self = dynamic_cast<TWinControl*>(this);
    if (!self) return;
    for (size_t i = 0; i < self->ControlCount(); ++i) self->Control(i)->ParentColorChanged();
}

void TControl::SetParentColor(bool on) {
    parentColor_ = on;
    ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_ || parent_->Color() == color_) return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::SetParentFont(bool on) {
    parentFont_ = on;
    ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    applyingParentFont_ = true;
    font_ = parent_->Font();
    applyingParentFont_ = false;
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    TextChanged();
}

bool TControl::MouseCapture() const { return g_captureControl == this; }

void TControl::SetMouseCapture(bool on) {
    if (on == MouseCapture()) return;
    const TControl* windowOwner = windowed_ ? this : parent_;
    HWND window = windowOwner ? const_cast<TWinControl*>(static_cast<const TWinControl*>(windowOwner))->Handle() : nullptr;
    if (on) {
        g_captureControl = this;
        if (window) SetCapture(window);
    } else {
        g_captureControl = nullptr;
        if (window && GetCapture() == window) ReleaseCapture();
    }
}

bool TControl::MouseInControl() const { return g_mouseControl == this; }

void TControl::Invalidate() {
    if (windowed_ || !parent_ || !parent_->HandleAllocated() || !visible_) return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, (controlStyle_ & csOpaque) ? FALSE : TRUE);
}

void TControl::SetFocusMark(bool on) {
    if (on == focusMark_) return;
    focusMark_ = on;
    Invalidate();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::BringToFront() {
    if (!parent_) return;
    TWinControl* parent = parent_;
    parent->RemoveControl(this);
    parent->InsertControl(this);
    Invalidate();
}

void TControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick) {
    if (doubleClick && !(controlStyle_ & csDoubleClicks)) doubleClick = false;
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
    if (button == mbLeft && (controlStyle_ & csClickEvents)) clicked_ = !doubleClick;
    if (doubleClick) {
        shift |= ssDouble;
        if (controlStyle_ & csClickEvents) DblClick();
    }
    MouseDown(button, shift, x, y);
}

void TControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
    if (button == mbLeft && clicked_) {
        clicked_ = false;
        RECT client = ClientRect();
        POINT p{x, y};
        if (PtInRect(&client, p)) Click();
    }
    MouseUp(button, shift, x, y);
}

void TControl::HandleMouseMove(TShiftState shift, int x, int y) { MouseMove(shift, x, y); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(*this) {}

void TGraphicControl::PaintTo(HDC dc) {
    canvas_.PaintOn(dc, [this] { Paint(); });
}

}  // namespace gui
