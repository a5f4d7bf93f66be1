// Laying a form out again at another display scale: every control's bounds and font through the
// one rule of gui/Dpi.h, pictures drawn for the scale, and a DPI change from the system.
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/PictureScale.h"

namespace gui {

namespace {

void CollectControls(TControl& root, std::vector<TControl*>& list) {
    list.push_back(&root);
    if (auto* container = dynamic_cast<TWinControl*>(&root)) {
        for (size_t i = 0; i < container->ControlCount(); ++i) CollectControls(*container->Control(i), list);
    }
}

}  // namespace

void TControl::KeepDesignMeasures(int dpi) {
    designBounds_.Keep(BoundsRect(), dpi);
    designAnchorBase_.Keep(anchorBase_, dpi);
    designAnchorParentWidth_.Keep(anchorParent_.cx, dpi);
    designAnchorParentHeight_.Keep(anchorParent_.cy, dpi);
    if (!parentFont_ || !parent_) designFontHeight_.Keep(font_.Height(), dpi);
}

void TControl::ChangeScale(int toDpi, int fromDpi) {
    const RECT r = designBounds_.At(toDpi);
    ApplyBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    anchorBase_ = designAnchorBase_.At(toDpi);
    anchorParent_ = SIZE{designAnchorParentWidth_.At(toDpi), designAnchorParentHeight_.At(toDpi)};
    if (!parentFont_ || !parent_) font_.SetHeight(designFontHeight_.At(toDpi));
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
    SetBevelWidth(designBevelWidth_.Rescale(bevelWidth_, toDpi, fromDpi));
    SetBorderWidth(designBorderWidth_.Rescale(borderWidth_, toDpi, fromDpi));
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
        std::vector<TControl*> controls;
        CollectControls(*this, controls);
        for (TControl* c : controls) {
            c->KeepDesignMeasures(from);
            if (auto* container = dynamic_cast<TWinControl*>(c)) held.containers.push_back(container);
        }
        for (TWinControl* c : held.containers) c->DisableAlign();
        ChangeScale(dpi, from);
        if (bounds) SetBounds(bounds->left, bounds->top, RectWidth(*bounds), RectHeight(*bounds));
    }
    if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace gui
