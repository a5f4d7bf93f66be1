// The flat edit box on real windows: where its text goes, its border per state, what the keyboard
// and the clipboard may put in it, and the numeric input styles.
#include <gtest/gtest.h>

#include <cstring>

#include "controls/XPEditEx.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

using gui::TColor;

constexpr TColor kHover = gui::RGBColor(220, 0, 0);
constexpr TColor kFocus = gui::RGBColor(0, 0, 220);
constexpr TColor kIdle = gui::RGBColor(0, 160, 0);
constexpr TColor kDisabled = gui::RGBColor(90, 90, 90);
constexpr TColor kDisabledBack = gui::RGBColor(250, 240, 100);
constexpr TColor kBack = gui::RGBColor(240, 250, 255);

COLORREF Rgb(TColor c) { return gui::ColorToRGB(c); }

// Away from the corner where the other test programs put their forms: they run side by side on
// one display, and a window of theirs on top would take this form's mouse.
void PlaceAside(gui::TForm* form) { form->SetBounds(720, 600, form->Width(), form->Height()); }

// The folder box of the main window (362 × 23), with a button-like neighbour to take the focus.
class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(400, 80);
        PlaceAside(form);
        edit = gui::New<TTesselEditEx>(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 362, 23);
        edit->Font().SetName(L"MS Sans Serif");
        edit->Font().SetHeight(-11);
        edit->SetBorderColor(kHover);
        edit->SetFocusBorderColor(kFocus);
        edit->SetUnfocusedColor(kIdle);
        edit->SetDisableColor(kDisabled);
        edit->SetDisableBackGroundColor(kDisabledBack);
        edit->SetColor(kBack);
        next = gui::New<TTesselEditEx>(form);
        next->SetParent(form);
        next->SetBounds(10, 45, 100, 23);
        form->Show();
        guitest::Pump();
    }
    void TearDown() override {
        gui::Application.FreeComponent(form);
        guitest::Pump();
    }

    COLORREF Border() { return guitest::PrintedPixel(*edit, 200, 0); }
    COLORREF Background() { return guitest::PrintedPixel(*edit, 355, 11); }
    // The pointer itself stays elsewhere, so the platform reports the mouse gone at the next
    // pump: a hot look is read before that.
    void MouseOver() {
        guitest::SendMouse(edit->Handle(), WM_MOUSEMOVE, 200, 11);
    }
    void MouseAway() {
        gui::SetMouseControl(nullptr);
    }
    void Focus(gui::TWinControl* c) {
        c->SetFocus();
        guitest::Pump();
    }
    void Type(const std::wstring& text) {
        for (wchar_t ch : text) SendMessageW(edit->Handle(), WM_CHAR, ch, 1);
    }
    // Through the queue, so the platform makes the character messages from the key as it would.
    void PressKey(WORD key) {
        PostMessageW(edit->Handle(), WM_KEYDOWN, key, 1);
        PostMessageW(edit->Handle(), WM_KEYUP, key, 0xC0000001);
        guitest::Pump();
    }
    static void PutOnClipboard(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(GlobalLock(data), text.c_str(), bytes);
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
    }

    gui::TForm* form = nullptr;
    TTesselEditEx* edit = nullptr;
    TTesselEditEx* next = nullptr;
};

TEST_F(EditTest, TextSitsInTheRectangleInsideTheBorder) {
    ASSERT_EQ(edit->FontCharHeight(), 13);
    const RECT expected{5, 5, 357, 22}, computed = edit->FormattingRect();
    EXPECT_TRUE(EqualRect(&expected, &computed))
        << computed.left << "," << computed.top << "," << computed.right << "," << computed.bottom;
    RECT used{};
    SendMessageW(edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&used));
    EXPECT_EQ(used.left, 5);
    EXPECT_EQ(used.top, 5);
    EXPECT_EQ(used.right, 357);

    edit->SetTextTopOffset(2);
    EXPECT_EQ(edit->FormattingRect().top, 7);
    EXPECT_EQ(edit->FormattingRect().bottom, 24);
    edit->SetTextTopOffset(0);

    edit->SetSideLines(SL_LEFT | SL_RIGHT | SL_BUTTOM);
    EXPECT_EQ(edit->FormattingRect().top, 4) << "centred from the top edge itself";
    EXPECT_EQ(Border(), Rgb(kBack)) << "no top border";
    EXPECT_EQ(guitest::PrintedPixel(*edit, 0, 11), Rgb(kIdle));
    EXPECT_EQ(guitest::PrintedPixel(*edit, 200, 22), Rgb(kIdle));
}

