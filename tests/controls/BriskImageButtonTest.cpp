// The PNG image button on real windows: where the image lands, how it blends over the parent,
// what it shows for each mouse state, and the events it fires.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/f_BriskImageButton.h"
#include "gui/Graphics.h"
#include "tests/gui/GuiTestSupport.h"

using namespace gui;

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);

// w × h, every pixel (r, g, b) at the given alpha.
TPngImage Solid(int w, int h, int r, int g, int b, int alpha = 255) {
    TPngImage png;
    png.CreateBlank(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            png.Row(y)[x * 3 + 0] = static_cast<std::uint8_t>(r);
            png.Row(y)[x * 3 + 1] = static_cast<std::uint8_t>(g);
            png.Row(y)[x * 3 + 2] = static_cast<std::uint8_t>(b);
            png.AlphaRow(y)[x] = static_cast<std::uint8_t>(alpha);
        }
    }
    return png;
}

class ImageButton : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(120, 60);
        form->SetColor(kBackground);
        form->Show();
        guitest::Pump();
    }
    void TearDown() override {
        SetMouseControl(nullptr);
        Application.FreeComponent(form);
        guitest::Pump();
    }
    template <class T = TPNGImageButton>
    T* MakeButton(int left, int top, int w = 30, int h = 27) {
        auto* button = New<T>(form);
        button->SetParent(form);
        button->SetAutoSize(false);
        button->SetBounds(left, top, w, h);
        return button;
    }
    COLORREF At(int x, int y) { return guitest::PrintedPixel(*form, x, y); }
    void Mouse(UINT msg, int x, int y, WPARAM keys = 0) { guitest::SendMouse(form->Handle(), msg, x, y, keys); }
    TForm* form = nullptr;
};

}  // namespace

TEST(ImageButtonLayout, ImageIsCentredRoundingTheHalfPixelUpAndALargerOneFillsTheClient) {
    struct Case {
        int imageW, imageH;
        RECT expected;
    } cases[] = {
        {30, 27, {0, 0, 30, 27}},
        {27, 27, {2, 0, 29, 27}},
        {28, 25, {1, 1, 29, 26}},
        {40, 40, {0, 0, 30, 27}},
        {1, 1, {15, 13, 16, 14}},
    };
    for (const Case& c : cases) {
        RECT r = CenteredImageRect(Rect(0, 0, 30, 27), c.imageW, c.imageH);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.imageW << "x" << c.imageH << " -> (" << r.left << "," << r.top << ","
                                                << r.right << "," << r.bottom << ")";
    }
}

TEST_F(ImageButton, NarrowImageLandsTwoPixelsInOnTheParent) {
    auto* button = MakeButton(10, 5);
    button->SetPngImg(Solid(27, 27, 255, 0, 0));
    button->SetBounds(10, 5, 30, 27);
    EXPECT_EQ(At(11, 10), kBackground);
    EXPECT_EQ(At(12, 10), RGB(255, 0, 0));
    EXPECT_EQ(At(38, 10), RGB(255, 0, 0));
    EXPECT_EQ(At(39, 10), kBackground);
}

TEST_F(ImageButton, AutoSizeTakesTheNormalImageSizeAndGrowsForLargerStateImages) {
    auto* button = New<TPNGImageButton>(form);
    button->SetParent(form);
    EXPECT_EQ(button->Width(), 50);
    button->SetPngImg(Solid(30, 27, 1, 2, 3));
    EXPECT_EQ(button->Width(), 30);
    EXPECT_EQ(button->Height(), 27);
    button->SetPngOver(Solid(20, 40, 1, 2, 3));
    EXPECT_EQ(button->Width(), 30) << "a smaller state image keeps the width";
    EXPECT_EQ(button->Height(), 40);
    button->PngImg().Clear();
    EXPECT_EQ(button->Width(), 30) << "an emptied image does not collapse the button";
}

