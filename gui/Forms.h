#pragma once
// Top-level windows and the application object. Forms are owned by the hidden application
// window, so the task bar shows one button with the application's title while each form keeps
// its own caption.
#include "gui/Dpi.h"
#include "gui/WinControl.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

// WM_SYSCOMMAND values that start the system's move loop from a mouse press: the move command
// with the caption's hit-test code, and the dialogs' drag-move command.
constexpr WPARAM kMoveByCaption = SC_MOVE | HTCAPTION;  // 0xF012
constexpr WPARAM kDragMove = 0xF017;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    // Keeps the client size, so a stored client size holds whichever comes first.
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    // The window size for a client area of this size, under the border style.
    void SetClientSize(int width, int height);
    RECT ClientRect() const override;

    TWindowState WindowState() const;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    void Show();
    void Close();
    // Releases the mouse capture and sends the form command, so that the system drags the form
    // with the mouse until the button is released.
    void DragWithMouse(WPARAM command = kMoveByCaption);
    // Shows the form, disables every other window of the thread and runs messages until
    // ModalResult is set; then hides the form, enables the others and returns the result.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    void SetVisible(bool visible) override;

    TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy;
    TCloseEvent OnClose;

    // Runs OnCreate; the form's maker calls it once the component tree is built (NewForm does).
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();

    // The DPI the form is laid out at: the stored data's 96 until its window is made.
    int Dpi() const { return dpi_; }
    // Lays the form and everything on it out at dpi, in one step that paints once; the window
    // goes to bounds (a DPI change's suggested rectangle) or, without them, to its own scaled.
    void ScaleForDpi(int dpi, const RECT* bounds = nullptr);
    // While ScaleForDpi moves the windows: they move without painting.
    bool Rescaling() const { return rescaling_; }

    // The focus arrived at control (the form itself included).
    void FocusArrived(TWinControl* control);
    // A dialog key that the focused control left: the controls may claim it, then Tab and the
    // arrows move the focus.
    bool HandleDialogKey(WORD key, TShiftState shift);
    bool HandleDialogChar(wchar_t ch);

    // The element that has the keyboard focus while the form's window has it: a picture holding
    // the keyboard's turn, or nullptr for the form itself. Windowed controls have the real focus.
    virtual TControl* FocusedElement() { return nullptr; }
    // Sends a screen reader the focus event for a picture that now has the focus, once the
    // messages being handled are done (a page change shows one page before it hides the other,
    // and an event names its element by its place among the showing ones). The system sends its
    // own for windows.
    void AccessibleFocusMayHaveMoved();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;
    // Shown activated from the first: a window first shown without activation loses it again
    // at its next frame change under Wine.
    int ShowCommand() const override { return SW_SHOW; }
    long ClassAccessibleRole() const override;

private:
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    int dpi_ = kDesignDpi;
    bool rescaling_ = false;
    const TControl* announcedFocus_ = nullptr;
    bool focusCheckPosted_ = false;
    void AnnounceFocus();
};

// Builds a form and runs its OnCreate, as the framework's form loading would.
template <class T, class... Args>
T* NewForm(TComponent* owner, Args&&... args) {
    T* form = New<T>(owner, std::forward<Args>(args)...);
    form->DoCreate();
    return form;
}

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    HWND Handle();  // the hidden window that owns the forms and carries the task-bar button
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title);

    template <class T, class... Args>
    void CreateForm(T*& reference, Args&&... args) {
        reference = NewForm<T>(this, std::forward<Args>(args)...);
        if (!mainForm_) mainForm_ = reference;
    }
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form and runs messages until Terminate or the main form closes.
    void Run();
    void ProcessMessages();
    // One message if there is one, else waits for the next.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void Minimize();
    void Restore();

    std::function<void(const std::exception&)> OnException;

private:
    bool ProcessMessage();
    void CreateHandle();
    static LRESULT CALLBACK AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Minimised, the application hides the visible windows it owns and shows them again when
    // restored; not every window manager does that for owned windows.
    void HideOwnedWindows();
    void ShowOwnedWindows();
    std::vector<HWND> hiddenWindows_;

    HWND handle_ = nullptr;
    std::wstring title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication Application;

// A form made for one modal showing, freed by the application on every way out of it, an
// exception from the modal loop too.
template <class T>
class TModalFormScope {
public:
    explicit TModalFormScope(T* form) : form_(form) {}
    ~TModalFormScope() { Application.FreeComponent(form_); }
    TModalFormScope(const TModalFormScope&) = delete;
    TModalFormScope& operator=(const TModalFormScope&) = delete;
    T* operator->() const { return form_; }

private:
    T* form_;
};

}  // namespace gui
