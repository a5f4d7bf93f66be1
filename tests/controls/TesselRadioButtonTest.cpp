// The flat radio button on real windows: its circle and check point per state, the radio rules
// among siblings, mouse and keyboard, the captured parent background and glyph strips.
#include <gtest/gtest.h>

#include <stdexcept>

#include "controls/TesselRadioButton.h"
#include "gui/ExtCtrls.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

using gui::TColor;

COLORREF Rgb(TColor c) { return gui::ColorToRGB(c); }

// Away from the corner where the other test programs put their forms: they run side by side on
// one display, and a window of theirs on top would take this form's mouse.
void PlaceAside(gui::TForm* form) { form->SetBounds(720, 600, form->Width(), form->Height()); }

// Two line buttons as the main window has them, on a panel of a shown form.
class RadioTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(200, 80);
        PlaceAside(form);
        panel = gui::New<gui::TPanel>(form);
        panel->SetParent(form);
        panel->SetBevelOuter(gui::bvNone);
        panel->SetBounds(6, 10, 153, 40);
        panel->SetColor(kPanelColor);
        dx = MakeButton(6, L"电信");
        lt = MakeButton(54, L"联通");
        dx->SetChecked(true);
        form->Show();
        guitest::Pump();
        dx->OnClick = [this](gui::TObject*) { ++dxClicks; };
        lt->OnClick = [this](gui::TObject*) { ++ltClicks; };
    }
    void TearDown() override {
        gui::Application.FreeComponent(form);
        guitest::Pump();
    }

    TTesselRadioButton* MakeButton(int left, const wchar_t* caption) {
        auto* b = gui::New<TTesselRadioButton>(form);
        b->SetParent(panel);
        b->SetBounds(left, 12, 49, 17);
        b->SetCaption(caption);
        b->SetThumbWidth(13);
        b->SetCheckPointColor(gui::clNavy);
        return b;
    }

    // The pointer itself stays elsewhere, so the platform reports the mouse gone at the next
    // pump: a hot look is read before that.
    void MouseOver(TTesselRadioButton* b, int x = 6, int y = 8) {
        guitest::SendMouse(b->Handle(), WM_MOUSEMOVE, x, y);
    }
    void MouseAway() {
        gui::SetMouseControl(nullptr);
    }
    void Press(TTesselRadioButton* b, int x = 6, int y = 8) {
        MouseOver(b, x, y);
        guitest::SendMouse(b->Handle(), WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    }
    void Release(TTesselRadioButton* b, int x = 6, int y = 8) { guitest::SendMouse(b->Handle(), WM_LBUTTONUP, x, y); }
    void Click(TTesselRadioButton* b) {
        Press(b);
        Release(b);
    }
    static COLORREF Pixel(TTesselRadioButton* b, int x, int y) { return guitest::PrintedPixel(*b, x, y); }

    static constexpr TColor kPanelColor = gui::RGBColor(200, 40, 40);
    gui::TForm* form = nullptr;
    gui::TPanel* panel = nullptr;
    TTesselRadioButton* dx = nullptr;
    TTesselRadioButton* lt = nullptr;
    int dxClicks = 0;
    int ltClicks = 0;
};

struct CircleColors {
    const char* state;
    TColor outline;
    TColor fill;
};

void ExpectCircle(TTesselRadioButton* b, const CircleColors& c) {
    SCOPED_TRACE(c.state);
    // The circle fills (0, 2)-(13, 15): its outline touches the box at the middle of each side.
    for (POINT p : {POINT{0, 8}, POINT{12, 8}, POINT{6, 2}, POINT{6, 14}}) {
        EXPECT_EQ(guitest::PrintedPixel(*b, p.x, p.y), Rgb(c.outline)) << p.x << "," << p.y;
    }
    EXPECT_EQ(guitest::PrintedPixel(*b, 2, 8), Rgb(c.fill));
    for (POINT p : {POINT{0, 2}, POINT{12, 14}, POINT{13, 8}, POINT{6, 1}, POINT{6, 15}}) {
        EXPECT_NE(guitest::PrintedPixel(*b, p.x, p.y), Rgb(c.outline)) << "outside at " << p.x << "," << p.y;
    }
}

TEST_F(RadioTest, CircleAndCheckPointFollowTheState) {
    ExpectCircle(lt, {"idle", gui::clNavy, gui::clWhite});
    EXPECT_EQ(Pixel(lt, 6, 8), Rgb(gui::clWhite)) << "unchecked: no check point";

    MouseOver(lt);
    ExpectCircle(lt, {"hot", gui::clGreen, gui::clActiveBorder});

    Press(lt);
    ExpectCircle(lt, {"pressed", gui::clActiveBorder, gui::clSilver});
    Release(lt);

    // The check point fills (3, 5)-(10, 12) in CheckPointColor with a highlight outline.
    EXPECT_EQ(Pixel(lt, 6, 8), Rgb(gui::clNavy));
    for (POINT p : {POINT{3, 8}, POINT{9, 8}, POINT{6, 5}, POINT{6, 11}}) {
        EXPECT_EQ(Pixel(lt, p.x, p.y), Rgb(gui::clHighlight)) << p.x << "," << p.y;
    }
    EXPECT_NE(Pixel(lt, 10, 8), Rgb(gui::clHighlight));
    EXPECT_NE(Pixel(lt, 6, 12), Rgb(gui::clHighlight));

    lt->SetEnabled(false);
    ExpectCircle(lt, {"disabled", gui::clGray, gui::clWhite});
    EXPECT_EQ(Pixel(lt, 3, 8), Rgb(gui::clGray)) << "check point outline when disabled";
    EXPECT_EQ(Pixel(lt, 6, 8), Rgb(gui::clNavy));
}

