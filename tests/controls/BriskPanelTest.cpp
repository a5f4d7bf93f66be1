// The skinned panel on real windows: seeing through to what the parent paints (nested too),
// picture modes, the grid, borders, the enabled cascade and the bounds rules; and what a
// transparent capture costs with panels nested as in the main window.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "controls/briskPanel.h"
#include "controls/f_BriskImageButton.h"
#include "gui/ExtCtrls.h"
#include "gui/WindowDataLoader.h"
#include "tests/gui/GuiTestSupport.h"

using namespace gui;

namespace {

// A picture in which every pixel tells where it is.
COLORREF PatternAt(int x, int y) { return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, (x + y) & 0xFF); }

TBitmap PatternBitmap(int w, int h) {
    TBitmap bitmap(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) SetPixelV(bitmap.Canvas().Handle(), x, y, PatternAt(x, y));
    }
    return bitmap;
}

TBitmap SolidBitmap(int w, int h, TColor color) {
    TBitmap bitmap(w, h);
    bitmap.Canvas().Brush.SetColor(color);
    bitmap.Canvas().FillRect(Rect(0, 0, w, h));
    return bitmap;
}

// The control's client area as its own paint draws it, erase included.
DibSection Printed(TWinControl& control) {
    DibSection dib(control.ClientWidth(), control.ClientHeight(), 32);
    SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    return dib;
}

class BriskPanel : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(300, 200);
        form->SetColor(clRed);
        background = Panel(form, 0, 0, 300, 200);
        background->SetColor(clWhite);
        banner = New<TImage>(form);
        banner->SetParent(background);
        banner->SetBounds(0, 0, 300, 120);
        banner->Picture().Assign(PatternBitmap(300, 120));
        form->Show();
        guitest::Pump();
    }
    void TearDown() override {
        Application.FreeComponent(form);
        guitest::Pump();
    }
    TBriskPanel* Panel(TWinControl* parent, int left, int top, int w, int h, bool transparent = false) {
        auto* panel = New<TBriskPanel>(form);
        panel->SetParent(parent);
        panel->SetBounds(left, top, w, h);
        panel->SetTransparent(transparent);
        return panel;
    }
    // Pixels of the panel that differ from what expected says for them; at most a few reported.
    template <class F>
    int Mismatches(TWinControl& panel, F expected) {
        DibSection dib = Printed(panel);
        int wrong = 0;
        for (int y = 0; y < panel.ClientHeight(); ++y) {
            for (int x = 0; x < panel.ClientWidth(); ++x) {
                if (dib.PixelAt(x, y) == expected(x, y)) continue;
                if (++wrong <= 3) ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex << dib.PixelAt(x, y);
            }
        }
        return wrong;
    }
    TForm* form = nullptr;
    TBriskPanel* background = nullptr;
    TImage* banner = nullptr;
};

}  // namespace

TEST_F(BriskPanel, TransparentPanelShowsExactlyThePartOfTheImageBeneathIt) {
    auto* glass = Panel(background, 200, 10, 81, 27, true);
    EXPECT_EQ(Mismatches(*glass, [](int x, int y) { return PatternAt(200 + x, 10 + y); }), 0);
    glass->SetBounds(150, 100, 40, 40);
    EXPECT_EQ(Mismatches(*glass, [](int x, int y) { return y < 20 ? PatternAt(150 + x, 100 + y) : RGB(255, 255, 255); }), 0)
        << "below the image the white panel shows";
}