TEST_F(EditTest, BorderColourFollowsTheState) {
    EXPECT_EQ(Border(), Rgb(kIdle));
    for (POINT p : {POINT{0, 11}, POINT{361, 11}, POINT{200, 22}}) EXPECT_EQ(guitest::PrintedPixel(*edit, p.x, p.y), Rgb(kIdle));
    EXPECT_EQ(guitest::PrintedPixel(*edit, 1, 11), Rgb(kBack)) << "one pixel wide";

    MouseOver();
    EXPECT_EQ(Border(), Rgb(kHover));
    MouseAway();
    EXPECT_EQ(Border(), Rgb(kIdle)) << "unfocused box after the mouse left";

    Focus(edit);
    EXPECT_EQ(Border(), Rgb(kFocus));
    MouseOver();
    MouseAway();
    EXPECT_EQ(Border(), Rgb(kFocus)) << "focused box after the mouse left";
    edit->SetSideFocus(true);
    EXPECT_EQ(guitest::PrintedPixel(*edit, 200, 1), Rgb(kFocus)) << "a ring wider while focused";
    Focus(next);
    EXPECT_EQ(Border(), Rgb(kIdle));
    EXPECT_EQ(guitest::PrintedPixel(*edit, 200, 1), Rgb(kBack));
}

TEST_F(EditTest, ReadOnlyBoxAlwaysDrawsTheDisabledColour) {
    edit->SetReadOnly(true);
    EXPECT_EQ(Border(), Rgb(kDisabled));
    MouseOver();
    EXPECT_EQ(Border(), Rgb(kDisabled));
    Focus(edit);
    EXPECT_EQ(Border(), Rgb(kDisabled));
    Type(L"x");
    EXPECT_EQ(edit->Text(), L"");
    EXPECT_EQ(Background(), Rgb(kBack));
}

TEST_F(EditTest, DisablingSwitchesTheBackgroundAndEnablingRestoresIt) {
    edit->SetEnabled(false);
    EXPECT_EQ(Border(), Rgb(kDisabled));
    EXPECT_EQ(Background(), Rgb(kDisabledBack));
    edit->SetDisableBackGroundColor(gui::clWhite);
    EXPECT_EQ(Background(), Rgb(gui::clWhite)) << "applied at once while disabled";
    edit->SetEnabled(true);
    EXPECT_EQ(Background(), Rgb(kBack));
    EXPECT_EQ(edit->Color(), kBack);
    EXPECT_EQ(Border(), Rgb(kIdle));
}

