#pragma once
// TFormShadow: the soft drop shadow of a borderless form. A separate layered popup, 16 pixels
// larger than the form on every side, kept directly below the form in the z-order. It follows
// the form by subclassing the form's window, never takes focus or activation, and lets clicks
// fall through to whatever lies beneath it.
//
// A form creates one in its creation handler, attaches it with SetForm(this) and switches it on
// with SetActive(true) in its show handler. Any top-level window will do in place of a form.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

#include "controls/ShadowBitmap.h"
#include "gui/Colors.h"
#include "gui/Gdi.h"

namespace gui {
class TForm;
class TTimer;
}

class TFormShadow {
public:
    TFormShadow();  // creates the shadow window, hidden, off-screen, detached
    virtual ~TFormShadow();
    TFormShadow(const TFormShadow&) = delete;
    TFormShadow& operator=(const TFormShadow&) = delete;

    virtual void SetActive(bool on);
    // Attaches to a top-level window, or detaches with nullptr. Raises sys::Exception for a
    // handle that is not a window.
    virtual void SetForm(HWND form);
    // A framework form: its window is made if it has none yet, and it paints double-buffered.
    void SetForm(gui::TForm* form);
    void SetForm(std::nullptr_t) { SetForm(static_cast<HWND>(nullptr)); }
    virtual void SetOffset(int offset);
    // Worked into the soft border when that is first made; later changes reach only the pixels
    // that are rebuilt from the colour (region shadows).
    virtual void SetShadowColor(gui::TColor color);
    virtual void SetBlurPasses(int passes);  // used when the soft border is first made

    bool Active() const { return FActive; }
    HWND Form() const { return FForm; }
    int Offset() const { return FOffset; }
    gui::TColor ShadowColor() const { return FColor; }
    int BlurPasses() const { return FBlurPasses; }
    bool Tracking() const { return FTracking; }
    HWND Handle() const { return FHandle; }
    // What the layered window shows: the form plus the margin on every side (16 at 96 DPI, scaled
    // with the form's DPI), premultiplied BGRA.
    const gui::DibSection& Picture() const { return FPicture; }

protected:
    virtual LRESULT _HookWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT _SizeHandler(WPARAM wParam, LPARAM lParam);
    // Paints the form's image at target's origin, width x height.
    virtual void _PaintFormImage(HDC target, int width, int height);
    virtual void _Blur(shadow::TPixelView pixels, int passes);
    virtual void _BuildRectangleShadow(int width, int height);
    virtual void _BuildRegionShadow();
    virtual void _FrameChanged(UINT flags);
    virtual void _ActivationTimer();
    virtual void _SnapshotTimer();
    virtual void _CaptureForm();
    virtual void _StartSnapshotTimer();
    virtual void _UpdateLayered();

    void ShowShadow(bool show);

private:
    enum class TTimerMode { tmOff, tmActivation, tmSnapshot, tmWatchdog };
    // Marks the passes-on in progress, so that code after a pass-on notices when the shadow was
    // freed by the form while the message was being handled.
    struct TPassGuard {
        bool alive = true;
        TPassGuard* outer = nullptr;
    };

    static LRESULT CALLBACK ShadowWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FormSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR refData);
    LRESULT _ShadowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool _PassOn(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT _FormDestroyed(UINT msg, WPARAM wParam, LPARAM lParam);

    void _Attach(HWND form);
    void _Detach();
    void _Changing(const WINDOWPOS& pos);
    void _Changed(const WINDOWPOS& pos);
    void _BuildForFormShape(int width, int height);
    bool _CanBuild() const;
    bool _EnsurePictureSize(int width, int height);
    bool _KeyColorChanged();
    BYTE _ConstantAlpha() const;
    void _PlaceAt(int formLeft, int formTop);
    void _ApplyShowFlags();

    void _SetTimer(TTimerMode mode, UINT interval);
    void _StopTimer();
    void _OnTimer();
    void _WatchdogTimer();
    void _KeepBelowForm();

    bool _FormShowing() const;
    bool _FormStateNormal() const;
    RECT _FormRect() const;
    bool _PictureFitsForm() const;
    // Takes the measures for the form's present DPI; a new DPI makes the soft border anew.
    void _FollowFormDpi();

    HWND FForm = nullptr;
    UINT FShowFlags = SWP_SHOWWINDOW;
    bool FActive = false;
    bool FWanted = false;
    TTimerMode FTimerMode = TTimerMode::tmOff;
    std::unique_ptr<gui::TTimer> FTimer;
    int FOffset = 0;
    gui::TColor FColor = gui::clBlack;
    bool FHooked = false;
    COLORREF FSavedKeyColor = CLR_INVALID;
    gui::RegionOwner FRegion;
    gui::DibSection FPicture;
    gui::DibSection FTemplate;
    shadow::TShadowGeometry FGeometry;
    int FTemplateDpi = 0;
    BLENDFUNCTION FBlend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    bool FRebuild = true;
    SIZE FCaptured{0, 0};  // the form size the picture holds the image of; 0 x 0: none yet
    int FLastWidth = -1;
    int FLastHeight = -1;
    bool FTracking = false;
    bool FRegionMode = false;
    int FBlurPasses = 2;
    std::vector<std::uint8_t> FRegionMask;
    HWND FHandle = nullptr;
    TPassGuard* FPassGuards = nullptr;
};
