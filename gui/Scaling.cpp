// Laying a form out again at another display scale: every control's bounds and font through the
// one rule of gui/Dpi.h, pictures drawn for the scale, and a DPI change from the system.
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/PictureScale.h"

namespace gui {

namespace {

void CollectContainers(TWinControl& root, std::vector<TWinControl*>& list) {
    list.push_back(&root);
    for (size_t i = 0; i < root.ControlCount(); ++i) {
        if (auto* child = dynamic_cast<TWinControl*>(root.Control(i))) CollectContainers(*child, list);
    }
}

}  // namespace

void TControl::ChangeScale(int toDpi, int fromDpi) {
    const RECT r = ScaleRectDpi(BoundsRect(), toDpi, fromDpi);
    ApplyBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    anchorBase_ = ScaleRectDpi(anchorBase_, toDpi, fromDpi);
    anchorParent_ = SIZE{ScaleDpi(anchorParent_.cx, toDpi, fromDpi), ScaleDpi(anchorParent_.cy, toDpi, fromDpi)};
    if (!parentFont_ || !parent_) font_.SetHeight(ScaleDpi(font_.Height(), toDpi, fromDpi));
}

int TControl::CurrentDpi() const {
    const TForm* form = ParentForm();
    return form ? form->Dpi() : kDesignDpi;
}

int TControl::Scaled(int designValue) const { return ScaleDpi(designValue, CurrentDpi()); }

void TWinControl::ChangeScale(int toDpi, int fromDpi) {
    TControl::ChangeScale(toDpi, fromDpi);
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(toDpi, fromDpi);
}

void TImage::ChangeScale(int toDpi, int fromDpi) {
    TGraphicControl::ChangeScale(toDpi, fromDpi);
    RescalePicture(picture_, toDpi);
}

void TPanel::ChangeScale(int toDpi, int fromDpi) {
    TCustomControl::ChangeScale(toDpi, fromDpi);
    SetBevelWidth(ScaleDpi(bevelWidth_, toDpi, fromDpi));
    SetBorderWidth(ScaleDpi(borderWidth_, toDpi, fromDpi));
}

void TForm::ScaleForDpi(int dpi, const RECT* bounds) {
    if (dpi == dpi_) {
        if (bounds) SetBounds(bounds->left, bounds->top, RectWidth(*bounds), RectHeight(*bounds));
        return;
    }
    const int from = dpi_;
    dpi_ = dpi;
    // Every window moves without painting, then all of it paints once.
    rescaling_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{rescaling_};
    {
        // Held everywhere, so that no container lays out children that are not scaled yet;
        // released parents first (also when a step throws), so that each lays out its children
        // within its final size.
        struct HeldAlignment {
            std::vector<TWinControl*> containers;
            ~HeldAlignment() {
                for (TWinControl* c : containers) c->EnableAlign();
            }
        } held;
        CollectContainers(*this, held.containers);
        for (TWinControl* c : held.containers) c->DisableAlign();
        ChangeScale(dpi, from);
        if (bounds) SetBounds(bounds->left, bounds->top, RectWidth(*bounds), RectHeight(*bounds));
    }
    if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace gui
