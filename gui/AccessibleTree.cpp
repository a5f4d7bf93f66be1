// Which controls a screen reader sees, the events that tell it of changes, and the default action
// once it arrives from the window's queue.
#include "gui/Accessible.h"

#include "gui/Forms.h"

#include <oleacc.h>

#include <algorithm>

namespace gui {

namespace {

void CollectElements(TWinControl& container, std::vector<TControl*>& elements) {
    for (size_t i = 0; i < container.ControlCount(); ++i) {
        TControl* c = container.Control(i);
        if (!c->Visible()) continue;
        if (c->AccessibleRole() != 0) {
            elements.push_back(c);
        } else if (auto* inner = dynamic_cast<TWinControl*>(c)) {
            CollectElements(*inner, elements);
        }
    }
}

bool IsOwnRoot(const TControl& control) {
    return dynamic_cast<const TForm*>(&control) ||
           (dynamic_cast<const TWinControl*>(&control) && control.AccessibleRole() != 0);
}

void Notify(DWORD event, const TControl& control) {
    if (IsOwnRoot(control)) {
        auto& windowed = const_cast<TWinControl&>(static_cast<const TWinControl&>(control));
        if (windowed.HandleAllocated()) NotifyWinEvent(event, windowed.Handle(), OBJID_CLIENT, CHILDID_SELF);
        return;
    }
    TWinControl* root = AccessibleRoot(control);
    if (!root || !root->HandleAllocated() || !control.Showing()) return;
    const std::vector<TControl*> elements = AccessibleElements(*root);
    const auto at = std::find(elements.begin(), elements.end(), &control);
    if (at == elements.end()) return;
    NotifyWinEvent(event, root->Handle(), OBJID_CLIENT, static_cast<LONG>(at - elements.begin()) + 1);
}

}  // namespace

std::vector<TControl*> AccessibleElements(TWinControl& root) {
    std::vector<TControl*> elements;
    if (root.Showing()) CollectElements(root, elements);
    return elements;
}

TWinControl* AccessibleRoot(const TControl& control) {
    for (TWinControl* w = control.Parent(); w; w = w->Parent()) {
        if (IsOwnRoot(*w)) return w;
    }
    return nullptr;
}

// The element is looked for before it is touched: it may have gone while the action was queued.
void RunAccessibleAction(TWinControl& root, const TControl* element) {
    const std::vector<TControl*> elements = AccessibleElements(root);
    const bool showing = element == &root ? root.Showing()
                                          : std::find(elements.begin(), elements.end(), element) != elements.end();
    auto* target = const_cast<TControl*>(element);
    if (showing && target->EffectivelyEnabled()) target->AccessibleAction();
}

void NotifyAccessibleValue(TControl& control) { Notify(EVENT_OBJECT_VALUECHANGE, control); }

void NotifyAccessibleState(TControl& control) { Notify(EVENT_OBJECT_STATECHANGE, control); }

void NotifyAccessibleAlert(TForm& form) { Notify(EVENT_SYSTEM_ALERT, form); }

std::wstring TControl::AccessibleName() const {
    if (!accessibleName_.empty()) return accessibleName_;
    std::wstring name;
    for (size_t i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == L'&' && i + 1 < caption_.size()) ++i;
        name += caption_[i];
    }
    return name;
}

long TForm::ClassAccessibleRole() const { return modal_ ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_WINDOW; }

void TForm::AccessibleFocusMayHaveMoved() {
    if (!HandleAllocated() || focusCheckPosted_) return;
    focusCheckPosted_ = PostMessageW(Handle(), CM_ACCESSIBLEFOCUS, 0, 0) != FALSE;
}

void TForm::AnnounceFocus() {
    focusCheckPosted_ = false;
    const TControl* focused = GetFocus() == Handle() ? FocusedElement() : nullptr;
    if (focused == announcedFocus_) return;
    announcedFocus_ = focused;
    if (focused) Notify(EVENT_OBJECT_FOCUS, *focused);
}

}  // namespace gui
