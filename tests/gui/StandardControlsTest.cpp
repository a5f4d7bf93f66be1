#include "GuiTestSupport.h"

#include "gui/ExtCtrls.h"
#include "gui/PngImage.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

class StandardControls : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(200, 100);
        form->SetColor(clWhite);
        form->HandleNeeded();
    }
    void TearDown() override { Application.FreeComponent(form); }
    COLORREF At(int x, int y) { return guitest::PrintedPixel(*form, x, y); }
    // Pixels within r that are not white.
    int Inked(const RECT& r) {
        DibSection dib(form->Width(), form->Height(), 32);
        SendMessageW(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += dib.PixelAt(x, y) != RGB(255, 255, 255);
        return n;
    }
    TForm* form = nullptr;
};

// w × 1 opaque blue PNG whose first column is red.
TPngImage Strip(int w) {
    TPngImage png;
    png.CreateBlank(w, 1);
    for (int x = 0; x < w; ++x) {
        png.Row(0)[x * 3 + (x == 0 ? 0 : 2)] = 255;
        png.AlphaRow(0)[x] = 255;
    }
    return png;
}

}  // namespace

TEST_F(StandardControls, ImageShowsItsPictureUnscaledClippedOrStretched) {
    auto* image = New<TImage>(form);
    image->SetParent(form);
    image->Picture().Assign(Strip(100));
    image->SetBounds(10, 10, 30, 1);
    EXPECT_EQ(At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(At(39, 10), RGB(0, 0, 255));
    EXPECT_EQ(At(40, 10), RGB(255, 255, 255)) << "a narrower control shows the picture's left part";
    image->SetWidth(0);
    EXPECT_EQ(At(10, 10), RGB(255, 255, 255));
    image->SetStretch(true);
    image->SetBounds(10, 10, 200, 1);
    EXPECT_EQ(At(11, 10), RGB(255, 0, 0)) << "stretched, the first column covers two pixels";
    EXPECT_EQ(At(12, 10), RGB(0, 0, 255));
}

TEST_F(StandardControls, AutoSizedImageTakesThePictureSize) {
    auto* image = New<TImage>(form);
    image->SetParent(form);
    image->SetAutoSize(true);
    image->Picture().Assign(Strip(14));
    EXPECT_EQ(image->Width(), 14);
    EXPECT_EQ(image->Height(), 1);
}

TEST_F(StandardControls, TransparentImageLeavesOutTheBitmapsKeyColour) {
    TBitmap cross(3, 3);
    cross.Canvas().Brush.SetColor(RGBColor(218, 54, 16));
    cross.Canvas().FillRect(Rect(0, 0, 3, 3));
    cross.Canvas().SetPixel(1, 1, clBlack);
    auto* image = New<TImage>(form);
    image->SetParent(form);
    image->SetBounds(0, 0, 3, 3);
    image->Picture().Assign(cross);
    EXPECT_EQ(At(0, 0), RGB(218, 54, 16));
    image->SetTransparent(true);
    EXPECT_EQ(At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(At(1, 1), RGB(0, 0, 0));
}

TEST_F(StandardControls, LabelSizesToItsCaptionAndPaintsOnlyWhereItIs) {
    auto* label = New<TLabel>(form);
    label->SetParent(form);
    label->SetBounds(20, 20, 10, 10);
    label->Font().SetHeight(-13);
    label->Font().SetColor(clBlack);
    label->SetCaption(L"保存路径：");
    const int oneLine = label->Width();
    EXPECT_GT(oneLine, 30);
    EXPECT_GE(label->Height(), 13);
    label->SetCaption(L"保存路径：保存路径：");
    EXPECT_GT(label->Width(), oneLine + 20);
    EXPECT_GT(Inked(label->BoundsRect()), 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 19)), 0);
}

TEST_F(StandardControls, OpaqueLabelFillsItsColourTransparentOneShowsTheParent) {
    auto* label = New<TLabel>(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 60, 17);
    label->SetColor(clYellow);
    EXPECT_EQ(At(59, 16), RGB(255, 255, 0));
    label->SetTransparent(true);
    EXPECT_EQ(At(59, 16), RGB(255, 255, 255));
}

TEST_F(StandardControls, DisabledLabelDrawsInTheShadowColour) {
    auto* label = New<TLabel>(form);
    label->SetParent(form);
    label->SetTransparent(true);
    label->Font().SetColor(clRed);
    label->Font().SetHeight(-16);
    label->SetCaption(L"WWW");
    label->SetEnabled(false);
    DibSection dib(form->Width(), form->Height(), 32);
    SendMessageW(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    int shadow = 0, red = 0;
    for (int y = 0; y < label->Height(); ++y) {
        for (int x = 0; x < label->Width(); ++x) {
            shadow += dib.PixelAt(x, y) == ColorToRGB(clBtnShadow);
            red += dib.PixelAt(x, y) == RGB(255, 0, 0);
        }
    }
    EXPECT_GT(shadow, 0);
    EXPECT_EQ(red, 0);
}

TEST_F(StandardControls, PanelDrawsItsBevelsAndLaysChildrenOutInside) {
    auto* panel = New<TPanel>(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 50, 40);
    panel->SetColor(clWhite);
    panel->SetBevelOuter(bvLowered);
    auto* child = New<TPanel>(form);
    child->SetParent(panel);
    child->SetBevelOuter(bvNone);
    child->SetAlign(alClient);
    EXPECT_EQ(child->Left(), 1);
    EXPECT_EQ(child->Width(), 48);
    panel->SetBevelInner(bvRaised);
    EXPECT_EQ(child->Top(), 2);
    EXPECT_EQ(guitest::PrintedPixel(*panel, 0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(guitest::PrintedPixel(*panel, 49, 39), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(guitest::PrintedPixel(*panel, 1, 1), ColorToRGB(clBtnHighlight));
    panel->SetBevelOuter(bvNone);
    panel->SetBevelInner(bvNone);
    EXPECT_EQ(guitest::PrintedPixel(*panel, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(child->Left(), 0);
}
