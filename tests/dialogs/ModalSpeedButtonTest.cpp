// The speed button's faces, read back from its own paint.
#include "SpeedButtonTestSupport.h"

#include "dialogs/ModalBUTTONS.h"
#include "gui/WindowDataLoader.h"

#include <vector>

using namespace gui;
using namespace speedbtntest;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kResting = RGB(201, 219, 252);  // the initial face colour
constexpr COLORREF kHotOrDown = RGB(162, 192, 250);

// A strip of 16 x 16 cells on magenta (its bottom-left pixel, so magenta is left out), each
// with a 12 x 12 square of its own colour.
TBitmap Strip(const std::vector<COLORREF>& squares) {
    TBitmap strip(16 * static_cast<int>(squares.size()), 16);
    strip.Canvas().Brush.SetColor(kMagenta);
    strip.Canvas().FillRect(Rect(0, 0, strip.Width(), 16));
    for (size_t i = 0; i < squares.size(); ++i) {
        strip.Canvas().Brush.SetColor(squares[i]);
        strip.Canvas().FillRect(Bounds(static_cast<int>(i) * 16 + 2, 2, 12, 12));
    }
    return strip;
}

class ButtonFace : public ButtonForm {};

}  // namespace

TEST_F(ButtonFace, DialogButtonAtRestHotAndFocused) {
    TModalSpeedButton* b = AddDialogButton(20, 20, L"Yes");
    ShowForm();
    DibSection rest = Snapshot(*b);
    EXPECT_EQ(rest.PixelAt(0, 0), kDialogBlue);  // flat: no edge at rest
    EXPECT_EQ(rest.PixelAt(3, 3), kDialogBlue);
    EXPECT_EQ(rest.PixelAt(66, 29), kDialogBlue);

    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    ASSERT_TRUE(b->Hot());
    DibSection hot = Snapshot(*b);
    EXPECT_EQ(hot.PixelAt(3, 3), kDialogHot);
    EXPECT_EQ(hot.PixelAt(1, 1), kDialogHot);  // the frame is one pixel wide
    EXPECT_EQ(hot.PixelAt(0, 15), kDialogBlue);
    EXPECT_EQ(hot.PixelAt(33, 0), kDialogBlue);
    EXPECT_EQ(hot.PixelAt(66, 15), kDialogBlue);
    EXPECT_EQ(hot.PixelAt(33, 29), kDialogBlue);

    SendMessageW(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b->Hot());
    b->SetFocus();
    EXPECT_TRUE(b->Hot());
    DibSection focused = Snapshot(*b);
    EXPECT_EQ(focused.PixelAt(3, 3), kDialogHot);
    EXPECT_EQ(focused.PixelAt(0, 15), kFocusFrame);
    EXPECT_EQ(focused.PixelAt(66, 15), kFocusFrame);
    EXPECT_EQ(focused.PixelAt(33, 29), kFocusFrame);

    // Leaving with the mouse keeps a focused button hot; losing the focus ends it.
    SendMessageW(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(b->Hot());
    ::SetFocus(form->Handle());
    EXPECT_FALSE(b->Hot());
    EXPECT_EQ(Snapshot(*b).PixelAt(0, 15), kDialogBlue);
}

TEST_F(ButtonFace, PressedDialogButtonShowsThePlainFaceAndMovesTheCaption) {
    TModalSpeedButton* b = AddDialogButton(20, 20, L"Yes");
    ShowForm();
    const RECT restInk = InkBox(Snapshot(*b), kDialogBlue);
    ASSERT_LT(restInk.left, restInk.right) << "the caption left no ink";
    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    Mouse(*b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    ASSERT_TRUE(b->Down());
    DibSection pressed = Snapshot(*b);
    EXPECT_EQ(pressed.PixelAt(3, 3), kDialogBlue);
    EXPECT_EQ(pressed.PixelAt(0, 15), kDialogBlue);
    const RECT ink = InkBox(pressed, kDialogBlue);
    EXPECT_EQ(ink.left, restInk.left + 1);
    EXPECT_EQ(ink.top, restInk.top + 1);
    EXPECT_EQ(ink.right, restInk.right + 1);
    EXPECT_EQ(ink.bottom, restInk.bottom + 1);
}

TEST_F(ButtonFace, DisabledCaptionTakesTheDisabledColour) {
    TModalSpeedButton* b = AddDialogButton(20, 20, L"HHH");
    b->SetDisableFontColor(RGBColor(250, 10, 10));
    ShowForm();
    EXPECT_FALSE(HasPixel(Snapshot(*b), RGB(250, 10, 10)));
    b->SetEnabled(false);
    EXPECT_TRUE(HasPixel(Snapshot(*b), RGB(250, 10, 10)));
}

TEST_F(ButtonFace, ModernFaceIsTwoGradientsInsideARoundedFrame) {
    TModalSpeedButton* b = AddButton(form, 20, 20, 67, 30);
    ASSERT_EQ(b->Style(), bsModern);
    b->SetColor(RGBColor(0, 62, 124));
    b->SetShadowColor(RGBColor(10, 20, 30));
    ShowForm();
    DibSection face = Snapshot(*b);
    // Rows 2..6 run from white towards the face colour, rows 7..28 back; the bands overlap,
    // so row 2 is band 6 and row 27 band 29. Row 28 is the inner frame.
    EXPECT_EQ(face.PixelAt(33, 2), RGB(205, 217, 229));
    EXPECT_EQ(face.PixelAt(33, 27), RGB(238, 242, 246));
    EXPECT_EQ(face.PixelAt(33, 28), RGB(0, 62, 124));
    EXPECT_EQ(face.PixelAt(0, 0), kBarColor);  // outside the rounded corner
    EXPECT_EQ(face.PixelAt(0, 15), RGB(10, 20, 30));
    EXPECT_EQ(face.PixelAt(1, 15), RGB(0, 62, 124));

    Mouse(*b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    DibSection pressed = Snapshot(*b);
    EXPECT_EQ(pressed.PixelAt(1, 15), RGB(10, 20, 30));
    // Towards ColorWhenDown now, and the middle one row lower: row 2 is band 5.
    EXPECT_EQ(pressed.PixelAt(33, 2), RGB(240, 244, 254));
}

TEST(VerticalGradient, ThirtyTwoOverlappingBandsWithTruncatedChannels) {
    DibSection dib(4, 70, 32);
    TCanvas canvas(dib.Dc());
    canvas.Brush.SetColor(RGB(1, 2, 3));
    canvas.FillRect(Rect(0, 0, 4, 70));
    FillVerticalGradient(canvas, 0, 3, 0, 62, clWhite, clBlack);
    for (int band = 0; band < 31; ++band) {
        const int v = 255 - (255 * band + 30) / 31;  // 255 - 255 * band / 31, cut toward zero
        EXPECT_EQ(dib.PixelAt(1, 2 * band), RGB(v, v, v)) << "band " << band;
        EXPECT_EQ(dib.PixelAt(1, 2 * band + 1), RGB(v, v, v)) << "band " << band;
    }
    EXPECT_EQ(dib.PixelAt(1, 62), RGB(1, 2, 3));  // the last band starts at the bottom
    EXPECT_EQ(dib.PixelAt(3, 10), RGB(1, 2, 3));
}

TEST_F(ButtonFace, SkinRowSwapsToItsGreyRowWhileDisabled) {
    TModalSpeedButton* solid = AddButton(form, 10, 10);
    solid->SetSkinIndex(3);
    TModalSpeedButton* outlined = AddButton(form, 10, 60);
    outlined->SetSkinIndex(12);
    ShowForm();
    EXPECT_EQ(solid->Style(), bsNormal);
    EXPECT_EQ(Snapshot(*solid).PixelAt(3, 3), RGB(210, 91, 71));
    EXPECT_EQ(Snapshot(*outlined).PixelAt(0, 15), RGB(207, 93, 67));

    solid->SetEnabled(false);
    outlined->SetEnabled(false);
    EXPECT_EQ(solid->SkinIndex(), 6);
    EXPECT_EQ(Snapshot(*solid).PixelAt(3, 3), RGB(204, 204, 204));
    EXPECT_EQ(Snapshot(*outlined).PixelAt(3, 3), RGB(248, 248, 248));
    EXPECT_EQ(Snapshot(*outlined).PixelAt(0, 15), RGB(219, 219, 219));

    solid->SetEnabled(true);
    outlined->SetEnabled(true);
    EXPECT_EQ(solid->SkinIndex(), 3);
    EXPECT_EQ(Snapshot(*solid).PixelAt(3, 3), RGB(210, 91, 71));
    EXPECT_EQ(Snapshot(*outlined).PixelAt(0, 15), RGB(207, 93, 67));

    // A row chosen while disabled waits for the enabling; the grey row shows meanwhile.
    solid->SetEnabled(false);
    solid->SetSkinIndex(0);
    EXPECT_EQ(Snapshot(*solid).PixelAt(3, 3), RGB(204, 204, 204));
    solid->SetEnabled(true);
    EXPECT_EQ(Snapshot(*solid).PixelAt(3, 3), RGB(65, 139, 202));
    solid->SetLightColor(clRed);
    EXPECT_EQ(solid->SkinIndex(), -1);
}

TEST_F(ButtonFace, PresetsApplyTheirRowAndNoHotColourKeepsTheFace) {
    TModalSpeedButton* flat = AddButton(form, 10, 10);
    flat->SetColorStyle(lcsUltraFlat2);
    TModalSpeedButton* chrome = AddButton(form, 10, 60);
    chrome->SetSkinIndex(2);
    chrome->SetColorStyle(lcsChrome);
    ShowForm();
    EXPECT_EQ(chrome->SkinIndex(), -1);
    EXPECT_EQ(chrome->Style(), bsModern);
    EXPECT_EQ(flat->ColorStyle(), lcsUltraFlat2);
    EXPECT_EQ(Snapshot(*flat).PixelAt(0, 15), GetSysColor(COLOR_BTNFACE));
    Mouse(*flat, WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(Snapshot(*flat).PixelAt(3, 3), RGB(228, 246, 140));
    EXPECT_EQ(Snapshot(*flat).PixelAt(0, 15), RGB(0, 0, 0));

    const COLORREF before = Snapshot(*chrome).PixelAt(33, 15);
    Mouse(*chrome, WM_MOUSEMOVE, 5, 5);
    ASSERT_TRUE(chrome->Hot());
    EXPECT_EQ(Snapshot(*chrome).PixelAt(33, 15), before);
}

TEST_F(ButtonFace, LowColourScreensGetTheNormalStyle) {
    struct EightBitButton : TModalSpeedButton {
        using TModalSpeedButton::TModalSpeedButton;
        int ScreenBitsPerPixel() const override { return 8; }
    };
    auto* b = AddButton<EightBitButton>(form, 10, 10);
    b->SetStyle(bsModern);
    EXPECT_EQ(b->Style(), bsNormal);
    b->SetColorStyle(lcsGold);
    EXPECT_EQ(b->Style(), bsNormal);
    ShowForm();
    EXPECT_EQ(Snapshot(*b).PixelAt(3, 3), RGB(192, 192, 0));  // one fill, no gradient
    EXPECT_EQ(Snapshot(*b).PixelAt(0, 15), RGB(255, 255, 0));
}

TEST_F(ButtonFace, GlyphStripShowsTheCellOfEachState) {
    TModalSpeedButton* b = AddButton(form, 10, 10);
    b->SetStyle(bsNormal);
    const COLORREF normal = RGB(200, 0, 0), disabled = RGB(0, 160, 0), down = RGB(0, 0, 220), hot = RGB(230, 230, 0);
    TBitmap strip = Strip({normal, disabled, down, hot});
    b->SetGlyph(&strip);
    EXPECT_EQ(b->NumGlyphs(), 4);
    ShowForm();
    // With no caption the 16 x 16 cell is centred: at (25, 7).
    DibSection rest = Snapshot(*b);
    EXPECT_EQ(rest.PixelAt(33, 15), normal);
    EXPECT_EQ(rest.PixelAt(25, 7), kResting);  // magenta is left out
    EXPECT_EQ(rest.PixelAt(46, 15), kResting);  // the next cell is clipped away

    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    DibSection hotFace = Snapshot(*b);
    EXPECT_EQ(hotFace.PixelAt(33, 15), hot);
    EXPECT_EQ(hotFace.PixelAt(18, 15), kHotOrDown);  // the cell before it is clipped away

    Mouse(*b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    EXPECT_EQ(Snapshot(*b).PixelAt(34, 16), down);  // pressed wins over hot, one pixel on
    Mouse(*b, WM_LBUTTONUP, 5, 5);

    b->SetEnabled(false);
    EXPECT_EQ(Snapshot(*b).PixelAt(33, 15), disabled);
    b->SetEnabled(true);

    TBitmap replacement = Strip({RGB(0, 200, 200)});
    b->GlyphNew().Assign(replacement);
    b->SetNumGlyphs(1);
    EXPECT_EQ(Snapshot(*b).PixelAt(33, 15), RGB(0, 200, 200));
}

TEST_F(ButtonFace, ArrowShowsOnlyWithAPopupMenu) {
    TModalSpeedButton* b = AddButton(form, 10, 10);
    b->SetStyle(bsNormal);
    TBitmap arrow = Strip({RGB(20, 40, 60)});
    b->GlyphArrow().Assign(arrow);
    ShowForm();
    // 16 x 16 at the right: left 67 - 16 - 5 = 46, top (30 - 16) div 2 = 7.
    EXPECT_EQ(Snapshot(*b).PixelAt(54, 15), kResting);
    HMENU menu = CreatePopupMenu();
    b->SetPopupMenu(menu);
    EXPECT_EQ(Snapshot(*b).PixelAt(54, 15), RGB(20, 40, 60));
    b->SetPopupMenu(nullptr);
    DestroyMenu(menu);
}

TEST_F(ButtonFace, StoredDataGivesTheDialogButtonItsLook) {
    RegisterModalSpeedButtonWindowData();
    LoadWindowDataText(*form,
                       "object f: TForm\n"
                       "  object sBtnLeft: TModalSpeedButton\n"
                       "    Left = 20\n    Top = 8\n    Width = 67\n    Height = 30\n"
                       "    Cursor = crHandPoint\n    Flat = True\n    Style = bsNormal\n"
                       "    Color = 13273922\n    ColorWhenDown = 13273922\n    LightColor = 13273922\n"
                       "    ShadowColor = 13273922\n    HotTrackColor = 12149006\n"
                       "    Font.Color = clWhite\n    Caption = 'Yes'\n    TabOrder = 0\n"
                       "  end\n"
                       "end\n",
                       L"t.dfm", {});
    auto* b = dynamic_cast<TModalSpeedButton*>(form->FindComponent(L"sBtnLeft"));
    ASSERT_NE(b, nullptr);
    ShowForm();
    EXPECT_EQ(Snapshot(*b).PixelAt(0, 0), kDialogBlue);
    Mouse(*b, WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(Snapshot(*b).PixelAt(3, 3), kDialogHot);
    EXPECT_EQ(Snapshot(*b).PixelAt(0, 15), kDialogBlue);
}