TEST_F(ImageButton, AlphaBlendsEachPixelOverWhatTheParentPainted) {
    TPngImage image = Solid(3, 1, 200, 100, 50);
    const int alphas[] = {0, 128, 255};
    for (int x = 0; x < 3; ++x) image.AlphaRow(0)[x] = static_cast<std::uint8_t>(alphas[x]);
    auto* button = MakeButton(20, 20, 3, 1);
    button->SetPngImg(image);
    EXPECT_EQ(At(20, 20), kBackground) << "alpha 0 leaves the background";
    EXPECT_EQ(At(21, 20), RGB(BlendChannel(200, 10, 128), BlendChannel(100, 20, 128), BlendChannel(50, 30, 128)));
    EXPECT_EQ(At(21, 20), RGB(105, 60, 40));
    EXPECT_EQ(At(22, 20), RGB(200, 100, 50)) << "alpha 255 replaces it";
}

TEST_F(ImageButton, WithoutImagesOnlyADashedBlackOutlineIsDrawn) {
    MakeButton(10, 10, 40, 20);
    int black = 0, background = 0;
    for (int x = 10; x < 50; ++x) {
        COLORREF c = At(x, 10);
        black += c == RGB(0, 0, 0);
        background += c == kBackground;
    }
    EXPECT_GT(black, 5);
    EXPECT_GT(background, 5) << "the outline is dashed, not solid";
    EXPECT_EQ(At(30, 20), kBackground) << "the inside stays as the parent painted it";
    EXPECT_EQ(At(9, 10), kBackground);
}

TEST_F(ImageButton, DisabledWithoutItsOwnImageShowsTheNormalOneAtAThirdOfItsOpacity) {
    auto* button = MakeButton(10, 10, 4, 4);
    TPngImage image = Solid(4, 4, 250, 250, 250);
    image.AlphaRow(0)[0] = 200;
    button->SetPngImg(image);
    button->SetEnabled(false);
    EXPECT_EQ(button->CurrentImage(), &button->PngDisabled());
    EXPECT_EQ(button->PngDisabled().AlphaRow(0)[0], 66);
    EXPECT_EQ(button->PngDisabled().AlphaRow(1)[0], 85);
    EXPECT_EQ(At(10, 11), RGB(BlendChannel(250, 10, 85), BlendChannel(250, 20, 85), BlendChannel(250, 30, 85)));
    button->SetEnabled(true);
    EXPECT_EQ(button->CurrentImage(), &button->PngImg());
    EXPECT_EQ(At(10, 11), RGB(250, 250, 250));
}

TEST_F(ImageButton, HoverPressReleaseAndLeaveSwitchTheImage) {
    auto* button = MakeButton(10, 10);
    button->SetPngImg(Solid(30, 27, 255, 0, 0));
    button->SetPngOver(Solid(30, 27, 0, 255, 0));
    button->SetPngDown(Solid(30, 27, 0, 0, 255));
    std::vector<std::string> events;
    button->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
    button->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
    button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
    button->OnClick = [&](TObject*) { events.push_back("click"); };

    Mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(button->CurrentImage(), &button->PngOver());
    EXPECT_EQ(At(20, 20), RGB(0, 255, 0));
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_EQ(button->CurrentImage(), &button->PngDown());
    EXPECT_EQ(At(20, 20), RGB(0, 0, 255));
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(button->CurrentImage(), &button->PngOver()) << "without PngUp the hover image returns";
    Mouse(WM_MOUSEMOVE, 100, 50);
    EXPECT_EQ(button->CurrentImage(), &button->PngImg());
    EXPECT_EQ(At(20, 20), RGB(255, 0, 0));
    Mouse(WM_MOUSEMOVE, 20, 20);
    Mouse(WM_RBUTTONDOWN, 20, 20, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 20, 20);
    EXPECT_EQ(button->CurrentImage(), &button->PngOver()) << "the right button switches nothing";

    std::string joined;
    for (const auto& e : events) joined += e + " ";
    EXPECT_EQ(joined, "enter down click up leave enter ");
    // The tear-down takes the mouse off the button, after events has gone.
    button->OnMouseLeave = nullptr;
}

