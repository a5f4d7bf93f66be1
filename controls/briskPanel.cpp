#include "controls/briskPanel.h"

#include <algorithm>

#include "gui/Forms.h"
#include "gui/ParentBackground.h"
#include "gui/PictureScale.h"

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

}  // namespace

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

void TBriskCustomPanel::ChangeScale(int toDpi, int fromDpi) {
    gui::TCustomControl::ChangeScale(toDpi, fromDpi);
    SetBorderWidth(FDesignBorderWidth.Rescale(BorderWidth(), toDpi, fromDpi));
    SetBevelWidth(FDesignBevelWidth.Rescale(BevelWidth(), toDpi, fromDpi));
    gui::RescalePicture(*FBackgroundPicture, toDpi);
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