TEST_F(BriskPanel, TransparentPanelOnScreenShowsTheImageAndItsOwnButtons) {
    auto* glass = Panel(background, 219, 0, 81, 27, true);
    auto* button = New<TPNGImageButtonEx>(form);
    button->SetParent(glass);
    TPngImage half;
    half.CreateBlank(30, 27);
    for (int y = 0; y < 27; ++y) {
        for (int x = 0; x < 30; ++x) {
            half.Row(y)[x * 3 + 2] = 255;
            half.AlphaRow(y)[x] = 128;
        }
    }
    button->SetPngImg(half);
    button->SetAlign(alRight);
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DibSection shot(300, 200, 32);
    WindowDc screen(form->Handle());
    BitBlt(shot.Dc(), 0, 0, 300, 200, screen.Get(), 0, 0, SRCCOPY);
    EXPECT_EQ(shot.PixelAt(230, 5), PatternAt(230, 5)) << "left of the button the image shows through";
    const COLORREF under = PatternAt(285, 5);
    EXPECT_EQ(shot.PixelAt(285, 5),
              RGB(BlendChannel(0, GetRValue(under), 128), BlendChannel(0, GetGValue(under), 128), BlendChannel(255, GetBValue(under), 128)))
        << "the button blends over the image that the panel let through";
}

TEST_F(BriskPanel, NestedTransparentPanelsShowTheAncestorAndTheWindowlessControlsBetween) {
    auto* outer = Panel(background, 20, 20, 120, 80, true);
    auto* marker = New<TImage>(form);
    marker->SetParent(outer);
    marker->SetBounds(5, 5, 10, 10);
    marker->Picture().Assign(SolidBitmap(10, 10, clBlue));
    auto* inner = Panel(outer, 0, 0, 60, 40, true);
    auto* innermost = Panel(inner, 30, 20, 20, 10, true);
    EXPECT_EQ(Mismatches(*inner, [](int x, int y) {
                  return (x >= 5 && x < 15 && y >= 5 && y < 15) ? RGB(0, 0, 255) : PatternAt(20 + x, 20 + y);
              }),
              0);
    EXPECT_EQ(Mismatches(*innermost, [](int x, int y) { return PatternAt(50 + x, 40 + y); }), 0);
}

TEST_F(BriskPanel, PictureIsStretchedToTheClientOrDrawnAtTheOriginOnWhite) {
    auto* panel = Panel(form, 10, 130, 40, 20);
    panel->SetColor(clRed);
    TBitmap quarters(2, 2);
    SetPixelV(quarters.Canvas().Handle(), 0, 0, RGB(1, 1, 1));
    SetPixelV(quarters.Canvas().Handle(), 1, 0, RGB(2, 2, 2));
    SetPixelV(quarters.Canvas().Handle(), 0, 1, RGB(3, 3, 3));
    SetPixelV(quarters.Canvas().Handle(), 1, 1, RGB(4, 4, 4));
    TPicture picture;
    picture.Assign(quarters);
    panel->SetBackgroundOptions(poStretch);
    panel->SetBackgroundPicture(picture);
    DibSection stretched = Printed(*panel);
    EXPECT_EQ(stretched.PixelAt(19, 9), RGB(1, 1, 1));
    EXPECT_EQ(stretched.PixelAt(20, 9), RGB(2, 2, 2));
    EXPECT_EQ(stretched.PixelAt(0, 19), RGB(3, 3, 3));
    EXPECT_EQ(stretched.PixelAt(39, 10), RGB(4, 4, 4));

    panel->SetBackgroundOptions(0);
    DibSection plain = Printed(*panel);
    EXPECT_EQ(plain.PixelAt(1, 1), RGB(4, 4, 4));
    EXPECT_EQ(plain.PixelAt(2, 0), RGB(255, 255, 255)) << "not the panel's red: the uncovered area is white";
    EXPECT_EQ(plain.PixelAt(39, 19), RGB(255, 255, 255));

    panel->BackgroundPicture().Clear();
    EXPECT_EQ(Printed(*panel).PixelAt(20, 10), RGB(255, 0, 0)) << "without a picture the colour fills it";
}

TEST_F(BriskPanel, TransparentPanelWithAPictureDrawsThePictureOverThePartBeneath) {
    auto* panel = Panel(background, 100, 50, 20, 20, true);
    TPicture picture;
    picture.Assign(SolidBitmap(5, 5, clLime));
    panel->SetBackgroundPicture(picture);
    DibSection dib = Printed(*panel);
    EXPECT_EQ(dib.PixelAt(2, 2), RGB(0, 255, 0));
    EXPECT_EQ(dib.PixelAt(10, 10), PatternAt(110, 60));
    EXPECT_FALSE(panel->ControlStyle() & csOpaque);
}

