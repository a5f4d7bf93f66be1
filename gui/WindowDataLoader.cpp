#include "gui/WindowDataLoader.h"

#include "gui/WindowDataPictures.h"

#include <algorithm>
#include <cwctype>
#include <map>

namespace gui {

namespace {

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
};

// Where a setter runs, so that what it raises can name the place.
struct Place {
    int Line = 0;
    std::wstring Property;
    TWindowDataValue Value;
};

struct PendingStep {
    Place Where;
    std::function<void()> Step;
    int Order = 0;
};

class Loader : public TWindowDataReader {
public:
    Loader(TForm& form, const std::wstring& file, const TWindowDataBindings& bindings)
        : form_(form), file_(file), bindings_(bindings) {
        for (const TWindowDataBinding& binding : bindings_) {
            if (binding.Handler.has_value()) handlers_[binding.Name] = &binding.Handler;
        }
    }

    ~Loader() {
        // A handler raising while a failed load unwinds has no one left to tell.
        try {
            ReleaseAlignment();
        } catch (...) {
        }
    }

    void Load(const TWindowDataNode& root) {
        form_.SetName(root.Name);
        lines_[root.Name] = root.Line;
        HoldAlignment(form_);
        ApplyProperties(form_, RootClass(root), root);
        for (const TWindowDataNode& child : root.Children) CreateComponent(child, form_);
        std::stable_sort(fixups_.begin(), fixups_.end(),
                         [](const PendingStep& a, const PendingStep& b) { return a.Order < b.Order; });
        for (const PendingStep& fixup : fixups_) RunAt(fixup.Where, fixup.Step);
        ReleaseAlignment();
        BindFields(root.Line);
    }

    std::unique_ptr<TGraphic> Picture(const TWindowDataValue& value) override {
        if (value.Kind != TWindowDataValueKind::Identifier) throw EWindowDataBadValue(L"picture name expected");
        std::unique_ptr<TGraphic> picture = LoadPictureResource(value.Text);
        if (!picture) throw EWindowDataUnknown(L"unknown picture", value.Text);
        picture->SetSourceName(value.Text);
        return picture;
    }

    void Fixup(std::function<void()> step, int order) override { fixups_.push_back({current_, std::move(step), order}); }

    void AfterProperties(std::function<void()> step) override { afterProperties_.push_back({current_, std::move(step), 0}); }

    TComponent& ComponentNamed(const TWindowDataValue& value) override {
        if (value.Kind != TWindowDataValueKind::Identifier) throw EWindowDataBadValue(L"component name expected");
        if (_wcsicmp(value.Text.c_str(), form_.Name().c_str()) == 0) return form_;
        if (TComponent* component = form_.FindComponent(value.Text)) return *component;
        throw EWindowDataUnknown(L"unknown component", value.Text);
    }

protected:
    const std::any& FindHandler(const TWindowDataValue& value) override {
        if (value.Kind != TWindowDataValueKind::Identifier) throw EWindowDataBadValue(L"handler name expected");
        auto it = handlers_.find(value.Text);
        if (it == handlers_.end()) throw EWindowDataUnknown(L"unknown handler", value.Text);
        return *it->second;
    }

private:
    void CreateComponent(const TWindowDataNode& node, TComponent& parent) {
        const TComponentFactory* factory = FindWindowDataFactory(node.ClassName);
        if (!factory) {
            const wchar_t* what = WindowDataClassRegistered(node.ClassName) ? L"class not creatable" : L"unknown class";
            throw EWindowDataError(file_, node.Line, what, node.ClassName);
        }
        if (form_.FindComponent(node.Name) || _wcsicmp(node.Name.c_str(), form_.Name().c_str()) == 0) {
            throw EWindowDataError(file_, node.Line, L"duplicate component name", node.Name);
        }
        TComponent& component = *form_.Adopt(Make(*factory, node));
        if (auto* control = dynamic_cast<TControl*>(&component)) PlaceControl(*control, parent, node);
        if (auto* container = dynamic_cast<TWinControl*>(&component)) HoldAlignment(*container);
        lines_[node.Name] = node.Line;
        ApplyProperties(component, node.ClassName, node);
        for (const TWindowDataNode& child : node.Children) CreateComponent(child, component);
    }

    std::unique_ptr<TComponent> Make(const TComponentFactory& factory, const TWindowDataNode& node) {
        std::unique_ptr<TComponent> made;
        try {
            made = factory(&form_);
        } catch (const sys::Exception& e) {
            throw EWindowDataError(file_, node.Line, L"cannot create " + node.ClassName + L" (" + e.Message() + L")", node.Name);
        }
        made->SetName(node.Name);
        return made;
    }

    // Aligned controls take their places once the whole tree exists, in the order of the places
    // written for them, not in the order they happen to be created; parents first, so that each
    // container lays out its children within its final size.
    void HoldAlignment(TWinControl& container) {
        container.DisableAlign();
        held_.push_back(&container);
    }

