#pragma once
// Builds a form's component tree from its stored window data. The data is a text resource
// compiled into the executable with a line such as
//
//     F_MAIN RCDATA "f_Main.dfm"
//
// (the upper-case file stem, as for pictures). A form loads it in its constructor, naming the
// file; the framework then runs OnCreate as for any form (NewForm, Application.CreateForm):
//
//     Tfrm_Main::Tfrm_Main(TComponent* owner) : TForm(owner) { LoadWindowData(*this, L"f_Main.dfm"); }
//
//     TWindowDataBindings Tfrm_Main::WindowDataBindings() {
//         return {Field(L"imgTop", imgTop),
//                 Handler(L"FormCreate", this, &Tfrm_Main::FormCreate),
//                 Handler(L"imgTopMouseDown", this, &Tfrm_Main::imgTopMouseDown)};
//     }
//
// Components are created in the written order, owned by the form, each with its properties set
// in the written order; then references and tab orders are settled and the fields bound. An
// unknown class, property, picture, handler or field, or a value that does not fit, fails the
// load with EWindowDataError naming the file, the line and the name.
#include "gui/Forms.h"
#include "gui/WindowDataRegistry.h"

#include <any>
#include <functional>
#include <string>
#include <vector>

namespace gui {

// One name the form offers the data: an event handler or a field for a component.
struct TWindowDataBinding {
    std::wstring Name;
    std::any Handler;                             // a TNotifyEvent, TMouseEvent, ...
    std::function<bool(TComponent*)> AssignField;  // false when the component is of another class
};

using TWindowDataBindings = std::vector<TWindowDataBinding>;

// The handler name -> the form's method, as the event type with the method's parameters.
template <class C, class... A>
TWindowDataBinding Handler(const std::wstring& name, C* form, void (C::*method)(A...)) {
    std::function<void(A...)> call = [form, method](A... args) { (form->*method)(std::forward<A>(args)...); };
    return {name, std::any(std::move(call)), nullptr};
}

// The same for a handler in hand: Handler(L"FormShow", TNotifyEvent([this](TObject*) { ... })).
template <class... A>
TWindowDataBinding Handler(const std::wstring& name, std::function<void(A...)> event) {
    return {name, std::any(std::move(event)), nullptr};
}

// The component of that name, stored into the form's field; it must exist and be a T.
template <class T>
TWindowDataBinding Field(const std::wstring& name, T*& field) {
    return {name, std::any(), [&field](TComponent* component) {
                T* typed = dynamic_cast<T*>(component);
                if (typed) field = typed;
                return typed != nullptr;
            }};
}

// A form class that binds its own handlers and fields.
class IWindowDataForm {
public:
    virtual ~IWindowDataForm() = default;
    virtual TWindowDataBindings WindowDataBindings() = 0;
};

// Reads the RCDATA resource named by fileName's upper-case stem from the running module.
// Bindings come from the form when it is an IWindowDataForm.
void LoadWindowData(TForm& form, const std::wstring& fileName);
void LoadWindowData(TForm& form, const std::wstring& fileName, const TWindowDataBindings& bindings);
// The same from text in hand; fileName only labels the messages.
void LoadWindowDataText(TForm& form, const std::string& utf8Text, const std::wstring& fileName,
                        const TWindowDataBindings& bindings);

// The bytes of an RCDATA resource; false when the module has none of that name.
bool ReadRcDataResource(const std::wstring& name, std::string& bytes, HMODULE module = nullptr);
// "F_MAIN" for "ui\f_Main.dfm".
std::wstring ResourceNameOf(const std::wstring& fileName);

}  // namespace gui
