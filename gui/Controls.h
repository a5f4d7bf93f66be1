#pragma once
// The control tree. TControl is the windowless base: it paints on its parent's DC during the
// parent's paint and gets its mouse input routed through the parent window. TWinControl
// (gui/WinControl.h) owns a window and holds children.
#include "gui/Canvas.h"
#include "gui/Component.h"
#include "gui/Dpi.h"

#include <functional>
#include <string>

namespace gui {

class TWinControl;
class TForm;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

using TAnchors = unsigned;
constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;
TShiftState KeyboardShiftState();  // Shift, Alt, Ctrl as the keyboard holds them now

enum TCursor { crDefault, crArrow, crHandPoint, crIBeam, crCross, crSizeAll, crHourGlass, crNo };
HCURSOR CursorHandle(TCursor cursor);  // nullptr for crDefault

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Control style bits: what the framework does for a control on its own.
using TControlStyle = unsigned;
constexpr TControlStyle csCaptureMouse = 1;   // capture the mouse while a button is held
constexpr TControlStyle csClickEvents = 2;    // press and release of the left button inside = Click
constexpr TControlStyle csDoubleClicks = 4;   // a double click is DblClick, not a second press
constexpr TControlStyle csOpaque = 8;         // paints all of its area; the parent need not erase
constexpr TControlStyle csAcceptsControls = 16;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;

// A canvas that finds its own DC when used outside a paint: the control's window, or the
// parent's window clipped and shifted to a windowless control. Such a DC is given back after
// the message being handled (see FreeDeviceContexts).
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(class TControl& control) : control_(control) {}
    ~TControlCanvas() override { FreeHandle(); }
    void FreeHandle();
    // During a paint the canvas draws on the paint DC; nullptr ends that.
    void SetPaintHandle(HDC dc);
    // Runs paint with the canvas on dc, and lets go of dc afterwards, also when paint throws.
    template <typename Paint>
    void PaintOn(HDC dc, Paint paint) {
        struct Release {
            TControlCanvas& canvas;
            ~Release() { canvas.SetPaintHandle(nullptr); }
        } release{*this};
        SetPaintHandle(dc);
        paint();
    }

protected:
    void CreateHandle() override;

private:
    friend void FreeDeviceContexts();
    TControl& control_;
    HWND window_ = nullptr;
    bool acquired_ = false;
    TControlCanvas* nextAcquired_ = nullptr;
};