TEST_F(BriskPanel, DisablingAndEnablingKeepsAnAlreadyDisabledChildDisabled) {
    auto* panel = Panel(form, 0, 150, 200, 50);
    auto* plain = New<TPNGImageButton>(form);
    plain->SetParent(panel);
    auto* alreadyOff = New<TPNGImageButton>(form);
    alreadyOff->SetParent(panel);
    alreadyOff->SetEnabled(false);
    auto* nested = Panel(panel, 100, 0, 50, 50);

    panel->SetEnabled(false);
    EXPECT_FALSE(plain->Enabled());
    EXPECT_FALSE(nested->Enabled());
    EXPECT_FALSE(IsWindowEnabled(nested->Handle()));
    EXPECT_FALSE(IsWindowEnabled(panel->Handle()));

    panel->SetEnabled(true);
    EXPECT_TRUE(plain->Enabled());
    EXPECT_TRUE(nested->Enabled());
    EXPECT_TRUE(IsWindowEnabled(nested->Handle()));
    EXPECT_FALSE(alreadyOff->Enabled());

    alreadyOff->SetEnabled(true);
    panel->SetEnabled(false);
    plain->SetEnabled(true);  // a child enabled while the panel is off
    panel->SetEnabled(true);
    EXPECT_TRUE(alreadyOff->Enabled()) << "the memory is taken again at each disabling";
}

TEST_F(BriskPanel, AlignedToTheBottomOrRightTheFarEdgeStaysWhenTheSizeChanges) {
    auto* bottom = Panel(form, 0, 160, 300, 40);
    auto* right = Panel(form, 250, 0, 50, 100);
    form->DisableAlign();
    bottom->SetAlign(alBottom);
    right->SetAlign(alRight);
    bottom->SetHeight(60);
    right->SetWidth(80);
    EXPECT_EQ(bottom->Top() + bottom->Height(), 200);
    EXPECT_EQ(right->Left() + right->Width(), 300);
    form->EnableAlign();
    bottom->SetHeight(30);
    EXPECT_EQ(bottom->Top(), 170);
}

TEST_F(BriskPanel, BordersMoveTheClientAreaAndTheChildrenInside) {
    auto* panel = Panel(form, 10, 10, 100, 60);
    auto* child = Panel(panel, 0, 0, 10, 10);
    child->SetAlign(alClient);
    panel->SetBorderOuter(fsRaised);
    panel->SetBorderInner(fsFlat);
    panel->SetBorderWidth(2);
    panel->SetBorderSides(sdLeft | sdTop | sdBottom);
    RECT client;
    GetClientRect(panel->Handle(), &client);
    EXPECT_EQ(RectWidth(client), 100 - 5 - 2);
    EXPECT_EQ(RectHeight(client), 60 - 10);
    EXPECT_EQ(child->Width(), 93);
    EXPECT_EQ(child->Height(), 50);
    POINT origin{0, 0};
    MapWindowPoints(panel->Handle(), form->Handle(), &origin, 1);
    EXPECT_EQ(origin.x, 15);
    EXPECT_EQ(origin.y, 15);

    struct Case {
        TBriskFrameStyle outer, inner;
        int bevel, expectedInset;
    } cases[] = {{fsNone, fsNone, 1, 0}, {fsFlat, fsNone, 1, 1}, {fsStatus, fsPopup, 3, 6}, {fsGroove, fsFlatRounded, 1, 4}};
    for (const Case& c : cases) {
        TBriskBorderLook look;
        look.Outer = c.outer;
        look.Inner = c.inner;
        look.BevelWidth = c.bevel;
        RECT r = BorderClientRect(look, 50, 50);
        EXPECT_EQ(r.left, c.expectedInset);
        EXPECT_EQ(r.bottom, 50 - c.expectedInset);
    }
}

