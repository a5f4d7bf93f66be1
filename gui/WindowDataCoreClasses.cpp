// The framework's own classes as stored window data sees them.
#include "gui/WindowDataRegistry.h"

#include <oleacc.h>

#include <algorithm>

namespace gui {

namespace {

const TIdentTable<TFormBorderStyle> kBorderStyleIdents = {
    {L"bsNone", bsNone}, {L"bsSingle", bsSingle}, {L"bsSizeable", bsSizeable},
    {L"bsDialog", bsDialog}, {L"bsToolWindow", bsToolWindow},
};

const TIdentTable<TFormStyle> kFormStyleIdents = {{L"fsNormal", fsNormal}, {L"fsStayOnTop", fsStayOnTop}};

// The roles a control may take in place of its class's: a picture that reads as a link or a bar.
const TIdentTable<long> kAccessibleRoleIdents = {
    {L"arLink", ROLE_SYSTEM_LINK}, {L"arProgressBar", ROLE_SYSTEM_PROGRESSBAR}, {L"arPushButton", ROLE_SYSTEM_PUSHBUTTON},
};

using Value = const TWindowDataValue&;
using Reader = TWindowDataReader&;

void AddFontProperties(TPropertyTable<TControl>& table) {
    table.Add(L"Font.Name", [](TControl& c, Value v, Reader) { c.Font().SetName(StringValue(v)); })
        .Add(L"Font.Height", [](TControl& c, Value v, Reader) { c.Font().SetHeight(IntValue(v)); })
        .Add(L"Font.Size", [](TControl& c, Value v, Reader) { c.Font().SetSize(IntValue(v)); })
        .Add(L"Font.Color", [](TControl& c, Value v, Reader) { c.Font().SetColor(ColorValue(v)); })
        .Add(L"Font.Style", [](TControl& c, Value v, Reader) { c.Font().SetStyle(SetValue(v, kFontStyleIdents)); })
        .Add(L"Font.Charset", [](TControl& c, Value v, Reader) { c.Font().SetCharset(CharsetValue(v)); });
}

std::vector<TPropertyEntry> ComponentProperties() {
    return TPropertyTable<TComponent>()
        .Add(L"Name", [](TComponent& c, Value v, Reader) {
            c.SetName(v.Kind == TWindowDataValueKind::Identifier ? v.Text : StringValue(v));
        })
        .Add(L"Tag", [](TComponent& c, Value v, Reader) { c.SetTag(IntegerValue(v)); })
        .Entries();
}

std::vector<TPropertyEntry> ControlProperties() {
    TPropertyTable<TControl> table;
    table.Integer(L"Left", &TControl::SetLeft)
        .Integer(L"Top", &TControl::SetTop)
        .Integer(L"Width", &TControl::SetWidth)
        .Integer(L"Height", &TControl::SetHeight)
        .Add(L"ClientWidth", [](TControl& c, Value v, Reader) { c.SetWidth(IntValue(v) + c.Width() - c.ClientWidth()); })
        .Add(L"ClientHeight", [](TControl& c, Value v, Reader) { c.SetHeight(IntValue(v) + c.Height() - c.ClientHeight()); })
        .Enum(L"Align", &TControl::SetAlign, kAlignIdents)
        .Set(L"Anchors", &TControl::SetAnchors, kAnchorIdents)
        .Boolean(L"Visible", &TControl::SetVisible)
        .Boolean(L"Enabled", &TControl::SetEnabled)
        .String(L"Caption", &TControl::SetCaption)
        .Color(L"Color", &TControl::SetColor)
        .Boolean(L"ParentColor", &TControl::SetParentColor)
        .Boolean(L"ParentFont", &TControl::SetParentFont)
        .Enum(L"Cursor", &TControl::SetCursor, kCursorIdents)
        .String(L"Hint", &TControl::SetHint)
        .Boolean(L"ShowHint", &TControl::SetShowHint)
        .String(L"AccessibleName", &TControl::SetAccessibleName)
        .Enum(L"AccessibleRole", &TControl::SetAccessibleRole, kAccessibleRoleIdents)
        .Event(L"OnClick", &TControl::OnClick)
        .Event(L"OnDblClick", &TControl::OnDblClick)
        .Event(L"OnMouseDown", &TControl::OnMouseDown)
        .Event(L"OnMouseUp", &TControl::OnMouseUp)
        .Event(L"OnMouseMove", &TControl::OnMouseMove)
        .Event(L"OnMouseEnter", &TControl::OnMouseEnter)
        .Event(L"OnMouseLeave", &TControl::OnMouseLeave)
        .Event(L"OnResize", &TControl::OnResize);
    AddFontProperties(table);
    return table.Entries();
}

std::vector<TPropertyEntry> WinControlProperties() {
    return TPropertyTable<TWinControl>()
        // Siblings written further down may claim a lower place; ascending order after the
        // whole tree exists gives every control the place it was written with.
        .Add(L"TabOrder", [](TWinControl& c, Value v, Reader reader) {
            int order = std::max(0, IntValue(v));
            reader.Fixup([&c, order] { c.SetTabOrder(order); }, order);
        })
        .Boolean(L"TabStop", &TWinControl::SetTabStop)
        .Boolean(L"DoubleBuffered", &TWinControl::SetDoubleBuffered)
        .Event(L"OnEnter", &TWinControl::OnEnter)
        .Event(L"OnExit", &TWinControl::OnExit)
        .Event(L"OnKeyDown", &TWinControl::OnKeyDown)
        .Event(L"OnKeyUp", &TWinControl::OnKeyUp)
        .Event(L"OnKeyPress", &TWinControl::OnKeyPress)
        .Entries();
}

// The client size depends on the border style, which the designer may write after it.
std::vector<TPropertyEntry> FormProperties() {
    return TPropertyTable<TForm>()
        .Add(L"ClientWidth", [](TForm& f, Value v, Reader reader) {
            int width = IntValue(v);
            reader.AfterProperties([&f, width] { f.SetClientSize(width, f.ClientHeight()); });
        })
        .Add(L"ClientHeight", [](TForm& f, Value v, Reader reader) {
            int height = IntValue(v);
            reader.AfterProperties([&f, height] { f.SetClientSize(f.ClientWidth(), height); });
        })
        .Enum(L"BorderStyle", &TForm::SetBorderStyle, kBorderStyleIdents)
        .Enum(L"FormStyle", &TForm::SetFormStyle, kFormStyleIdents)
        .Boolean(L"KeyPreview", &TForm::SetKeyPreview)
        .Event(L"OnCreate", &TForm::OnCreate)
        .Event(L"OnShow", &TForm::OnShow)
        .Event(L"OnHide", &TForm::OnHide)
        .Event(L"OnDestroy", &TForm::OnDestroy)
        .Event(L"OnClose", &TForm::OnClose)
        // The designer's record of its screen; our forms are never scaled to it.
        .Ignored(L"PixelsPerInch")
        .Ignored(L"TextHeight")
        .Ignored(L"Scaled")
        .Entries();
}

}  // namespace

void RegisterStandardWindowDataClasses();  // gui/WindowDataStandardClasses.cpp

void RegisterCoreWindowDataClasses() {
    RegisterWindowDataClass(L"TComponent", L"", nullptr, ComponentProperties());
    RegisterWindowDataClass(L"TControl", L"TComponent", nullptr, ControlProperties());
    RegisterWindowDataClass(L"TGraphicControl", L"TControl", FactoryOf<TGraphicControl>(), {});
    RegisterWindowDataClass(L"TWinControl", L"TControl", FactoryOf<TWinControl>(), WinControlProperties());
    RegisterWindowDataClass(L"TCustomControl", L"TWinControl", FactoryOf<TCustomControl>(), {});
    RegisterWindowDataClass(L"TForm", L"TWinControl", nullptr, FormProperties());
    RegisterStandardWindowDataClasses();
}

}  // namespace gui
