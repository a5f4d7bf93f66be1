#pragma once
// Windowed controls: one HWND each, bound to the C++ object from the window's first message
// (WM_NCCREATE or the WM_GETMINMAXINFO before it) until WM_NCDESTROY. Messages go through the
// replaceable WindowProc (a companion such as a drop shadow may install its own and pass on),
// then the virtual WndProc, which unpacks them into the typed notifications of TControl.
#include "gui/Controls.h"

#include <functional>
#include <string>
#include <vector>

namespace gui {

// The framework's own messages.
constexpr UINT CM_SHOWINGCHANGED = 0xB019;  // sent to a window whose showing state changed
constexpr UINT CN_BASE = 0xBC00;            // WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* reflected to the child

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

using TWndMethod = std::function<void(TMessage& message)>;

struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
    std::wstring ClassName = L"TallyvoControl";
    // A system class ("EDIT", "BUTTON") to build on: its window procedure does the default work.
    std::wstring SystemClass;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();  // creates the window (and the parent's) when there is none yet
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    static TWinControl* FromHandle(HWND window);

    TWndMethod WindowProc;  // starts as WndProc; replace it to watch the messages, call the old one on
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    size_t ControlCount() const { return controls_.size(); }
    TControl* Control(size_t index) const { return controls_[index]; }
    // The topmost visible windowless child under p (client coordinates); disabled ones only
    // when allowDisabled.
    TControl* ControlAtPos(POINT p, bool allowDisabled) const;
    void Realign();
    void ChangeScale(int toDpi, int fromDpi) override;
    void DisableAlign() { ++alignLocks_; }
    void EnableAlign();
    virtual RECT AlignRect() const { return ClientRect(); }

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool on);
    int TabOrder() const;
    void SetTabOrder(int order);
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // Next focusable control after current in tab order, within this container.
    TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;  // the window's client area once it has one
    void SetVisible(bool visible) override;
    bool Showing() const override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Paints the window and its windowless children into dc (a paint DC, a memory DC of a
    // parent's background capture, a WM_PRINTCLIENT DC).
    void PaintHandler(HDC dc);

    TNotifyEvent OnEnter, OnExit;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void FocusReceived() {}
    virtual void FocusLost() {}
    // True for Tab, Enter, Esc and arrows that the control handles itself rather than the form.
    virtual bool WantsKey(WORD key);

    // Runs KeyDown with the form's preview first; true when the key was consumed.
    bool DoKeyDown(WORD& key, TShiftState shift);

protected:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // The message handling; overrides handle what they need and call the base for the rest.
    virtual void WndProc(TMessage& message);
    void DefaultHandler(TMessage& message);
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

    // Erase: true when handled. The default fills the client area with Color.
    virtual bool EraseBackground(HDC dc);
    // The window's own painting; the default lets a system class paint itself.
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc);
    void ApplyBounds(int left, int top, int width, int height) override;
    void FontChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;
    bool IsSystemClass() const { return defWndProc_ != nullptr; }
    // How SetVisible shows the window: children without activation, forms activated.
    virtual int ShowCommand() const { return SW_SHOWNA; }
    void ShowHandle(bool visible);

private:
    friend class TForm;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // requester: the control whose change asked for the layout; among equals it goes first.
    void AlignControls(TControl* requester);
    void RealignFor(TControl* requester);
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMPrintClient(TMessage& message);
    bool WMMouse(TMessage& message);
    void WMMouseLeave();
    bool WMSetCursor(TMessage& message);
    bool WMKey(TMessage& message);
    void WMWindowPosChanged(TMessage& message);
    bool ReflectToChild(TMessage& message);
    void CollectTabList(std::vector<TWinControl*>& list) const;
    void BindWindow(HWND window);
    void UnbindWindow();

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;     // all children, in paint order (later is on top)
    std::vector<TWinControl*> tabList_;   // windowed children in tab order
    bool tabStop_ = false;
    bool doubleBuffered_ = false;
    bool trackingLeave_ = false;
    bool aligning_ = false;
    int alignLocks_ = 0;
    bool showing_ = false;
};

// A windowed control with a canvas and a Paint to override.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TControlCanvas canvas_;
};

// Catches what a handler raised so nothing crosses into user32; writes it to the debugger output
// and to Application's exception hook.
void HandleWindowException(const std::exception& error);

// Whether the window has a frame, caption, scroll bar or edge around its client area.
bool HasNonClientArea(HWND window);

}  // namespace gui