// Releases every DC that a control canvas took outside a paint; the message loop calls it.
void FreeDeviceContexts();

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    TForm* ParentForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    // Placing a control by hand: anchors measure from here, the parent realigns.
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual RECT ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return RectWidth(ClientRect()); }
    int ClientHeight() const { return RectHeight(ClientRect()); }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every ancestor visible.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    // Enabled, and every ancestor enabled: a control on a disabled panel is not.
    bool EffectivelyEnabled() const;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on) { showHint_ = on; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_ = font; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle style) { controlStyle_ = style; }
    bool MouseCapture() const;
    void SetMouseCapture(bool on);
    bool MouseInControl() const;

    virtual void Invalidate();
    // Invalidate and paint at once.
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();
    void BringToFront();
    // The dotted keyboard-focus mark around a windowless control that holds the keyboard's turn
    // (a windowed control shows its focus itself).
    bool FocusMark() const { return focusMark_; }
    void SetFocusMark(bool on);

    // Paints a windowless control on a DC whose viewport already sits at its top-left corner
    // and whose clip is its bounds. The parent's paint calls it.
    virtual void PaintTo(HDC dc) {}

    // Mouse input as the parent window routes it (client coordinates of this control).
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void HandleMouseMove(TShiftState shift, int x, int y);

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave, OnResize;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Notifications a control overrides; the defaults fire the events or repaint.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged() {}
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void Resize() {
        if (OnResize) OnResize(this);
    }
    // Takes the bounds, anchoring and own font the control holds at dpi as its 96 DPI measures
    // where they changed since the last scale. The form calls it on every control before any
    // is scaled, while the values are all still at the old scale.
    void KeepDesignMeasures(int dpi);
    // Lays the control out again for another display scale from its 96 DPI measures: its bounds
    // by their edges and its own font (a parent font follows the parent); controls with
    // pictures or fixed measures add theirs. The form calls it with every container's
    // alignment held.
    virtual void ChangeScale(int toDpi, int fromDpi);
    // The DPI of the form the control is on (96 off any form).
    int CurrentDpi() const;
    // The one rule applied to a 96 DPI measure of this control: ScaleDpi at CurrentDpi().
    int Scaled(int designValue) const;
    // The keyboard focus moved inside the form (to focused, or nowhere).
    virtual void FocusChanged(TWinControl* focused) {}
    // Tab, Enter, Esc or an arrow that the focused control did not take; true = handled.
    virtual bool DialogKey(WORD key, TShiftState shift) { return false; }
    // Alt + letter: true when this control owns the accelerator and acted on it.
    virtual bool DialogChar(wchar_t ch) { return false; }
    // The parent's font or colour changed; ParentFont / ParentColor controls follow.
    void ParentFontChanged();
    void ParentColorChanged();

    // What a screen reader hears of the control (gui/Accessible.h). The role (oleacc's
    // ROLE_SYSTEM_*; 0: no element, a container is read through) and the name come from the
    // class unless window data sets them; the name defaults to the caption without its '&'.
    long AccessibleRole() const { return accessibleRole_ ? accessibleRole_ : ClassAccessibleRole(); }
    void SetAccessibleRole(long role) { accessibleRole_ = role; }
    virtual std::wstring AccessibleName() const;
    void SetAccessibleName(const std::wstring& name) { accessibleName_ = name; }
    virtual std::wstring AccessibleValue() const { return accessibleValue_; }
    void SetAccessibleValue(const std::wstring& value) { accessibleValue_ = value; }
    // STATE_SYSTEM_* bits of the control's own (checked, read-only); the framework adds the rest.
    virtual DWORD AccessibleState() const { return 0; }
    // The default action a screen reader asks for: what a click does.
    virtual void AccessibleAction() { Click(); }

protected:
    friend class TWinControl;
    virtual long ClassAccessibleRole() const { return 0; }
    const std::wstring& StoredAccessibleName() const { return accessibleName_; }
    // Bounds as the layout sets them: no new anchor base, no realign request.
    virtual void ApplyBounds(int left, int top, int width, int height);
    void RequestAlign();
    void UpdateAnchorBase();
    // The release that follows is not a click (a control that decides clicks itself).
    void CancelClick() { clicked_ = false; }
    void ApplyAnchors(int parentWidth, int parentHeight);
    bool IsWindowed() const { return windowed_; }
    bool windowed_ = false;

private:
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    RECT anchorBase_{0, 0, 0, 0};
    SIZE anchorParent_{0, 0};
    TDpiRect designBounds_, designAnchorBase_;
    TDpiMeasure designAnchorParentWidth_, designAnchorParentHeight_, designFontHeight_;
    bool visible_ = true;
    bool enabled_ = true;
    TCursor cursor_ = crDefault;
    std::wstring hint_;
    bool showHint_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    TFont font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    std::wstring caption_;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csDoubleClicks;
    bool clicked_ = false;
    bool focusMark_ = false;
    long accessibleRole_ = 0;
    std::wstring accessibleName_;
    std::wstring accessibleValue_;
};

// A windowless control with a canvas and a Paint to override.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }
    void PaintTo(HDC dc) override;

protected:
    virtual void Paint() {}

private:
    TControlCanvas canvas_;
};

// The control the mouse is over (windowed or not), and the one holding the capture.
TControl* MouseControl();
TControl* CaptureControl();
// Moves the mouse-over state: the old control gets MouseLeave, the new one MouseEnter.
void SetMouseControl(TControl* control);

// Alt + ch triggers caption's "&" letter.
bool IsAccel(wchar_t ch, const std::wstring& caption);

}  // namespace gui
