#pragma once
// TBriskPanel: the double-buffered container of which the borderless windows are built. Its
// background is a solid colour, a picture, a gradient or, with Transparent, whatever its parent
// paints beneath it (the parent and its windowless children are painted into an off-screen
// capture and copied in), optionally overlaid with a grid and framed by flat or 3-D borders in
// the non-client area.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/BriskDrawing.h"
#include "gui/Graphics.h"
#include "gui/WinControl.h"

// The framework's query whether a control is a tool control; an unlocked panel answers 1.
constexpr UINT CM_ISTOOLCONTROL = 0xB040;

class TBriskCustomPanel;

// Shared frame settings pushed into the panels that name it, by property name. Never placed on
// a window; it keeps no settings of its own anywhere.
class TBriskFrameController : public gui::TComponent {
public:
    explicit TBriskFrameController(gui::TComponent* owner) : gui::TComponent(owner) {}

    void SetBorderColor(gui::TColor c) { Push(L"BorderColor", c); }
    void SetBorderHighlight(gui::TColor c) { Push(L"BorderHighlight", c); }
    void SetBorderShadow(gui::TColor c) { Push(L"BorderShadow", c); }
    void SetFlatColor(gui::TColor c) { Push(L"FlatColor", c); }
    void SetBorderOuter(TBriskFrameStyle s) { Push(L"BorderOuter", s); }
    void SetBorderInner(TBriskFrameStyle s) { Push(L"BorderInner", s); }
    // The last value pushed under name, if any.
    bool Setting(const std::wstring& name, unsigned& value) const;

    void Attach(TBriskCustomPanel* panel);
    void Detach(TBriskCustomPanel* panel);

protected:
    void Notification(gui::TComponent* component, gui::TOperation operation) override;

private:
    void Push(const std::wstring& name, unsigned value);
    std::vector<std::pair<std::wstring, unsigned>> FSettings;
    std::vector<TBriskCustomPanel*> FPanels;
};

enum TBriskPathType { ptIniFile, ptRegistry };

// A path description for settings; it neither reads nor writes the registry or any file.
class TBriskRegIniFile : public gui::TComponent {
public:
    explicit TBriskRegIniFile(gui::TComponent* owner) : gui::TComponent(owner) {}
    std::wstring Path;
    TBriskPathType PathType = ptIniFile;
    HKEY RootKey = HKEY_CURRENT_USER;
    REGSAM Access = KEY_ALL_ACCESS;
};

class TBriskCustomPanel : public gui::TCustomControl {
public:
    explicit TBriskCustomPanel(gui::TComponent* owner);
    ~TBriskCustomPanel() override;

    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment v) { Change(FAlignment, v); }
    TVerticalAlignment AlignmentVertical() const { return FAlignmentVertical; }
    void SetAlignmentVertical(TVerticalAlignment v) { Change(FAlignmentVertical, v); }
    gui::TPicture& BackgroundPicture() { return *FBackgroundPicture; }
    void SetBackgroundPicture(const gui::TPicture& picture);
    TBackgroundOptions BackgroundOptions() const { return FBackgroundOptions; }
    void SetBackgroundOptions(TBackgroundOptions v) { Change(FBackgroundOptions, v); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);

    TBriskFrameStyle BorderOuter() const { return FBorder.Outer; }
    void SetBorderOuter(TBriskFrameStyle v) { ChangeFrame(FBorder.Outer, v); }
    TBriskFrameStyle BorderInner() const { return FBorder.Inner; }
    void SetBorderInner(TBriskFrameStyle v) { ChangeFrame(FBorder.Inner, v); }
    TBriskSides BorderSides() const { return FBorder.Sides; }
    void SetBorderSides(TBriskSides v) { ChangeFrame(FBorder.Sides, v); }
    gui::TColor BorderColor() const { return FBorder.Color; }
    void SetBorderColor(gui::TColor v) { ChangeFrame(FBorder.Color, v); }
    gui::TColor BorderHighlight() const { return FBorder.Highlight; }
    void SetBorderHighlight(gui::TColor v) { ChangeFrame(FBorder.Highlight, v); }
    gui::TColor BorderShadow() const { return FBorder.Shadow; }
    void SetBorderShadow(gui::TColor v) { ChangeFrame(FBorder.Shadow, v); }
    int BorderWidth() const { return FBorder.BorderWidth; }
    void SetBorderWidth(int v) { ChangeFrame(FBorder.BorderWidth, v < 0 ? 0 : v); }
    int BevelWidth() const { return FBorder.BevelWidth; }
    void SetBevelWidth(int v) { ChangeFrame(FBorder.BevelWidth, v < 0 ? 0 : v); }
    gui::TColor FlatColor() const { return FBorder.FlatColor; }
    void SetFlatColor(gui::TColor v) { ChangeFrame(FBorder.FlatColor, v); }
    int FlatColorAdjustment() const { return FBorder.FlatColorAdjustment; }
    void SetFlatColorAdjustment(int v) { ChangeFrame(FBorder.FlatColorAdjustment, v); }

    bool UseGradients() const { return FUseGradients; }
    void SetUseGradients(bool on) { ChangeFrame(FUseGradients, on); }
    gui::TColor GradientColorStart() const { return FGradientColorStart; }
    void SetGradientColorStart(gui::TColor v) { Change(FGradientColorStart, v); }
    gui::TColor GradientColorStop() const { return FGradientColorStop; }
    void SetGradientColorStop(gui::TColor v) { Change(FGradientColorStop, v); }
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TGradientDirection v) { Change(FGradientDirection, v); }
    bool ThemeAware() const { return FThemeAware; }
    void SetThemeAware(bool on) { Change(FThemeAware, on); }

    bool ShowGrid() const { return FShowGrid; }
    void SetShowGrid(bool on) { Change(FShowGrid, on); }
    gui::TColor GridColor() const { return FGrid.Color; }
    void SetGridColor(gui::TColor v) { Change(FGrid.Color, v); }
    TGridStyle GridStyle() const { return FGrid.Style; }
    void SetGridStyle(TGridStyle v) { Change(FGrid.Style, v); }
    unsigned short GridXSize() const { return FGrid.XSize; }
    void SetGridXSize(unsigned short v) { Change(FGrid.XSize, v); }
    unsigned short GridYSize() const { return FGrid.YSize; }
    void SetGridYSize(unsigned short v) { Change(FGrid.YSize, v); }

    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool on) { FFullRepaint = on; }
    bool Locked() const { return FLocked; }
    void SetLocked(bool on) { FLocked = on; }
    TBriskFrameController* FrameController() const { return FFrameController; }
    void SetFrameController(TBriskFrameController* controller);
    // A setting the frame controller pushes, by property name; unknown names are ignored.
    void ApplyFrameSetting(const std::wstring& name, unsigned value);

    bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
    void SetShowDockClientCaptions(bool on) { FShowDockClientCaptions = on; }
    bool DockSite() const { return FDockSite; }
    void SetDockSite(bool on) { FDockSite = on; }
    bool UseDockManager() const { return FUseDockManager; }
    void SetUseDockManager(bool on) { FUseDockManager = on; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on) { FAutoSize = on; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool on) { FCtl3D = on; }
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool on) { FParentCtl3D = on; }

    gui::TNotifyEvent OnPaint;

    RECT ClientRect() const override;
    // Aligned to the bottom (right), a new height (width) keeps the bottom (right) edge.
    void SetBounds(int left, int top, int width, int height) override;
    void ChangeScale(int toDpi, int fromDpi) override;
    void EnabledChanged() override;

    // Paints what the parent shows beneath the panel into dc (the panel's client coordinates).
    void PaintParentBackground(HDC dc);