TEST(BriskPanelDrawing, GridMarksEveryCrossingOrLineOneBeforeEachMultiple) {
    struct Case {
        TGridStyle style;
        POINT ink[3];
        POINT blank[2];
    } cases[] = {
        {gsDots, {{7, 7}, {15, 7}, {15, 15}}, {{7, 8}, {8, 8}}},
        {gsSolidLines, {{7, 0}, {0, 7}, {7, 16}}, {{6, 6}, {8, 8}}},
        {gsDottedLines, {{7, 1}, {1, 7}, {7, 3}}, {{7, 0}, {7, 2}}},
    };
    for (const Case& c : cases) {
        DibSection dib(17, 17, 32);
        TCanvas canvas(dib.Dc());
        canvas.Brush.SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 17, 17));
        TBriskGridLook look;
        look.Style = c.style;
        look.Color = clBlack;
        DrawBriskGrid(canvas, Rect(0, 0, 17, 17), look);
        for (POINT p : c.ink) EXPECT_EQ(dib.PixelAt(p.x, p.y), RGB(0, 0, 0)) << c.style << " at " << p.x << "," << p.y;
        for (POINT p : c.blank) EXPECT_EQ(dib.PixelAt(p.x, p.y), RGB(255, 255, 255)) << c.style << " at " << p.x << "," << p.y;
    }
}

TEST(BriskPanelDrawing, GradientRunsFromStartToStopAlongItsDirection) {
    DibSection dib(11, 11, 32);
    FillBriskGradient(dib.Dc(), Rect(0, 0, 11, 11), clBlack, clWhite, gdHorizontalEnd);
    EXPECT_EQ(dib.PixelAt(0, 5), RGB(0, 0, 0));
    EXPECT_EQ(dib.PixelAt(10, 5), RGB(255, 255, 255));
    FillBriskGradient(dib.Dc(), Rect(0, 0, 11, 11), clBlack, clWhite, gdVerticalCenter);
    EXPECT_EQ(dib.PixelAt(3, 0), RGB(0, 0, 0));
    EXPECT_EQ(dib.PixelAt(3, 5), RGB(255, 255, 255));
    EXPECT_EQ(dib.PixelAt(3, 10), RGB(0, 0, 0));
}

TEST_F(BriskPanel, UnlockedPanelAnswersTheToolControlQuery) {
    auto* panel = Panel(form, 0, 0, 10, 10);
    EXPECT_EQ(SendMessageW(panel->Handle(), CM_ISTOOLCONTROL, 0, 0), 1);
    panel->SetLocked(true);
    EXPECT_EQ(SendMessageW(panel->Handle(), CM_ISTOOLCONTROL, 0, 0), 0);
}

// Committed memory, region by region. Wine's process counters leave out what GDI commits for
// bitmaps, so the capture buffers are counted here.
double CommittedMiB() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* p = nullptr; VirtualQuery(p, &info, sizeof(info)) == sizeof(info);) {
        if (info.State == MEM_COMMIT && info.Type != MEM_IMAGE) total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return total / 1048576.0;
}

PROCESS_MEMORY_COUNTERS ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