    void ReleaseAlignment() {
        std::vector<TWinControl*> held = std::move(held_);
        held_.clear();
        for (TWinControl* container : held) container->EnableAlign();
    }

    // A form class of the program's own may register extra properties; one it did not register
    // is read as a plain form.
    std::wstring RootClass(const TWindowDataNode& root) const {
        if (!WindowDataClassRegistered(root.ClassName)) return L"TForm";
        if (!WindowDataClassInherits(root.ClassName, L"TForm")) {
            throw EWindowDataError(file_, root.Line, L"the outermost object is not a form", root.ClassName);
        }
        return root.ClassName;
    }

    void PlaceControl(TControl& control, TComponent& parent, const TWindowDataNode& node) {
        auto* container = dynamic_cast<TWinControl*>(&parent);
        if (!container) throw EWindowDataError(file_, node.Line, L"parent cannot hold controls", parent.Name());
        const TParentSetter* place = FindWindowDataParentSetter(node.ClassName);
        if (!place) {
            control.SetParent(container);
            return;
        }
        try {
            (*place)(control, *container);
        } catch (const sys::Exception& e) {
            throw EWindowDataError(file_, node.Line, L"cannot place " + node.ClassName + L" (" + e.Message() + L")", parent.Name());
        }
    }

    void ApplyProperties(TComponent& component, const std::wstring& className, const TWindowDataNode& node) {
        component.SetLoading(true);
        for (const TWindowDataProperty& property : node.Properties) {
            const TPropertySetter* setter = FindWindowDataProperty(className, property.Name);
            if (!setter) throw EWindowDataError(file_, property.Line, L"unknown property of " + className, property.Name);
            current_ = {property.Line, property.Name, property.Value};
            RunAt(current_, [&] { (*setter)(component, property.Value, *this); });
        }
        std::vector<PendingStep> steps = std::move(afterProperties_);
        afterProperties_.clear();
        for (const PendingStep& step : steps) RunAt(step.Where, step.Step);
        component.SetLoading(false);
    }

    // The setter's complaint, with the place added.
    void RunAt(const Place& where, const std::function<void()>& step) {
        try {
            step();
        } catch (const EWindowDataError&) {
            throw;
        } catch (const EWindowDataBadValue& e) {
            throw EWindowDataError(file_, where.Line, L"bad value for " + where.Property + L" (" + e.Message() + L")",
                                   DescribeValue(where.Value));
        } catch (const EWindowDataUnknown& e) {
            throw EWindowDataError(file_, where.Line, e.What(), e.Name());
        } catch (const sys::Exception& e) {
            throw EWindowDataError(file_, where.Line, L"cannot set " + where.Property + L" (" + e.Message() + L")",
                                   DescribeValue(where.Value));
        }
    }

    void BindFields(int rootLine) {
        for (const TWindowDataBinding& binding : bindings_) {
            if (!binding.AssignField) continue;
            TComponent* component = form_.FindComponent(binding.Name);
            if (!component) throw EWindowDataError(file_, rootLine, L"no component for the field", binding.Name);
            if (!binding.AssignField(component)) {
                throw EWindowDataError(file_, lines_[binding.Name], L"component of another class than its field", binding.Name);
            }
        }
    }

    TForm& form_;
    const std::wstring& file_;
    const TWindowDataBindings& bindings_;
    std::map<std::wstring, const std::any*, NoCaseLess> handlers_;
    std::map<std::wstring, int, NoCaseLess> lines_;
    std::vector<PendingStep> fixups_;
    std::vector<PendingStep> afterProperties_;
    std::vector<TWinControl*> held_;
    Place current_;
};

}  // namespace

bool ReadRcDataResource(const std::wstring& name, std::string& bytes, HMODULE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    bytes.assign(static_cast<const char*>(data), SizeofResource(module, resource));
    return true;
}

std::wstring ResourceNameOf(const std::wstring& fileName) {
    std::wstring stem = sys::ExtractFileName(fileName);
    size_t dot = stem.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) stem.erase(dot);
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    return stem;
}

void LoadWindowDataText(TForm& form, const std::string& utf8Text, const std::wstring& fileName,
                        const TWindowDataBindings& bindings) {
    TWindowDataNode root = ParseWindowData(utf8Text, fileName);
    Loader(form, fileName, bindings).Load(root);
}

void LoadWindowData(TForm& form, const std::wstring& fileName, const TWindowDataBindings& bindings) {
    std::string text;
    if (!ReadRcDataResource(ResourceNameOf(fileName), text)) {
        throw EWindowDataError(fileName, 0, L"no window data resource", ResourceNameOf(fileName));
    }
    LoadWindowDataText(form, text, fileName, bindings);
}

void LoadWindowData(TForm& form, const std::wstring& fileName) {
    auto* bound = dynamic_cast<IWindowDataForm*>(&form);
    LoadWindowData(form, fileName, bound ? bound->WindowDataBindings() : TWindowDataBindings());
}

}  // namespace gui
