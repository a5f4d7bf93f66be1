#pragma once
// Ownership and free notification. An owner frees the components it owns (last made, first
// freed); a component told about another's end (FreeNotification) can drop its reference.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gui {

class TObject {
public:
    virtual ~TObject() = default;
};

enum TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    long long Tag() const { return tag_; }
    void SetTag(long long tag) { tag_ = tag; }

    // Hands the component to this owner; the owner frees it.
    template <class T>
    T* Adopt(std::unique_ptr<T> component) {
        T* raw = component.get();
        owned_.push_back(std::move(component));
        return raw;
    }
    // Frees an owned component before its owner goes (a dialog freed after its one showing).
    void FreeComponent(TComponent* component);
    size_t ComponentCount() const { return owned_.size(); }
    TComponent* Component(size_t index) const { return owned_[index].get(); }
    TComponent* FindComponent(const std::wstring& name) const;

    // other->Notification(this, opRemove) will run when this component goes.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);
    bool Destroying() const { return destroying_; }
    // Set while window data gives the component its properties; Loaded runs once all are in, so
    // work that depends on several of them (measuring a caption in its font) is done once.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) {
        loading_ = loading;
        if (!loading) Loaded();
    }

protected:
    virtual void Notification(TComponent* component, TOperation operation) {}
    virtual void Loaded() {}
    // Tells the watchers and frees the owned components; run by the first destructor in the
    // chain that still needs its own members (a window must outlive the hooks of its companions).
    void BeginDestroy();

private:
    TComponent* owner_;
    std::wstring name_;
    long long tag_ = 0;
    bool destroying_ = false;
    bool loading_ = false;
    std::vector<std::unique_ptr<TComponent>> owned_;
    std::vector<TComponent*> watchers_;
};

// Makes a component owned by owner: New<TLabel>(form) returns the label, the form frees it.
template <class T, class... Args>
T* New(TComponent* owner, Args&&... args) {
    return owner->Adopt(std::make_unique<T>(owner, std::forward<Args>(args)...));
}

}  // namespace gui
