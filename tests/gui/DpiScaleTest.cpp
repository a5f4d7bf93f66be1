// The one scaling rule over the supported scales, and a form laid out by it: stored places by
// their edges, own fonts scaled once and parent fonts followed, alignment within the new size,
// and the way back to 96 DPI landing on the stored values.
#include "gui/Dpi.h"
#include "gui/Forms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gui;

namespace {

TEST(DpiScale, OneRuleForPositionsFontHeightsAndHalves) {
    const struct {
        int value, dpi, expected;
    } rows[] = {
        {428, 96, 428}, {428, 120, 535}, {428, 144, 642}, {428, 168, 749}, {428, 192, 856},  // a position
        {-11, 120, -14}, {-11, 144, -17}, {-11, 168, -19}, {-13, 144, -20}, {-12, 192, -24},  // font heights
        {1, 144, 2}, {2, 120, 3}, {-1, 144, -2}, {3, 120, 4}, {5, 168, 9}, {1, 120, 1},  // halves and below
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.expected, ScaleDpi(r.value, r.dpi)) << r.value << " at " << r.dpi;
        EXPECT_EQ(std::lround(r.value * r.dpi / 96.0), ScaleDpi(r.value, r.dpi)) << r.value << " at " << r.dpi;
    }
    EXPECT_EQ(428, ScaleDpi(642, 96, 144));
    const RECT touching = ScaleRectDpi(RECT{21, 0, 51, 27}, 144), next = ScaleRectDpi(RECT{51, 0, 81, 27}, 144);
    EXPECT_EQ(touching.right, next.left) << "neighbours stay touching";
    EXPECT_EQ(32, touching.left);
    EXPECT_EQ(41, touching.bottom);
}

TEST(DpiScale, AFormScalesItsPlacesAndFontsOnceAndComesBackTo96) {
    TComponent owner(nullptr);
    auto* form = New<TForm>(&owner);
    form->SetBorderStyle(bsNone);
    form->SetBounds(428, 161, 620, 416);
    form->Font().SetHeight(-11);
    form->DisableAlign();
    auto* banner = New<TGraphicControl>(&owner);
    banner->SetBounds(0, 0, 620, 241);
    banner->SetParent(form);
    banner->SetAlign(alTop);
    auto* page = New<TWinControl>(&owner);
    page->SetBounds(0, 241, 620, 175);
    page->SetParent(form);
    page->SetAlign(alClient);
    auto* corner = New<TGraphicControl>(&owner);
    corner->SetBounds(539, 0, 81, 27);
    corner->SetParent(page);
    corner->SetAnchors(akTop | akRight);
    auto* label = New<TGraphicControl>(&owner);
    label->SetBounds(43, 29, 65, 19);
    label->SetParent(page);
    label->Font().SetHeight(-13);
    form->EnableAlign();

    form->ScaleForDpi(144);
    EXPECT_EQ(144, form->Dpi());
    EXPECT_EQ(642, form->Left());
    EXPECT_EQ(930, form->Width());
    EXPECT_EQ(624, form->Height());
    EXPECT_EQ(362, banner->Height());
    EXPECT_EQ(930, banner->Width());
    EXPECT_EQ(362, page->Top());
    EXPECT_EQ(262, page->Height());
    EXPECT_EQ(809, corner->Left());
    EXPECT_EQ(121, corner->Width());
    EXPECT_EQ(-17, form->Font().Height());
    EXPECT_EQ(-17, page->Font().Height()) << "a parent font is followed, not scaled twice";
    EXPECT_EQ(-20, label->Font().Height());
    EXPECT_EQ(65, label->Left());
    EXPECT_EQ(97, label->Width()) << "edges 64.5 and 162: the width follows the rounded edges";

    form->ScaleForDpi(96);
    EXPECT_EQ(428, form->Left());
    EXPECT_EQ(620, form->Width());
    EXPECT_EQ(241, banner->Height());
    EXPECT_EQ(241, page->Top());
    EXPECT_EQ(539, corner->Left());
    EXPECT_EQ(-11, page->Font().Height());
    EXPECT_EQ(-13, label->Font().Height());
    EXPECT_EQ(43, label->Left());
    EXPECT_EQ(65, label->Width());
}

}  // namespace