TEST_F(RadioTest, CheckingOneUnchecksTheOtherWithOneClickEvent) {
    Click(lt);
    EXPECT_TRUE(lt->Checked());
    EXPECT_FALSE(dx->Checked());
    EXPECT_EQ(ltClicks, 1);
    EXPECT_EQ(dxClicks, 0);

    Click(lt);
    EXPECT_TRUE(lt->Checked());
    EXPECT_EQ(ltClicks, 1) << "a checked button clicked again fires nothing";

    // Pressed on dx, released far outside it: still checks it.
    Press(dx);
    Release(dx, 300, 200);
    EXPECT_TRUE(dx->Checked());
    EXPECT_FALSE(lt->Checked());
    EXPECT_EQ(dxClicks, 1);
    EXPECT_EQ(ltClicks, 1);
    EXPECT_EQ(SendMessageW(dx->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(RadioTest, CheckingClearsTheHotLookUntilTheMouseComesBack) {
    Click(lt);
    ExpectCircle(lt, {"just checked, mouse still over", gui::clNavy, gui::clWhite});
    MouseAway();
    MouseOver(lt);
    ExpectCircle(lt, {"mouse back", gui::clGreen, gui::clActiveBorder});
}

TEST_F(RadioTest, FocusKeepsTheHotLookUntilTheMouseLeavesOrTheFocusGoes) {
    lt->SetFocus();
    guitest::Pump();
    ASSERT_TRUE(lt->Focused());
    ExpectCircle(lt, {"focused", gui::clGreen, gui::clActiveBorder});
    MouseOver(lt);
    MouseAway();
    ExpectCircle(lt, {"focused, mouse gone", gui::clNavy, gui::clWhite});

    MouseOver(dx);
    dx->SetFocus();
    guitest::Pump();
    lt->SetFocus();
    guitest::Pump();
    ExpectCircle(dx, {"focus gone, mouse still over", gui::clNavy, gui::clWhite});
}

TEST_F(RadioTest, SpaceShowsThePressedLookAndChecks) {
    lt->SetFocus();
    guitest::Pump();
    SendMessageW(lt->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    ExpectCircle(lt, {"space held", gui::clActiveBorder, gui::clSilver});
    EXPECT_TRUE(lt->Checked());
    EXPECT_EQ(ltClicks, 1);
    SendMessageW(lt->Handle(), WM_KEYDOWN, VK_SPACE, 0x40000001);
    EXPECT_EQ(ltClicks, 1) << "auto-repeat";
    SendMessageW(lt->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_NE(Pixel(lt, 2, 8), Rgb(gui::clSilver));
}

TEST_F(RadioTest, EnterMovesTheFocusOnLikeTab) {
    dx->SetFocus();
    guitest::Pump();
    PostMessageW(dx->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    guitest::Pump();
    EXPECT_TRUE(lt->Focused());
    EXPECT_FALSE(lt->Checked()) << "moving the focus checks nothing";

    lt->SetTabOnEnter(false);
    PostMessageW(lt->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    guitest::Pump();
    EXPECT_TRUE(lt->Focused());
}

TEST_F(RadioTest, DisabledButtonIgnoresTheKeyboardAndGreysItsCaption) {
    lt->SetEnabled(false);
    SendMessageW(lt->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_FALSE(lt->Checked());

    // Smoothed text mixes its colour with the background: grey ink on white is never darker
    // than the grey itself, black ink would be.
    lt->SetColor(gui::clWhite);
    gui::DibSection dib(49, 17, 32);
    lt->DrawTo(dib.Dc());
    int ink = 0, darkerThanGrey = 0;
    for (int y = 0; y < 17; ++y) {
        for (int x = 17; x < 47; ++x) {
            const COLORREF c = dib.PixelAt(x, y);
            if (c == Rgb(gui::clWhite)) continue;
            ++ink;
            if (GetRValue(c) < 0x80 || GetGValue(c) < 0x80 || GetBValue(c) < 0x80) ++darkerThanGrey;
        }
    }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(darkerThanGrey, 0);
}

TEST_F(RadioTest, CaptionStartsAfterTheCircleAndTheGap) {
    gui::DibSection dib(49, 17, 32);
    lt->SetColor(gui::clWhite);
    lt->DrawTo(dib.Dc());
    int firstInk = -1;
    for (int x = 13; x < 49 && firstInk < 0; ++x) {
        for (int y = 0; y < 17; ++y) {
            if (dib.PixelAt(x, y) != Rgb(gui::clWhite)) {
                firstInk = x;
                break;
            }
        }
    }
    EXPECT_GE(firstInk, 17);
    EXPECT_LE(firstInk, 19);
}

TEST_F(RadioTest, TransparentButtonShowsTheParentUnderIt) {
    lt->SetColor(gui::clWhite);
    EXPECT_EQ(Pixel(lt, 45, 1), Rgb(gui::clWhite)) << "opaque: own colour";
    lt->SetTransparent(true);
    EXPECT_EQ(Pixel(lt, 45, 1), Rgb(kPanelColor));
    EXPECT_EQ(Pixel(lt, 0, 2), Rgb(kPanelColor)) << "corner of the circle's box";
    ExpectCircle(lt, {"transparent", gui::clNavy, gui::clWhite});
}

// A parent whose paint fails after it erased: the button keeps what was painted and nothing
// reaches the application's error hook.
class TFailingPanel : public gui::TCustomControl {
public:
    using gui::TCustomControl::TCustomControl;

protected:
    bool EraseBackground(HDC dc) override {
        RECT r = ClientRect();
        gui::BrushOwner brush(CreateSolidBrush(RGB(0, 150, 0)));
        FillRect(dc, &r, brush.Get());
        return true;
    }
    void Paint() override { throw std::runtime_error("paint failed"); }
};

TEST_F(RadioTest, ParentFailingToPaintLeavesWhatItHadPainted) {
    auto* failing = gui::New<TFailingPanel>(form);
    failing->SetParent(form);
    failing->SetBounds(0, 50, 100, 30);
    auto* b = gui::New<TTesselRadioButton>(form);
    b->SetParent(failing);
    b->SetBounds(5, 5, 49, 17);
    b->SetTransparent(true);
    guitest::Pump();
    int reported = 0;
    gui::Application.OnException = [&](const std::exception&) { ++reported; };
    const COLORREF corner = Pixel(b, 45, 1);
    gui::Application.OnException = nullptr;
    EXPECT_EQ(corner, RGB(0, 150, 0));
    EXPECT_EQ(reported, 0);
}

// A strip of five 10 × 10 frames, each its own colour; the bottom row holds the colour that
// transparent drawing leaves out.
gui::TPicture GlyphStrip(const COLORREF (&colors)[5]) {
    gui::TBitmap strip(50, 10);
    HDC dc = strip.Canvas().Handle();
    for (int i = 0; i < 5; ++i) {
        gui::BrushOwner brush(CreateSolidBrush(colors[i]));
        RECT r = gui::Bounds(i * 10, 0, 10, 9);
        FillRect(dc, &r, brush.Get());
    }
    gui::BrushOwner key(CreateSolidBrush(RGB(255, 0, 255)));
    RECT bottom = gui::Bounds(0, 9, 50, 1);
    FillRect(dc, &bottom, key.Get());
    gui::TPicture picture;
    picture.Assign(strip);
    return picture;
}

TEST_F(RadioTest, GlyphFrameFollowsTheState) {
    const COLORREF frames[5] = {RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0), RGB(50, 0, 0)};
    lt->SetGlyph(GlyphStrip(frames));
    // The 10-pixel frame is centred on the 13-pixel box: (1, 3)-(11, 13), its key row left out.
    EXPECT_EQ(Pixel(lt, 6, 8), frames[0]);
    EXPECT_EQ(Pixel(lt, 1, 3), frames[0]);
    EXPECT_NE(Pixel(lt, 0, 8), frames[0]);
    EXPECT_EQ(Pixel(lt, 6, 12), Rgb(kPanelColor));
    MouseOver(lt);
    EXPECT_EQ(Pixel(lt, 6, 8), frames[2]);
    lt->SetEnabled(false);
    EXPECT_EQ(Pixel(lt, 6, 8), frames[4]);
    lt->SetEnabled(true);
    Click(lt);
    EXPECT_EQ(Pixel(lt, 6, 8), Rgb(gui::clNavy)) << "checked without CheckedGlyph: the circle again";
}

TEST(RadioDefaults, ThumbWidthComesFromTheSystemScrollThumb) {
    auto* form = guitest::MakeForm(100, 40);
    auto* b = gui::New<TTesselRadioButton>(form);
    EXPECT_EQ(b->ThumbWidth(), GetSystemMetrics(SM_CXHTHUMB) - 4);
    b->SetThumbWidth(20);
    EXPECT_EQ(b->ThumbWidth(), 20);
    b->SetThumbWidth(1);
    EXPECT_EQ(b->ThumbWidth(), GetSystemMetrics(SM_CXHTHUMB) - 4);
    gui::Application.FreeComponent(form);
}

}  // namespace
