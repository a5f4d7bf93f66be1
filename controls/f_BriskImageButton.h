#pragma once
// TPNGImageButton: a windowless button that shows one of five PNG images, chosen by the mouse
// state, alpha-blended over whatever its parent painted beneath it. TPNGImageButtonEx adds a
// caption, a latching "down" state and radio-style groups.
//
// The drawing lives in free functions over a canvas (PaintPngButton, DrawPngButtonCaption), so a
// test can run them on a memory DC; the classes keep the state and call them from Paint.
#include <windows.h>

#include <memory>
#include <string>

#include "gui/Graphics.h"
#include "gui/PngImage.h"
#include "gui/WinControl.h"

// What the drawing of one button needs: the image chosen for its state and its settings.
struct TPngButtonLook {
    gui::TPngImage* Image = nullptr;  // nullptr or empty: the dashed outline only
    int Width = 0, Height = 0;
    bool Enabled = true;
    bool Stretch = false;
    bool Tile = false;
    int FixedWidth = 0, FixedHeight = 0;
    gui::TGraphic* PopupArrow = nullptr;  // drawn only when a popup menu is attached and enabled
    bool HasPopupMenu = false;
    int PopupArrowOffsetX = 0, PopupArrowOffsetY = 0;
    gui::TGraphic* Icon = nullptr;
    int IconOffsetX = 0, IconOffsetY = 0;
};

// Where an image of imageWidth × imageHeight lands in client (centred; a larger image fills
// the client and is scaled down).
RECT CenteredImageRect(const RECT& client, int imageWidth, int imageHeight);

// Paints the button over what canvas already holds in (0, 0, Width, Height).
void PaintPngButton(gui::TCanvas& canvas, const TPngButtonLook& look);

// The image with its fixed margins kept at pixel size and only the middle stretched to
// targetWidth × targetHeight; the image itself when neither margin applies.
gui::TPngImage SlicePngImage(const gui::TPngImage& image, int targetWidth, int targetHeight, int fixedWidth,
                             int fixedHeight);

// PngDisabled made from PngImg: alpha divided by three (a palette image stays as it is).
void MakeFadedImage(const gui::TPngImage& normal, gui::TPngImage& faded);

struct TPngCaptionLook {
    std::wstring Caption;
    gui::TAlignment Alignment = gui::taCenter;
    int Width = 0, Height = 0;
    int OffsetX = 0, OffsetY = 0;
    bool Enabled = true;
};

// Draws the caption transparently with the canvas's font.
void DrawPngButtonCaption(gui::TCanvas& canvas, const TPngCaptionLook& look);