TEST_F(EditTest, EnterNeverInsertsALineBreak) {
    Focus(edit);
    Type(L"ab");
    PressKey(VK_RETURN);
    EXPECT_EQ(edit->Text(), L"ab");
    EXPECT_TRUE(next->Focused()) << "Enter moves on like Tab";

    edit->SetTabOnEnter(false);
    Focus(edit);
    PressKey(VK_RETURN);
    EXPECT_TRUE(edit->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(next->Focused()) << "Tab is the form's, not a character";
    Type(L"\n");
    EXPECT_EQ(edit->Text(), L"ab");
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(EditTest, PasteTakesTheFirstLineOnly) {
    Focus(edit);
    PutOnClipboard(L"C:\\Games\\\r\nsecond line");
    SendMessageW(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), L"C:\\Games\\");
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(EditTest, TextChangesReachOnChangeOnce) {
    int changes = 0;
    edit->OnChange = [&](gui::TObject*) { ++changes; };
    edit->SetText(L"D:\\");
    EXPECT_EQ(changes, 1);
    Focus(edit);
    SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
    Type(L"x");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Text(), L"D:\\x");
}

TEST_F(EditTest, CurrencyShowsTheSignExceptWhileEditing) {
    edit->SetDecimalLength(2);
    edit->SetValue(12.5);
    edit->SetInputStyle(IsCurrency);
    EXPECT_EQ(edit->Text(), L"￥12.50");
    Focus(edit);
    EXPECT_EQ(edit->Text(), L"12.50");
    EXPECT_EQ(edit->SelLength(), 5) << "the plain number is selected whole";
    Type(L"7.25");
    EXPECT_DOUBLE_EQ(edit->Value(), 7.25);
    Focus(next);
    EXPECT_EQ(edit->Text(), L"￥7.25");

    edit->SetInputStyle(ISPercent);
    EXPECT_EQ(edit->Text(), L"7.25%");
    edit->SetValue(12.499);
    EXPECT_EQ(edit->Text(), L"12.50%");
    EXPECT_DOUBLE_EQ(edit->Value(), 12.499) << "showing the value does not round it";
    edit->SetInputStyle(ISText);
    EXPECT_EQ(edit->Text(), L"");
}

TEST_F(EditTest, NumericStylesRejectBadInput) {
    edit->SetInputStyle(ISNumber);
    edit->SetDecimalLength(1);
    Focus(edit);
    Type(L"a-1.5.2x\b");
    EXPECT_EQ(edit->Text(), L"1.5") << "letters, signs and a second point rejected; backspace taken";
    EXPECT_DOUBLE_EQ(edit->Value(), 1.5);

    PutOnClipboard(L"abc");
    SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
    SendMessageW(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_DOUBLE_EQ(edit->Value(), 1.5) << "text that is no number leaves the value";
    Focus(next);
    EXPECT_EQ(edit->Text(), L"1.5");

    Focus(edit);
    SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
    Type(L"\b");
    Focus(next);
    EXPECT_EQ(edit->Text(), L"0.0") << "an emptied box holds 0";
}

TEST(EditNumbers, ParsingTakesOnlyPlainDecimals) {
    struct Case {
        const wchar_t* text;
        bool ok;
        double value;
    } cases[] = {
        {L"", true, 0},         {L"12.5", true, 12.5}, {L"￥12.50", true, 12.5}, {L"7%", true, 7},
        {L"-2.25", true, -2.25}, {L".5", true, 0.5},   {L"5.", true, 5},         {L".", false, 0},
        {L"1.2.3", false, 0},   {L"abc", false, 0},   {L"1e5", false, 0},       {L" 1", false, 0},
        {L"%", true, 0},        {L"12%%", false, 0},  {L"inf", false, 0},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        double value = -99;
        EXPECT_EQ(ParseInputValue(c.text, value), c.ok);
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : -99) << "a failed parse leaves the value";
    }
    double value = -99;
    EXPECT_FALSE(ParseInputValue(std::wstring(400, L'9'), value)) << "a number beyond the double range";
    EXPECT_DOUBLE_EQ(value, -99);
    EXPECT_EQ(FormatInputValue(3, 0, ISNumber), L"3");
    EXPECT_EQ(FormatInputValue(-0.5, 3, IsCurrency), L"￥-0.500");
    EXPECT_EQ(FormatInputValue(1e20, 2, ISPercent), L"100000000000000000000.00%");
}

TEST(EditBorder, OuterRingsStepAndBlendAwayFromTheColour) {
    gui::DibSection dib(20, 10, 32);
    RECT all{0, 0, 20, 10};
    gui::BrushOwner white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(dib.Dc(), &all, white.Get());
    TEditBorder border;
    border.Color = gui::RGBColor(0, 0, 200);
    border.Width = 2;
    border.BlendStep = 128;
    border.BlendColor = gui::clWhite;
    DrawEditBorder(dib.Dc(), all, border);
    EXPECT_EQ(dib.PixelAt(10, 1), RGB(0, 0, 200)) << "inner ring";
    EXPECT_EQ(dib.PixelAt(10, 0), RGB(128, 128, 228)) << "outer ring blended half toward white";
    EXPECT_EQ(dib.PixelAt(0, 5), RGB(128, 128, 228));
    EXPECT_EQ(dib.PixelAt(10, 5), RGB(255, 255, 255)) << "inside the rings untouched";

    border.Sides = SL_LEFT;
    border.BlendStep = 0;
    FillRect(dib.Dc(), &all, white.Get());
    DrawEditBorder(dib.Dc(), all, border);
    EXPECT_EQ(dib.PixelAt(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(dib.PixelAt(1, 9), RGB(0, 0, 200));
    EXPECT_EQ(dib.PixelAt(10, 0), RGB(255, 255, 255));

    EXPECT_GT(GetRValue(StepLuminance(RGB(100, 100, 100), 40)), 100);
    EXPECT_LT(GetBValue(StepLuminance(RGB(0, 0, 200), -40)), 200);
    EXPECT_EQ(StepLuminance(RGB(0, 0, 0), -10), RGB(0, 0, 0));
    EXPECT_EQ(StepLuminance(RGB(255, 255, 255), 10), RGB(255, 255, 255));
}

TEST(EditPassword, PasswordBoxIsSingleLineAndHidesTheText) {
    auto* form = guitest::MakeForm(200, 40);
    auto* edit = gui::New<TTesselEditEx>(form);
    edit->SetParent(form);
    edit->SetBounds(0, 0, 150, 23);
    form->Show();
    edit->SetText(L"secret");
    edit->SetPasswordChar(L'*');
    EXPECT_EQ(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_MULTILINE, 0);
    EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(edit->Text(), L"secret");
    gui::Application.FreeComponent(form);
}

}  // namespace