// Panels nested as in the main window: a white panel with the banner, the transparent title
// strip with two buttons, a transparent page panel and two transparent panels inside it. While
// the white panel paints into the deepest capture, every level holds its own buffer.
TEST_F(BriskPanel, CaptureBuffersOfNestedTransparentPanelsStaySmall) {
    auto* title = Panel(background, 219, 0, 81, 27, true);
    for (int i = 0; i < 2; ++i) {
        auto* button = New<TPNGImageButtonEx>(form);
        button->SetParent(title);
        button->SetBounds(i * 30, 0, 30, 27);
    }
    auto* page = Panel(background, 0, 40, 300, 160, true);
    auto* radios = Panel(page, 20, 20, 200, 40, true);
    Panel(radios, 10, 10, 50, 20, true);
    guitest::Pump();

    const double restingMiB = CommittedMiB();
    const PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    double deepestMiB = restingMiB;
    background->OnPaint = [&](TObject*) { deepestMiB = std::max(deepestMiB, CommittedMiB()); };
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    constexpr int kRepaints = 100;
    for (int i = 0; i < kRepaints; ++i) {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    QueryPerformanceCounter(&stop);
    const PROCESS_MEMORY_COUNTERS after = ProcessMemory();

    const double msPerRepaint = 1000.0 * (stop.QuadPart - start.QuadPart) / frequency.QuadPart / kRepaints;
    const double growthMiB = deepestMiB - restingMiB;
    std::printf("full repaint of the nested panels: %.2f ms; committed %.1f MiB at rest, %.1f MiB at the deepest capture "
                "(+%.1f); peak working set %.1f -> %.1f MiB, peak pagefile %.1f -> %.1f MiB\n",
                msPerRepaint, restingMiB, deepestMiB, growthMiB, before.PeakWorkingSetSize / 1048576.0,
                after.PeakWorkingSetSize / 1048576.0, before.PeakPagefileUsage / 1048576.0,
                after.PeakPagefileUsage / 1048576.0);
    RecordProperty("ms_per_repaint", std::to_string(msPerRepaint));
    RecordProperty("capture_growth_mib", std::to_string(growthMiB));
    EXPECT_LT(growthMiB, 8.0);
}

TEST(BriskWindowData, StoredWindowBuildsPanelsAndButtonsWithTheirProperties) {
    RegisterBriskPanelWindowData();
    RegisterBriskImageButtonWindowData();
    const std::string data =
        "object frm_Probe: TForm\n"
        "  BorderStyle = bsNone\n"
        "  ClientWidth = 200\n"
        "  ClientHeight = 100\n"
        "  object pnlGg: TBriskPanel\n"
        "    Align = alClient\n"
        "    Color = clWhite\n"
        "    Ctl3D = False\n"
        "    ParentCtl3D = False\n"
        "    GridXSize = 4\n"
        "    BorderSides = [sdLeft, sdTop]\n"
        "    object pnlMinClose: TBriskPanel\n"
        "      Left = 119\n"
        "      Top = 0\n"
        "      Width = 81\n"
        "      Height = 27\n"
        "      Transparent = True\n"
        "      BackgroundOptions = [poStretch]\n"
        "      object btnClose: TPNGImageButtonEx\n"
        "        Left = 51\n"
        "        Top = 0\n"
        "        Width = 30\n"
        "        Height = 27\n"
        "        Align = alRight\n"
        "        Cursor = crHandPoint\n"
        "        GroupIndex = 2\n"
        "        FocusControl = pnlGg\n"
        "        OnClick = btnCloseClick\n"
        "      end\n"
        "    end\n"
        "  end\n"
        "end\n";
    auto* form = New<TForm>(&Application);
    int clicks = 0;
    LoadWindowDataText(*form, data, L"probe.dfm", {Handler(L"btnCloseClick", TNotifyEvent([&](TObject*) { ++clicks; }))});
    auto* outer = dynamic_cast<TBriskPanel*>(form->FindComponent(L"pnlGg"));
    auto* glass = dynamic_cast<TBriskPanel*>(form->FindComponent(L"pnlMinClose"));
    auto* close = dynamic_cast<TPNGImageButtonEx*>(form->FindComponent(L"btnClose"));
    ASSERT_TRUE(outer && glass && close);
    EXPECT_EQ(outer->GridXSize(), 4);
    EXPECT_EQ(outer->BorderSides(), sdLeft | sdTop);
    EXPECT_TRUE(glass->Transparent());
    EXPECT_EQ(glass->BackgroundOptions(), poStretch);
    EXPECT_EQ(close->GroupIndex(), 2);
    EXPECT_EQ(close->FocusControl(), outer);
    EXPECT_EQ(close->Left(), 51);
    form->Show();
    guitest::Pump();
    EXPECT_EQ(guitest::PrintedPixel(*glass, 10, 10), RGB(255, 255, 255));
    guitest::SendMouse(glass->Handle(), WM_LBUTTONDOWN, 60, 10, MK_LBUTTON);
    guitest::SendMouse(glass->Handle(), WM_LBUTTONUP, 60, 10);
    EXPECT_EQ(clicks, 1);
    Application.FreeComponent(form);
}
