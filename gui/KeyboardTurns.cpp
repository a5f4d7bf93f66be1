#include "gui/KeyboardTurns.h"

#include "gui/Forms.h"

#include <algorithm>

namespace gui {

namespace {

bool IsPicture(const TControl* c) { return c && !dynamic_cast<const TWinControl*>(c); }

}  // namespace

bool TKeyboardTurns::DialogKey(TWinControl& form, const std::vector<TControl*>& elements, WORD key, TShiftState shift) {
    if (elements.empty()) return false;
    FMarksShown = true;
    auto at = std::find(elements.begin(), elements.end(), FTurn);
    if (at == elements.end()) at = elements.begin();
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        const auto n = static_cast<ptrdiff_t>(elements.size());
        const ptrdiff_t i = ((at - elements.begin()) + ((shift & ssShift) ? n - 1 : 1)) % n;
        MoveTurn(form, elements[static_cast<size_t>(i)]);
        return true;
    }
    if (key == VK_RETURN) {
        TControl* pressed = IsPicture(*at) ? *at : elements.front();
        MoveTurn(form, *at);
        if (pressed->EffectivelyEnabled()) pressed->Click();
        return true;
    }
    return false;
}

void TKeyboardTurns::MoveTurn(TWinControl& form, TControl* to) {
    if (FTurn && FTurn != to) FTurn->SetFocusMark(false);
    FTurn = to;
    if (auto* windowed = dynamic_cast<TWinControl*>(to)) {
        windowed->SetFocus();
        return;
    }
    if (form.HandleAllocated() && GetFocus() != form.Handle()) ::SetFocus(form.Handle());
    to->SetFocusMark(FMarksShown);
    if (TForm* owner = form.ParentForm()) owner->AccessibleFocusMayHaveMoved();
}

}  // namespace gui
