// The framework's standard controls as stored window data sees them.
#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"
#include "gui/Timer.h"
#include "gui/WindowDataRegistry.h"

namespace gui {

namespace {

using Value = const TWindowDataValue&;
using Reader = TWindowDataReader&;

const TIdentTable<TTextLayout> kTextLayoutIdents = {{L"tlTop", tlTop}, {L"tlCenter", tlCenter}, {L"tlBottom", tlBottom}};

const TIdentTable<TBevelCut> kBevelIdents = {
    {L"bvNone", bvNone}, {L"bvLowered", bvLowered}, {L"bvRaised", bvRaised}, {L"bvSpace", bvSpace},
};

enum class ScrollBars { None, Horizontal, Vertical, Both };
const TIdentTable<ScrollBars> kScrollBarsIdents = {
    {L"ssNone", ScrollBars::None}, {L"ssHorizontal", ScrollBars::Horizontal},
    {L"ssVertical", ScrollBars::Vertical}, {L"ssBoth", ScrollBars::Both},
};

// Our page control draws flat buttons in every style; the value is checked, then left alone.
enum class TabStyle { Tabs, Buttons, FlatButtons };
const TIdentTable<TabStyle> kTabStyleIdents = {
    {L"tsTabs", TabStyle::Tabs}, {L"tsButtons", TabStyle::Buttons}, {L"tsFlatButtons", TabStyle::FlatButtons},
};

// AutoSize takes effect at once, as every value does: the designer writes it before Caption,
// so a fixed-size label keeps the size written above it.
std::vector<TPropertyEntry> LabelProperties() {
    return TPropertyTable<TLabel>()
        .Boolean(L"AutoSize", &TLabel::SetAutoSize)
        .Boolean(L"WordWrap", &TLabel::SetWordWrap)
        .Boolean(L"Transparent", &TLabel::SetTransparent)
        .Enum(L"Alignment", &TLabel::SetAlignment, kAlignmentIdents)
        .Enum(L"Layout", &TLabel::SetLayout, kTextLayoutIdents)
        .Boolean(L"ShowAccelChar", &TLabel::SetShowAccelChar)
        .Entries();
}

std::vector<TPropertyEntry> ImageProperties() {
    return TPropertyTable<TImage>()
        .Add(L"Picture", [](TImage& image, Value v, Reader reader) { image.Picture().SetGraphic(reader.Picture(v)); })
        .Boolean(L"AutoSize", &TImage::SetAutoSize)
        .Boolean(L"Stretch", &TImage::SetStretch)
        .Boolean(L"Center", &TImage::SetCenter)
        .Boolean(L"Transparent", &TImage::SetTransparent)
        .Entries();
}

std::vector<TPropertyEntry> PanelProperties() {
    return TPropertyTable<TPanel>()
        .Enum(L"BevelOuter", &TPanel::SetBevelOuter, kBevelIdents)
        .Enum(L"BevelInner", &TPanel::SetBevelInner, kBevelIdents)
        .Integer(L"BevelWidth", &TPanel::SetBevelWidth)
        .Integer(L"BorderWidth", &TPanel::SetBorderWidth)
        .Enum(L"Alignment", &TPanel::SetAlignment, kAlignmentIdents)
        .Entries();
}

std::vector<TPropertyEntry> MemoProperties() {
    return TPropertyTable<TMemo>()
        .Boolean(L"ReadOnly", &TMemo::SetReadOnly)
        .String(L"Text", &TMemo::SetText)
        .Add(L"ScrollBars", [](TMemo& memo, Value v, Reader) {
            ScrollBars bars = IdentValue(v, kScrollBarsIdents);
            memo.SetScrollBars(bars == ScrollBars::Horizontal || bars == ScrollBars::Both,
                               bars == ScrollBars::Vertical || bars == ScrollBars::Both);
        })
        .Event(L"OnChange", &TMemo::OnChange)
        .Entries();
}

// The active page may be written before the sheets that follow it.
std::vector<TPropertyEntry> PageControlProperties() {
    return TPropertyTable<TPageControl>()
        .Add(L"ActivePage", [](TPageControl& pages, Value v, Reader reader) {
            reader.Fixup([&pages, v, &reader] {
                auto* sheet = dynamic_cast<TTabSheet*>(&reader.ComponentNamed(v));
                if (!sheet || sheet->PageControl() != &pages) throw EWindowDataBadValue(L"tab sheet of this page control expected");
                pages.SetActivePage(sheet);
            });
        })
        .Add(L"Style", [](TPageControl&, Value v, Reader) { IdentValue(v, kTabStyleIdents); })
        .Event(L"OnChange", &TPageControl::OnChange)
        .Entries();
}

std::vector<TPropertyEntry> TabSheetProperties() {
    return TPropertyTable<TTabSheet>()
        .Boolean(L"TabVisible", &TTabSheet::SetTabVisible)
        .Event(L"OnShow", &TTabSheet::OnShow)
        .Event(L"OnHide", &TTabSheet::OnHide)
        .Entries();
}

void JoinPageControl(TControl& child, TWinControl& parent) {
    auto* pages = dynamic_cast<TPageControl*>(&parent);
    if (!pages) throw sys::Exception(L"a tab sheet belongs inside a page control");
    static_cast<TTabSheet&>(child).SetPageControl(pages);
}

std::vector<TPropertyEntry> TimerProperties() {
    return TPropertyTable<TTimer>()
        .Boolean(L"Enabled", &TTimer::SetEnabled)
        .Add(L"Interval", [](TTimer& timer, Value v, Reader) {
            int interval = IntValue(v);
            if (interval < 0) throw EWindowDataBadValue(L"interval of 0 or more expected");
            timer.SetInterval(static_cast<unsigned>(interval));
        })
        .Event(L"OnTimer", &TTimer::OnTimer)
        .Entries();
}

}  // namespace

void RegisterStandardWindowDataClasses() {
    RegisterWindowDataClass(L"TLabel", L"TGraphicControl", FactoryOf<TLabel>(), LabelProperties());
    RegisterWindowDataClass(L"TImage", L"TGraphicControl", FactoryOf<TImage>(), ImageProperties());
    RegisterWindowDataClass(L"TPanel", L"TCustomControl", FactoryOf<TPanel>(), PanelProperties());
    RegisterWindowDataClass(L"TCheckBox", L"TWinControl", FactoryOf<TCheckBox>(),
                            TPropertyTable<TCheckBox>().Boolean(L"Checked", &TCheckBox::SetChecked).Entries());
    RegisterWindowDataClass(L"TMemo", L"TWinControl", FactoryOf<TMemo>(), MemoProperties());
    RegisterWindowDataClass(L"TPageControl", L"TCustomControl", FactoryOf<TPageControl>(), PageControlProperties());
    RegisterWindowDataClass(L"TTabSheet", L"TCustomControl", FactoryOf<TTabSheet>(), TabSheetProperties(), JoinPageControl);
    RegisterWindowDataClass(L"TTimer", L"TComponent", FactoryOf<TTimer>(), TimerProperties());
}

}  // namespace gui
