#pragma once
// The classes that stored window data may name, and per class the properties it may set. A
// class inherits the properties of the class it names as its parent, so a control registers
// only what it adds:
//
//     void RegisterBriskPanelWindowData() {
//         RegisterWindowDataClass(L"TBriskPanel", L"TCustomControl", FactoryOf<TBriskPanel>(),
//             TPropertyTable<TBriskPanel>()
//                 .Boolean(L"Transparent", &TBriskPanel::SetTransparent)
//                 .Enum(L"BorderOuter", &TBriskPanel::SetBorderOuter, kFrameStyleIdents)
//                 .Add(L"BackgroundPicture", [](TBriskPanel& panel, const TWindowDataValue& value,
//                                               TWindowDataReader& reader) {
//                     panel.BackgroundPicture().SetGraphic(reader.Picture(value));
//                 })
//                 .Entries());
//     }
//
// Register from a function that the window's code calls before it loads its data: a static
// registrar object in a static library is dropped by the linker when nothing else in its
// object file is referenced. Registering a taken name again changes nothing, so such a function
// may run once per window. The framework's own classes (TControl, TGraphicControl, TWinControl,
// TCustomControl, TForm) and the standard controls (TLabel, TImage, TPanel, TCheckBox, TMemo,
// TPageControl, TTabSheet, TTimer) are registered before the first look-up.
#include "gui/Forms.h"
#include "gui/Graphics.h"
#include "gui/PngImage.h"
#include "gui/WindowDataParser.h"

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gui {

// A value that does not fit the property; expected says what would: "integer expected". The
// loader adds the file, the line, the property and the value.
class EWindowDataBadValue : public sys::Exception {
public:
    using sys::Exception::Exception;
};

// A name in the data that the program does not know ("unknown picture", "unknown handler");
// the loader adds the file and the line.
class EWindowDataUnknown : public sys::Exception {
public:
    EWindowDataUnknown(std::wstring what, std::wstring name)
        : sys::Exception(what + L": " + name), what_(std::move(what)), name_(std::move(name)) {}
    const std::wstring& What() const { return what_; }
    const std::wstring& Name() const { return name_; }

private:
    std::wstring what_;
    std::wstring name_;
};

// What a property setter may ask of the load in progress.
class TWindowDataReader {
public:
    virtual ~TWindowDataReader() = default;

    // The picture stored as RCDATA under the value's name (PNG or BMP data).
    virtual std::unique_ptr<TGraphic> Picture(const TWindowDataValue& value) = 0;
    TPngImage PngPicture(const TWindowDataValue& value);
    TBitmap BitmapPicture(const TWindowDataValue& value);  // a PNG comes without its alpha

    // The window's handler named by the value, as the event type E (TNotifyEvent, TMouseEvent..).
    template <class E>
    E Handler(const TWindowDataValue& value) {
        const std::any& handler = FindHandler(value);
        if (const E* typed = std::any_cast<E>(&handler)) return *typed;
        throw EWindowDataUnknown(L"handler of another event type", value.Text);
    }

    // Runs step once the whole tree exists (a reference to a component written further down);
    // lower order first, the written order among equals.
    virtual void Fixup(std::function<void()> step, int order = 0) = 0;
    // A component of the window by name; raises for an unknown one. Meant for fixups.
    virtual TComponent& ComponentNamed(const TWindowDataValue& value) = 0;
    // Runs step after the current object's other properties (values that depend on others).
    virtual void AfterProperties(std::function<void()> step) = 0;

protected:
    virtual const std::any& FindHandler(const TWindowDataValue& value) = 0;
};

using TPropertySetter = std::function<void(TComponent& component, const TWindowDataValue& value, TWindowDataReader& reader)>;
using TComponentFactory = std::function<std::unique_ptr<TComponent>(TComponent* owner)>;

struct TPropertyEntry {
    std::wstring Name;  // dotted for a sub-object: Font.Name
    TPropertySetter Set;
};

// Out of line, so that each of the many registrations is one call rather than a string and a
// function object built in place.
void AddPropertyEntry(std::vector<TPropertyEntry>& entries, const wchar_t* name, TPropertySetter set);
[[noreturn]] void ThrowForeignProperty(const wchar_t* name);

template <class T>
TComponentFactory FactoryOf() {
    return [](TComponent* owner) -> std::unique_ptr<TComponent> { return std::make_unique<T>(owner); };
}

// How a control joins the control it is written in (a tab sheet joins its page control);
// raises sys::Exception when that parent does not fit.
using TParentSetter = std::function<void(TControl& child, TWinControl& parent)>;

// parentClass names an already registered class whose properties this one inherits (empty:
// none). factory is empty for a base class that the data never creates. place is empty for
// plain SetParent (or the nearest ancestor's). False, and nothing changes, when the name is taken.
bool RegisterWindowDataClass(const std::wstring& className, const std::wstring& parentClass,
                             TComponentFactory factory, std::vector<TPropertyEntry> properties,
                             TParentSetter place = nullptr);
bool WindowDataClassRegistered(const std::wstring& className);
// className is ancestor or registered with it somewhere up its chain of parents.
bool WindowDataClassInherits(const std::wstring& className, const std::wstring& ancestor);
// nullptr for an unknown class or one without a factory.
const TComponentFactory* FindWindowDataFactory(const std::wstring& className);
// The class's way of joining a parent, or its nearest ancestor's; nullptr for plain SetParent.
const TParentSetter* FindWindowDataParentSetter(const std::wstring& className);
// The setter for property in className or the nearest ancestor that has it; nullptr for none.
const TPropertySetter* FindWindowDataProperty(const std::wstring& className, const std::wstring& property);

// Names of enumeration values and set elements, as the data writes them.
template <class V>
using TIdentTable = std::vector<std::pair<const wchar_t*, V>>;

long long IntegerValue(const TWindowDataValue& value);
int IntValue(const TWindowDataValue& value);  // within the 32-bit range
bool BooleanValue(const TWindowDataValue& value);
std::wstring StringValue(const TWindowDataValue& value);
// clBtnFace and the other names of gui/Colors.h, or a number ($00F7F3F0, $FF00000F).
TColor ColorValue(const TWindowDataValue& value);
// DEFAULT_CHARSET, GB2312_CHARSET, ANSI_CHARSET.. or a number 0..255.
BYTE CharsetValue(const TWindowDataValue& value);

template <class V>
V IdentValue(const TWindowDataValue& value, const TIdentTable<V>& table) {
    if (value.Kind == TWindowDataValueKind::Identifier) {
        for (const auto& entry : table) {
            if (_wcsicmp(entry.first, value.Text.c_str()) == 0) return entry.second;
        }
    }
    std::wstring names;
    for (const auto& entry : table) names += (names.empty() ? L"" : L", ") + std::wstring(entry.first);
    throw EWindowDataBadValue(L"one of " + names + L" expected");
}

// The bits of the written elements OR-ed together; V is an unsigned bit set (TAnchors).
template <class V>
V SetValue(const TWindowDataValue& value, const TIdentTable<V>& table) {
    if (value.Kind != TWindowDataValueKind::Set) throw EWindowDataBadValue(L"set expected");
    V bits{};
    for (const std::wstring& item : value.Items) {
        TWindowDataValue element;
        element.Kind = TWindowDataValueKind::Identifier;
        element.Text = item;
        bits = static_cast<V>(bits | IdentValue(element, table));
    }
    return bits;
}

extern const TIdentTable<TAlign> kAlignIdents;
extern const TIdentTable<TAnchors> kAnchorIdents;
extern const TIdentTable<TCursor> kCursorIdents;
extern const TIdentTable<TAlignment> kAlignmentIdents;
extern const TIdentTable<TFontStyles> kFontStyleIdents;
extern const TIdentTable<TColor> kColorIdents;

// The property list of one class, built with its typed setters. B is T or a base of it. Ident
// tables are kept by reference: give namespace-scope constants.
template <class T>
class TPropertyTable {
public:
    template <class F>  // F(T&, const TWindowDataValue&, TWindowDataReader&)
    TPropertyTable& Add(const wchar_t* name, F setter) {
        AddPropertyEntry(entries_, name,
                         [setter, name](TComponent& component, const TWindowDataValue& value, TWindowDataReader& reader) {
                             T* target = dynamic_cast<T*>(&component);
                             if (!target) ThrowForeignProperty(name);
                             setter(*target, value, reader);
                         });
        return *this;
    }
    template <class B>
    TPropertyTable& Integer(const wchar_t* name, void (B::*set)(int)) {
        return Add(name, [set](T& t, const TWindowDataValue& v, TWindowDataReader&) { (t.*set)(IntValue(v)); });
    }
    template <class B>
    TPropertyTable& Boolean(const wchar_t* name, void (B::*set)(bool)) {
        return Add(name, [set](T& t, const TWindowDataValue& v, TWindowDataReader&) { (t.*set)(BooleanValue(v)); });
    }
    template <class B>
    TPropertyTable& String(const wchar_t* name, void (B::*set)(const std::wstring&)) {
        return Add(name, [set](T& t, const TWindowDataValue& v, TWindowDataReader&) { (t.*set)(StringValue(v)); });
    }
    template <class B>
    TPropertyTable& Color(const wchar_t* name, void (B::*set)(TColor)) {
        return Add(name, [set](T& t, const TWindowDataValue& v, TWindowDataReader&) { (t.*set)(ColorValue(v)); });
    }
    template <class B, class V>
    TPropertyTable& Enum(const wchar_t* name, void (B::*set)(V), const TIdentTable<V>& idents) {
        return Add(name, [set, &idents](T& t, const TWindowDataValue& v, TWindowDataReader&) {
            (t.*set)(IdentValue(v, idents));
        });
    }
    template <class B, class V>
    TPropertyTable& Set(const wchar_t* name, void (B::*set)(V), const TIdentTable<V>& idents) {
        return Add(name, [set, &idents](T& t, const TWindowDataValue& v, TWindowDataReader&) {
            (t.*set)(SetValue(v, idents));
        });
    }
    // An event field such as &TControl::OnClick, bound to the window's handler of that name.
    template <class B, class E>
    TPropertyTable& Event(const wchar_t* name, E B::*field) {
        return Add(name, [field](T& t, const TWindowDataValue& v, TWindowDataReader& reader) {
            t.*field = reader.Handler<E>(v);
        });
    }
    // A property the designer stores that has no effect in this program; any value is taken.
    TPropertyTable& Ignored(const wchar_t* name) {
        return Add(name, [](T&, const TWindowDataValue&, TWindowDataReader&) {});
    }

    std::vector<TPropertyEntry> Entries() const { return entries_; }

private:
    std::vector<TPropertyEntry> entries_;
};

}  // namespace gui