class TPNGImageButton : public gui::TGraphicControl {
public:
    explicit TPNGImageButton(gui::TComponent* owner);
    ~TPNGImageButton() override;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on) { FAutoSize = on; }

    gui::TPngImage& PngImg() { return *FPngImg; }
    gui::TPngImage& PngOver() { return *FPngOver; }
    gui::TPngImage& PngDown() { return *FPngDown; }
    gui::TPngImage& PngUp() { return *FPngUp; }
    gui::TPngImage& PngDisabled() { return *FPngDisabled; }
    void SetPngImg(const gui::TPngImage& image);
    void SetPngOver(const gui::TPngImage& image) { FPngOver->Assign(image); }
    void SetPngDown(const gui::TPngImage& image) { FPngDown->Assign(image); }
    void SetPngUp(const gui::TPngImage& image) { FPngUp->Assign(image); }
    void SetPngDisabled(const gui::TPngImage& image) { FPngDisabled->Assign(image); }

    gui::TPicture& Icon() { return *FIcon; }
    void SetIcon(const gui::TPicture& picture) { FIcon->Assign(picture); }
    gui::TPicture& PopupArrow() { return *FPopupArrow; }
    void SetPopupArrow(const gui::TPicture& picture) { FPopupArrow->Assign(picture); }

    int IconOffsetX() const { return FIconOffsetX; }
    void SetIconOffsetX(int v) { Change(FIconOffsetX, v); }
    int IconOffsetY() const { return FIconOffsetY; }
    void SetIconOffsetY(int v) { Change(FIconOffsetY, v); }
    int PopupArrowOffsetX() const { return FPopupArrowOffsetX; }
    void SetPopupArrowOffsetX(int v) { Change(FPopupArrowOffsetX, v); }
    int PopupArrowOffsetY() const { return FPopupArrowOffsetY; }
    void SetPopupArrowOffsetY(int v) { Change(FPopupArrowOffsetY, v); }
    int FixedHeight() const { return FFixedHeight; }
    void SetFixedHeight(int v) { Change(FFixedHeight, v < 0 ? 0 : v); }
    int FixedWidth() const { return FFixedWidth; }
    void SetFixedWidth(int v) { Change(FFixedWidth, v < 0 ? 0 : v); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool on) { Change(FStretch, on); }
    bool Tile() const { return FTile; }
    void SetTile(bool on) { Change(FTile, on); }

    // Stored only; cleared when that control goes.
    gui::TControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(gui::TControl* control);
    // A menu the owner shows; the button only draws the arrow for it. Not owned.
    HMENU PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(HMENU menu);

    // The image the button shows now (nullptr: none chosen yet).
    gui::TPngImage* CurrentImage() const { return FCurrentImage; }

    gui::TNotifyEvent OnPictureChange;

    void SetParent(gui::TWinControl* parent) override;
    void Click() override;
    void DblClick() override;
    void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    long ClassAccessibleRole() const override;
    void Notification(gui::TComponent* component, gui::TOperation operation) override;
    void Paint() override;
    // Makes image current and repaints; false when it already was.
    bool SwitchTo(gui::TPngImage* image);
    static bool Usable(const gui::TPngImage& image) { return !image.Empty() && image.Width() > 0; }
    void FireMouseEnter();
    void FireMouseLeave();
    void FireMouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y);
    // Sets field and repaints when the value is new; false when it already was.
    template <class T>
    bool Change(T& field, T value) {
        if (field == value) return false;
        field = value;
        Invalidate();
        return true;
    }

private:
    void PictureChanged(gui::TPngImage& image);
    TPngButtonLook Look();

    std::unique_ptr<gui::TPngImage> FPngImg, FPngOver, FPngDown, FPngUp, FPngDisabled;
    std::unique_ptr<gui::TPicture> FIcon, FPopupArrow;
    gui::TPngImage* FCurrentImage = nullptr;
    bool FPainting = false;
    bool FAutoSize = true;
    bool FStretch = false;
    bool FTile = false;
    int FIconOffsetX = 0, FIconOffsetY = 0;
    int FPopupArrowOffsetX = 0, FPopupArrowOffsetY = 0;
    int FFixedHeight = 0, FFixedWidth = 0;
    gui::TDpiMeasure FDesignMeasures[6];  // of the six above, in ChangeScale's order
    gui::TControl* FFocusControl = nullptr;
    HMENU FPopupMenu = nullptr;
};

class TPNGImageButtonEx : public TPNGImageButton {
public:
    explicit TPNGImageButtonEx(gui::TComponent* owner);

    int FontSpace() const { return FFontSpace; }
    void SetFontSpace(int v) { Change(FFontSpace, v); }
    bool Down() const { return FDown; }
    void SetDown(bool down);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index) { FGroupIndex = index; }
    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment alignment) { Change(FAlignment, alignment); }
    int CaptionOffsetX() const { return FCaptionOffsetX; }
    void SetCaptionOffsetX(int v) { Change(FCaptionOffsetX, v); }
    int CaptionOffsetY() const { return FCaptionOffsetY; }
    void SetCaptionOffsetY(int v) { Change(FCaptionOffsetY, v); }

    void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void Paint() override;

private:
    bool LatchedInGroup() const { return FDown && FGroupIndex != 0; }
    // Every other button of the group on the same parent pops up.
    void ReleaseGroup();
    void PopUp();

    int FFontSpace = 0;
    bool FDown = false;
    int FGroupIndex = 0;
    gui::TAlignment FAlignment = gui::taCenter;
    int FCaptionOffsetX = 0, FCaptionOffsetY = 0;
    gui::TDpiMeasure FDesignCaptionMeasures[3];  // of the font space and the caption offsets
};

// Makes both classes and their properties known to stored window data; a window calls it before
// it loads its data (a second call changes nothing).
void RegisterBriskImageButtonWindowData();