protected:
    void Notification(gui::TComponent* component, gui::TOperation operation) override;
    void WndProc(gui::TMessage& message) override;
    bool EraseBackground(HDC dc) override;
    void Paint() override;

private:
    template <class T, class V>
    void Change(T& field, V value) {
        if (field == static_cast<T>(value)) return;
        field = static_cast<T>(value);
        Invalidate();
    }
    template <class T, class V>
    void ChangeFrame(T& field, V value) {
        if (field == static_cast<T>(value)) return;
        field = static_cast<T>(value);
        FrameChanged();
    }
    void FrameChanged();
    void UpdateOpaque();
    bool OwnScreenDc(HDC dc);
    void DrawBackgroundPicture(HDC dc);
    void WMNCCalcSize(gui::TMessage& message);
    void WMNCPaint();
    void WMWindowPosChanged(gui::TMessage& message);
    void InvalidateBorderStrips(int oldWidth, int oldHeight);

    gui::TCanvas FNCCanvas;
    std::vector<std::pair<gui::TControl*, bool>> FChildEnabled;
    std::unique_ptr<gui::TPicture> FBackgroundPicture;
    gui::TAlignment FAlignment = gui::taCenter;
    TVerticalAlignment FAlignmentVertical = avCenter;
    TBackgroundOptions FBackgroundOptions = 0;
    bool FTransparent = false;
    TBriskBorderLook FBorder;
    gui::TDpiMeasure FDesignBorderWidth, FDesignBevelWidth;
    bool FUseGradients = false;
    gui::TColor FGradientColorStart = gui::clWhite;
    gui::TColor FGradientColorStop = gui::clBtnFace;
    TGradientDirection FGradientDirection = gdHorizontalEnd;
    bool FThemeAware = true;
    bool FShowGrid = false;
    TBriskGridLook FGrid;
    bool FFullRepaint = true;
    bool FLocked = false;
    TBriskFrameController* FFrameController = nullptr;
    bool FShowDockClientCaptions = true;
    bool FDockSite = false;
    bool FUseDockManager = true;
    bool FAutoSize = false;
    bool FCtl3D = false;
    bool FParentCtl3D = false;
    SIZE FLastSize{0, 0};
};

class TBriskPanel : public TBriskCustomPanel {
public:
    explicit TBriskPanel(gui::TComponent* owner) : TBriskCustomPanel(owner) {}
};

// Makes the panel, the frame controller and their properties known to stored window data; a
// window calls it before it loads its data (a second call changes nothing).
void RegisterBriskPanelWindowData();
