#pragma once
// A picture control of the tests' own, registered the way the skinned controls register theirs,
// and the form that the tests load from the test resource.
#include "gui/WindowDataLoader.h"

namespace windatatest {

class TTestPicture : public gui::TGraphicControl {
public:
    using gui::TGraphicControl::TGraphicControl;
    const gui::TPicture& Picture() const { return picture_; }
    void SetPicture(std::unique_ptr<gui::TGraphic> graphic) {
        picture_.SetGraphic(std::move(graphic));
        Fit();
    }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on) {
        autoSize_ = on;
        Fit();
    }

private:
    void Fit() {
        if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    }
    gui::TPicture picture_;
    bool autoSize_ = false;
};

// Idempotent, as every window calls it before loading.
void RegisterTestPicture();

class Tfrm_Test : public gui::TForm, public gui::IWindowDataForm {
public:
    explicit Tfrm_Test(gui::TComponent* owner);
    gui::TWindowDataBindings WindowDataBindings() override;

    void FormCreate(gui::TObject* sender);
    void imgCloseClick(gui::TObject* sender);
    void pnlTopMouseDown(gui::TObject* sender, gui::TMouseButton button, gui::TShiftState shift, int x, int y);

    gui::TWinControl* pnlTop = nullptr;
    gui::TWinControl* pnlBody = nullptr;
    gui::TWinControl* pnlSide = nullptr;
    TTestPicture* imgClose = nullptr;
    gui::TGraphicControl* labInfo = nullptr;

    int creates = 0;
    bool treeReadyAtCreate = false;
    int closeClicks = 0;
    gui::TObject* lastSender = nullptr;
    int mouseDowns = 0;
};

}  // namespace windatatest
