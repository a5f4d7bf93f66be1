// The one scaling rule over the supported scales, and a form laid out by it: stored places by
// their edges, own fonts scaled once and parent fonts followed, alignment within the new size,
// and the way back to 96 DPI landing on the stored values.
#include "gui/Dpi.h"
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

// The main window's shape: a banner over a page with a corner group, a label of its own font, a
// 2 px mark, a framed panel and a bar whose width the program sets.
struct TestForm {
    TComponent owner{nullptr};
    TForm* form = New<TForm>(&owner);
    TGraphicControl* banner = New<TGraphicControl>(&owner);
    TWinControl* page = New<TWinControl>(&owner);
    TGraphicControl* corner = New<TGraphicControl>(&owner);
    TGraphicControl* label = New<TGraphicControl>(&owner);
    TGraphicControl* mark = New<TGraphicControl>(&owner);
    TPanel* frame = New<TPanel>(&owner);
    TGraphicControl* bar = New<TGraphicControl>(&owner);

    TestForm() {
        form->SetBorderStyle(bsNone);
        form->SetBounds(428, 161, 620, 416);
        form->Font().SetHeight(-11);
        form->DisableAlign();
        Place(banner, form, 0, 0, 620, 241);
        banner->SetAlign(alTop);
        Place(page, form, 0, 241, 620, 175);
        page->SetAlign(alClient);
        Place(corner, page, 539, 0, 81, 27);
        corner->SetAnchors(akTop | akRight);
        Place(label, page, 43, 29, 65, 19);
        label->Font().SetHeight(-13);
        Place(mark, page, 2, 6, 2, 2);
        Place(frame, page, 10, 50, 200, 30);
        frame->SetBorderWidth(2);
        Place(bar, frame, 6, 6, 0, 8);
        form->EnableAlign();
    }
    static void Place(TControl* c, TWinControl* parent, int l, int t, int w, int h) {
        c->SetBounds(l, t, w, h);
        c->SetParent(parent);
    }
    // Every control's edges and own font height, and the panel's border.
    std::vector<int> Measures() const {
        std::vector<int> all{frame->BorderWidth()};
        const TControl* const controls[] = {form, banner, page, corner, label, mark, frame, bar};
        for (const TControl* c : controls) {
            const RECT r = c->BoundsRect();
            all.insert(all.end(), {r.left, r.top, r.right, r.bottom, c->Font().Height()});
        }
        return all;
    }
};

TEST(DpiScale, AFormScalesItsPlacesAndFontsOnceAndComesBackTo96) {
    TestForm f;
    TForm* form = f.form;
    TGraphicControl *banner = f.banner, *corner = f.corner, *label = f.label;
    TWinControl* page = f.page;

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
    EXPECT_EQ(3, f.mark->Width()) << "edges 3 and 6";
    EXPECT_EQ(3, f.frame->BorderWidth());

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

// Whatever scales a window went through, it lands where a window started at the last one does;
// the bar's width, set by the program at the first scale, counts as that width at 96 DPI once.
TEST(DpiScale, AnySequenceOfScalesEndsAsAFreshStartAtTheLast) {
    const struct {
        std::vector<int> path;
        int barWidthAtFirst, barWidth96;
    } rows[] = {
        {{120, 144}, 171, 137}, {{120, 144, 96}, 171, 137}, {{144, 120, 96}, 206, 137},
        {{168, 120}, 240, 137}, {{120, 168, 192, 144}, 171, 137}, {{144, 96}, 1, 1},
    };
    for (const auto& row : rows) {
        TestForm travelled, fresh;
        travelled.form->ScaleForDpi(row.path.front());
        travelled.bar->SetWidth(row.barWidthAtFirst);
        for (int dpi : row.path) travelled.form->ScaleForDpi(dpi);
        fresh.bar->SetWidth(row.barWidth96);
        fresh.form->ScaleForDpi(row.path.back());
        EXPECT_EQ(travelled.Measures(), fresh.Measures()) << "through " << testing::PrintToString(row.path);
    }
}

}  // namespace
