// TModalSpeedButton as stored window data sees it.
#include "dialogs/ModalSpeedButton.h"
#include "gui/WindowDataRegistry.h"

namespace {

using Value = const gui::TWindowDataValue&;
using Reader = gui::TWindowDataReader&;

const gui::TIdentTable<TModalColorStyle> kColorStyleIdents = {
    {L"lcsCustom", lcsCustom}, {L"lcsGold", lcsGold}, {L"lcsChrome", lcsChrome},
    {L"lcsBlue", lcsBlue}, {L"lcsRed", lcsRed}, {L"lcsUltraFlat1", lcsUltraFlat1},
    {L"lcsUltraFlat2", lcsUltraFlat2}, {L"lcsAqua", lcsAqua},
};

const gui::TIdentTable<TModalSpeedButtonStyle> kStyleIdents = {
    {L"bsNormal", bsNormal}, {L"bsEncarta", bsEncarta}, {L"bsModern", bsModern},
};

const gui::TIdentTable<TModalSpeedButtonLayout> kLayoutIdents = {
    {L"blGlyphLeft", blGlyphLeft}, {L"blGlyphRight", blGlyphRight},
    {L"blGlyphTop", blGlyphTop}, {L"blGlyphBottom", blGlyphBottom},
};

const gui::TIdentTable<TModalButtonKind> kButtonKindIdents = {
    {L"mbkCustom", mbkCustom}, {L"mbkNormal", mbkNormal}, {L"mbkCancel", mbkCancel}, {L"mbkOK", mbkOK},
    {L"mbkYes", mbkYes}, {L"mbkNo", mbkNo}, {L"mbkIgnore", mbkIgnore}, {L"mbkSearch", mbkSearch},
    {L"mbkReset", mbkReset}, {L"mbkPrint", mbkPrint}, {L"mbkPreview", mbkPreview}, {L"mbkImport", mbkImport},
    {L"mbkExport", mbkExport}, {L"mbkClose", mbkClose}, {L"mbkInsert", mbkInsert}, {L"mbkDelete", mbkDelete},
    {L"mbkModify", mbkModify},
};

std::vector<gui::TPropertyEntry> SpeedButtonProperties() {
    using B = TModalSpeedButton;
    return gui::TPropertyTable<B>()
        .Enum(L"Alignment", &B::SetAlignment, gui::kAlignmentIdents)
        .Boolean(L"AllowAllUp", &B::SetAllowAllUp)
        .Color(L"ColorWhenDown", &B::SetColorWhenDown)
        .Color(L"HotTrackColor", &B::SetHotTrackColor)
        .Color(L"LightColor", &B::SetLightColor)
        .Color(L"ShadowColor", &B::SetShadowColor)
        .Color(L"BorderFocusColor", &B::SetBorderFocusColor)
        .Color(L"DisableFontColor", &B::SetDisableFontColor)
        .Enum(L"ColorStyle", &B::SetColorStyle, kColorStyleIdents)
        .Boolean(L"Down", &B::SetDown)
        .Boolean(L"Flat", &B::SetFlat)
        .Boolean(L"HasBorder", &B::SetHasBorder)
        .Boolean(L"BoldFocusBorder", &B::SetBoldFocusBorder)
        .Add(L"Glyph", [](B& b, Value v, Reader reader) {
            gui::TBitmap glyph = reader.BitmapPicture(v);
            b.SetGlyph(&glyph);
        })
        .Add(L"GlyphNew", [](B& b, Value v, Reader reader) { b.GlyphNew().SetGraphic(reader.Picture(v)); })
        .Add(L"GlyphArrow", [](B& b, Value v, Reader reader) { b.GlyphArrow().SetGraphic(reader.Picture(v)); })
        .Integer(L"NumGlyphs", &B::SetNumGlyphs)
        .Integer(L"GroupIndex", &B::SetGroupIndex)
        .Enum(L"Layout", &B::SetLayout, kLayoutIdents)
        .Enum(L"Style", &B::SetStyle, kStyleIdents)
        .Boolean(L"Transparent", &B::SetTransparent)
        .Add(L"SkinIndex", [](B& b, Value v, Reader) {
            const int index = gui::IntValue(v);
            if (index < -1 || index >= kButtonSkinCount) throw gui::EWindowDataBadValue(L"-1 .. 17 expected");
            b.SetSkinIndex(static_cast<TButtonSkinIndex>(index));
        })
        .Enum(L"ButtonKind", &B::SetButtonKind, kButtonKindIdents)
        .Event(L"OnMouseExit", &B::OnMouseExit)
        // The designer's own links that this program has no counterpart for.
        .Ignored(L"Action")
        .Ignored(L"PopupMenu")
        .Ignored(L"DragCursor")
        .Ignored(L"DragMode")
        .Ignored(L"OnDragDrop")
        .Ignored(L"OnDragOver")
        .Ignored(L"OnStartDrag")
        .Ignored(L"OnEndDrag")
        .Entries();
}

}  // namespace

void RegisterModalSpeedButtonWindowData() {
    gui::RegisterWindowDataClass(L"TModalSpeedButton", L"TCustomControl", gui::FactoryOf<TModalSpeedButton>(),
                                 SpeedButtonProperties());
}
