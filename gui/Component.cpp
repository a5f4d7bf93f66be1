#include "gui/Component.h"

#include <algorithm>

namespace gui {

TComponent::TComponent(TComponent* owner) : owner_(owner) {}

TComponent::~TComponent() { BeginDestroy(); }

void TComponent::BeginDestroy() {
    if (destroying_) return;
    destroying_ = true;
    std::vector<TComponent*> watchers = std::move(watchers_);
    for (TComponent* watcher : watchers) {
        watcher->RemoveFreeNotification(this);
        watcher->Notification(this, opRemove);
    }
    while (!owned_.empty()) {
        std::unique_ptr<TComponent> last = std::move(owned_.back());
        owned_.pop_back();
        last.reset();
    }
}

void TComponent::FreeComponent(TComponent* component) {
    auto it = std::find_if(owned_.begin(), owned_.end(), [component](const auto& c) { return c.get() == component; });
    if (it == owned_.end()) return;
    std::unique_ptr<TComponent> doomed = std::move(*it);
    owned_.erase(it);
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
    for (const auto& c : owned_) {
        if (_wcsicmp(c->Name().c_str(), name.c_str()) == 0) return c.get();
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(watchers_.begin(), watchers_.end(), other) == watchers_.end()) watchers_.push_back(other);
    // Both directions: whichever goes first tells the other, so neither keeps a dangling entry.
    if (std::find(other->watchers_.begin(), other->watchers_.end(), this) == other->watchers_.end()) {
        other->watchers_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), other), watchers_.end());
    if (other) other->watchers_.erase(std::remove(other->watchers_.begin(), other->watchers_.end(), this), other->watchers_.end());
}

}  // namespace gui