TEST_F(ImageButton, ReleaseWithoutADownImageKeepsTheHoverImage) {
    auto* button = MakeButton(10, 10);
    button->SetPngImg(Solid(30, 27, 255, 0, 0));
    button->SetPngOver(Solid(30, 27, 0, 255, 0));
    Mouse(WM_MOUSEMOVE, 20, 20);
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(button->CurrentImage(), &button->PngOver());
    EXPECT_EQ(At(20, 20), RGB(0, 255, 0));
    button->SetPngUp(Solid(30, 27, 9, 9, 9));
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(button->CurrentImage(), &button->PngUp());
}

TEST_F(ImageButton, HoverWithoutAnOverImageKeepsTheNormalImageButStillTellsTheOwner) {
    auto* button = MakeButton(10, 10);
    button->SetPngImg(Solid(30, 27, 255, 0, 0));
    int entered = 0;
    button->OnMouseEnter = [&](TObject*) { ++entered; };
    Mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(At(20, 20), RGB(255, 0, 0));
}

TEST_F(ImageButton, FastDoubleClickFiresOneClickThenOneDoubleClickAndNothingWhenDisabled) {
    auto* button = MakeButton(10, 10);
    button->SetPngImg(Solid(30, 27, 255, 0, 0));
    int clicks = 0, doubleClicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    button->OnDblClick = [&](TObject*) { ++doubleClicks; };
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 20);
    Mouse(WM_LBUTTONDBLCLK, 20, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 1);

    button->SetEnabled(false);
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ImageButton, GroupedButtonsLatchDownAndReleaseEachOther) {
    auto* first = MakeButton<TPNGImageButtonEx>(0, 0);
    auto* second = MakeButton<TPNGImageButtonEx>(40, 0);
    for (auto* b : {first, second}) {
        b->SetPngImg(Solid(30, 27, 255, 0, 0));
        b->SetPngOver(Solid(30, 27, 0, 255, 0));
        b->SetPngDown(Solid(30, 27, 0, 0, 255));
        b->SetGroupIndex(1);
    }
    int firstUps = 0, firstLeaves = 0;
    first->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++firstUps; };
    first->OnMouseLeave = [&](TObject*) { ++firstLeaves; };

    Mouse(WM_MOUSEMOVE, 5, 5);
    Mouse(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 5, 5);
    EXPECT_TRUE(first->Down());
    EXPECT_EQ(firstUps, 0) << "a latched button ignores the release";
    Mouse(WM_MOUSEMOVE, 100, 50);
    EXPECT_EQ(firstLeaves, 1);
    EXPECT_EQ(first->CurrentImage(), &first->PngDown()) << "leaving keeps a latched button down";
    EXPECT_EQ(At(5, 5), RGB(0, 0, 255));

    Mouse(WM_MOUSEMOVE, 45, 5);
    Mouse(WM_LBUTTONDOWN, 45, 5, MK_LBUTTON);
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    EXPECT_EQ(first->CurrentImage(), &first->PngImg());
    EXPECT_EQ(At(5, 5), RGB(255, 0, 0));

    first->SetDown(true);
    EXPECT_FALSE(second->Down()) << "setting Down releases the group too";
    EXPECT_EQ(first->CurrentImage(), &first->PngImg()) << "but does not change the image";
}

TEST_F(ImageButton, CaptionIsDrawnCentredAndGreyWhenDisabled) {
    auto* button = MakeButton<TPNGImageButtonEx>(0, 0, 100, 40);
    button->SetPngImg(Solid(100, 40, 255, 255, 255));
    button->Font().SetColor(clBlack);
    button->Font().SetHeight(-20);
    button->SetCaption(L"WWW");
    auto inked = [&](COLORREF ink) {
        DibSection dib(form->Width(), form->Height(), 32);
        SendMessageW(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        int left = 0, right = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 100; ++x) (x < 50 ? left : right) += dib.PixelAt(x, y) == ink;
        }
        return std::make_pair(left, right);
    };
    auto enabled = inked(RGB(0, 0, 0));
    EXPECT_GT(enabled.first, 10);
    EXPECT_NEAR(enabled.first, enabled.second, enabled.first / 3 + 5);
    button->SetEnabled(false);
    EXPECT_EQ(inked(RGB(0, 0, 0)).first, 0);
    EXPECT_GT(inked(GetSysColor(COLOR_GRAYTEXT)).first, 10);
}

