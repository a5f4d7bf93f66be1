#include "controls/briskPanel.h"
#include "gui/WindowDataRegistry.h"

namespace {

const gui::TIdentTable<TBriskFrameStyle> kFrameStyleIdents = {
    {L"fsNone", fsNone}, {L"fsFlat", fsFlat}, {L"fsGroove", fsGroove}, {L"fsBump", fsBump},
    {L"fsLowered", fsLowered}, {L"fsButtonDown", fsButtonDown}, {L"fsRaised", fsRaised},
    {L"fsButtonUp", fsButtonUp}, {L"fsStatus", fsStatus}, {L"fsPopup", fsPopup},
    {L"fsFlatBold", fsFlatBold}, {L"fsFlatRounded", fsFlatRounded},
};
const gui::TIdentTable<TBriskSides> kSideIdents = {
    {L"sdLeft", sdLeft}, {L"sdTop", sdTop}, {L"sdRight", sdRight}, {L"sdBottom", sdBottom}};
const gui::TIdentTable<TVerticalAlignment> kVerticalIdents = {{L"avTop", avTop}, {L"avCenter", avCenter}, {L"avBottom", avBottom}};
const gui::TIdentTable<TBackgroundOptions> kBackgroundOptionIdents = {{L"poStretch", poStretch}};
const gui::TIdentTable<TGradientDirection> kGradientIdents = {
    {L"gdDiagonalUp", gdDiagonalUp}, {L"gdDiagonalDown", gdDiagonalDown}, {L"gdHorizontalEnd", gdHorizontalEnd},
    {L"gdHorizontalCenter", gdHorizontalCenter}, {L"gdHorizontalBox", gdHorizontalBox}, {L"gdVerticalEnd", gdVerticalEnd},
    {L"gdVerticalCenter", gdVerticalCenter}, {L"gdVerticalBox", gdVerticalBox}, {L"gdSquareBox", gdSquareBox},
    {L"gdBigSquareBox", gdBigSquareBox},
};
const gui::TIdentTable<TGridStyle> kGridStyleIdents = {{L"gsDots", gsDots}, {L"gsDottedLines", gsDottedLines}, {L"gsSolidLines", gsSolidLines}};

unsigned short GridSize(const gui::TWindowDataValue& value) {
    const long long size = gui::IntegerValue(value);
    if (size < 0 || size > 0xFFFF) throw gui::EWindowDataBadValue(L"integer 0..65535 expected");
    return static_cast<unsigned short>(size);
}

}  // namespace

void RegisterBriskPanelWindowData() {
    using Panel = TBriskPanel;
    using Value = const gui::TWindowDataValue&;
    using Reader = gui::TWindowDataReader&;
    auto table = gui::TPropertyTable<Panel>();
    table.Enum(L"Alignment", &Panel::SetAlignment, gui::kAlignmentIdents)
        .Enum(L"AlignmentVertical", &Panel::SetAlignmentVertical, kVerticalIdents)
        // Loaded into the panel's own picture object, as the designer's data does.
        .Add(L"BackgroundPicture", [](Panel& p, Value v, Reader reader) { p.BackgroundPicture().SetGraphic(reader.Picture(v)); })
        .Set(L"BackgroundOptions", &Panel::SetBackgroundOptions, kBackgroundOptionIdents)
        .Boolean(L"Transparent", &Panel::SetTransparent)
        .Enum(L"BorderOuter", &Panel::SetBorderOuter, kFrameStyleIdents)
        .Enum(L"BorderInner", &Panel::SetBorderInner, kFrameStyleIdents)
        .Set(L"BorderSides", &Panel::SetBorderSides, kSideIdents)
        .Color(L"BorderColor", &Panel::SetBorderColor)
        .Color(L"BorderHighlight", &Panel::SetBorderHighlight)
        .Color(L"BorderShadow", &Panel::SetBorderShadow)
        .Integer(L"BorderWidth", &Panel::SetBorderWidth)
        .Integer(L"BevelWidth", &Panel::SetBevelWidth)
        .Color(L"FlatColor", &Panel::SetFlatColor)
        .Integer(L"FlatColorAdjustment", &Panel::SetFlatColorAdjustment)
        .Boolean(L"UseGradients", &Panel::SetUseGradients)
        .Color(L"GradientColorStart", &Panel::SetGradientColorStart)
        .Color(L"GradientColorStop", &Panel::SetGradientColorStop)
        .Enum(L"GradientDirection", &Panel::SetGradientDirection, kGradientIdents)
        .Boolean(L"ThemeAware", &Panel::SetThemeAware)
        .Boolean(L"ShowGrid", &Panel::SetShowGrid)
        .Color(L"GridColor", &Panel::SetGridColor)
        .Enum(L"GridStyle", &Panel::SetGridStyle, kGridStyleIdents)
        .Add(L"GridXSize", [](Panel& p, Value v, Reader) { p.SetGridXSize(GridSize(v)); })
        .Add(L"GridYSize", [](Panel& p, Value v, Reader) { p.SetGridYSize(GridSize(v)); })
        .Boolean(L"FullRepaint", &Panel::SetFullRepaint)
        .Boolean(L"Locked", &Panel::SetLocked)
        .Add(L"FrameController", [](Panel& p, Value v, Reader reader) {
            reader.Fixup([&p, v, &reader] {
                auto* controller = dynamic_cast<TBriskFrameController*>(&reader.ComponentNamed(v));
                if (!controller) throw gui::EWindowDataBadValue(L"frame controller expected");
                p.SetFrameController(controller);
            });
        })
        .Boolean(L"ShowDockClientCaptions", &Panel::SetShowDockClientCaptions)
        .Boolean(L"DockSite", &Panel::SetDockSite)
        .Boolean(L"UseDockManager", &Panel::SetUseDockManager)
        .Boolean(L"AutoSize", &Panel::SetAutoSize)
        .Boolean(L"Ctl3D", &Panel::SetCtl3D)
        .Boolean(L"ParentCtl3D", &Panel::SetParentCtl3D)
        .Event(L"OnPaint", &Panel::OnPaint);
    for (const wchar_t* designerOnly : {L"BiDiMode", L"ParentBiDiMode", L"DragCursor", L"DragKind", L"DragMode",
                                        L"ParentShowHint", L"Constraints.MinWidth", L"Constraints.MinHeight",
                                        L"Constraints.MaxWidth", L"Constraints.MaxHeight"}) {
        table.Ignored(designerOnly);
    }
    gui::RegisterWindowDataClass(L"TBriskPanel", L"TCustomControl", gui::FactoryOf<Panel>(), table.Entries());
    gui::RegisterWindowDataClass(L"TBriskFrameController", L"TComponent", gui::FactoryOf<TBriskFrameController>(), {});
}