TEST_F(ImageButton, FocusControlIsForgottenWhenThatControlGoes) {
    auto* button = MakeButton(0, 0);
    auto* other = MakeButton(40, 0);
    button->SetFocusControl(other);
    form->FreeComponent(other);
    EXPECT_EQ(button->FocusControl(), nullptr);
}

TEST(ImageButtonDrawing, StretchKeepsTheFixedMarginsAtPixelSize) {
    TPngImage image;
    image.CreateBlank(10, 1);
    for (int x = 0; x < 10; ++x) {
        image.Row(0)[x * 3] = static_cast<std::uint8_t>(x * 10);
        image.AlphaRow(0)[x] = 255;
    }
    TPngImage sliced = SlicePngImage(image, 20, 1, 2, 0);
    ASSERT_EQ(sliced.Width(), 20);
    std::vector<int> reds;
    for (int x = 0; x < 20; ++x) reds.push_back(sliced.Row(0)[x * 3]);
    EXPECT_EQ(reds[0], 0);
    EXPECT_EQ(reds[1], 10);
    EXPECT_EQ(reds[2], 20) << "the middle starts with the first middle column";
    EXPECT_EQ(reds[18], 80);
    EXPECT_EQ(reds[19], 90);
    for (int x = 3; x < 18; ++x) EXPECT_LE(reds[x - 1], reds[x]) << "the middle keeps the order of its columns";
    TPngImage untouched = SlicePngImage(image, 3, 1, 2, 0);
    EXPECT_EQ(untouched.Width(), 10) << "margins wider than half the target are not sliced";
}

TEST(ImageButtonDrawing, TiledImageRepeatsFromTheTopLeftCorner) {
    TPngImage image = Solid(2, 2, 255, 0, 0);
    image.Row(0)[0] = 0;
    image.Row(0)[2] = 255;  // (0,0) blue
    DibSection dib(7, 5, 32);
    TCanvas canvas(dib.Dc());
    TPngButtonLook look;
    look.Image = &image;
    look.Width = 7;
    look.Height = 5;
    look.Tile = true;
    PaintPngButton(canvas, look);
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dib.PixelAt(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(dib.PixelAt(6, 4), RGB(0, 0, 255));
    EXPECT_EQ(dib.PixelAt(1, 0), RGB(255, 0, 0));
}

TEST(ImageButtonDrawing, IconIsCentredOverTheImage) {
    TPngImage image = Solid(20, 20, 255, 0, 0);
    TBitmap icon(4, 4);
    icon.Canvas().Brush.SetColor(clLime);
    icon.Canvas().FillRect(Rect(0, 0, 4, 4));
    DibSection dib(20, 20, 32);
    TCanvas canvas(dib.Dc());
    TPngButtonLook look;
    look.Image = &image;
    look.Width = look.Height = 20;
    look.Icon = &icon;
    look.IconOffsetX = 1;
    PaintPngButton(canvas, look);
    EXPECT_EQ(dib.PixelAt(9, 8), RGB(0, 255, 0));
    EXPECT_EQ(dib.PixelAt(12, 8), RGB(0, 255, 0));
    EXPECT_EQ(dib.PixelAt(8, 8), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(13, 8), RGB(255, 0, 0));
}

TEST(ImageButtonStartUp, PngPicturesAreKnownToThePictureLoaderBeforeAnyWindowLoads) {
    EXPECT_TRUE(FileFormatRegistered(L"PNG"));
}
