// The message dialog's geometry and window: widths from the message, wrapping, heights, the
// detail pane, the title bar and the window's own styles.
#include "MsgDlgBoxTestSupport.h"

#include "gui/Gdi.h"
#include "gui/WindowSubclass.h"

using namespace msgdlgtest;

namespace {

// The one-line width of a text in the message's font, measured apart from the dialog.
SIZE MessageExtent(const std::wstring& text) {
    gui::WindowDc screen(nullptr);
    gui::TCanvas canvas(screen.Get());
    canvas.Font.SetName(L"微软雅黑");
    canvas.Font.SetHeight(-15);
    RECT r{0, 0, 0, 0};
    canvas.DrawText(text, r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    return SIZE{r.right, r.bottom};
}

// Repeats piece until the message's one-line width reaches at least width.
std::wstring TextAtLeast(const std::wstring& piece, int width) {
    std::wstring text;
    while (MessageExtent(text + L"  ").cx < width) text += piece;
    return text;
}

struct Geometry {
    RECT Window;
    int BodyMargin[4];  // left, top, right, bottom gaps between pnl_body and the dialog's edges
    int LabelWidth, LabelHeight, MessagePanelHeight;
    bool Wrapped;
};

Geometry Measure(Tfrm_MsgDlg& d) {
    Geometry g{};
    g.Window = WindowRect(d);
    const RECT body = d.pnl_body->BoundsRect();
    g.BodyMargin[0] = body.left;
    g.BodyMargin[1] = body.top;
    g.BodyMargin[2] = d.Width() - body.right;
    g.BodyMargin[3] = d.Height() - body.bottom;
    g.LabelWidth = d.lblMsg->Width();
    g.LabelHeight = d.lblMsg->Height();
    g.MessagePanelHeight = d.pnlMsg->Height();
    g.Wrapped = d.lblMsg->WordWrap();
    return g;
}

Geometry ShowAndMeasure(const Call& call) {
    Geometry g{};
    RunDialog(call, [&](Tfrm_MsgDlg& d) {
        g = Measure(d);
        PostKey(d, VK_ESCAPE);
    });
    return g;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void ExpectCentred(const RECT& r) {
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - Width(r)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - Height(r)) / 2);
}

}  // namespace

TEST(MsgDlgSize, ShortMessagesKeepTheNarrowDialog) {
    for (const wchar_t* text : {L"", L"下载完成"}) {
        SCOPED_TRACE(text);
        std::wstring caption;
        Geometry g{};
        RunDialog({mdkInfo, text}, [&](Tfrm_MsgDlg& d) {
            caption = d.lblMsg->Caption();
            g = Measure(d);
            PostKey(d, VK_ESCAPE);
        });
        EXPECT_EQ(caption, std::wstring(text) + L"  ");
        EXPECT_EQ(Width(g.Window), 300);
        EXPECT_EQ(Height(g.Window), 35 + 102 + 46);
        EXPECT_EQ(g.MessagePanelHeight, 102);
        for (int margin : g.BodyMargin) EXPECT_EQ(margin, 1);
        ExpectCentred(g.Window);
    }
}

TEST(MsgDlgSize, MediumMessagesWidenTheDialogToFitOneLine) {
    const std::wstring text = TextAtLeast(L"服务器", 300);
    const int oneLine = MessageExtent(text + L"  ").cx;
    ASSERT_LE(67 + oneLine + 20, 500);
    const Geometry g = ShowAndMeasure({mdkOkCancel, text});
    EXPECT_EQ(g.LabelWidth, oneLine);
    EXPECT_EQ(Width(g.Window), 67 + oneLine + 20);
    EXPECT_FALSE(g.Wrapped);
    for (int margin : g.BodyMargin) EXPECT_EQ(margin, 1);
    ExpectCentred(g.Window);
}

TEST(MsgDlgSize, LongMessagesWrapAt413AndGrowTheMessagePanelFromTheThirdLine) {
    const int lineHeight = MessageExtent(L" ").cy;
    struct Case {
        int OneLineAtLeast;
        int Lines;
    } cases[] = {{420, 2}, {1000, 3}, {1700, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.OneLineAtLeast);
        const std::wstring text = TextAtLeast(L"下", c.OneLineAtLeast);
        const int oneLine = MessageExtent(text + L"  ").cx;
        const int lines = (oneLine + 412) / 413;
        ASSERT_EQ(lines, c.Lines);
        const Geometry g = ShowAndMeasure({mdkInfo, text});
        EXPECT_EQ(Width(g.Window), 500);
        EXPECT_TRUE(g.Wrapped);
        EXPECT_EQ(g.LabelWidth, 413);
        EXPECT_EQ(g.LabelHeight, lines * lineHeight);
        const int bottom = 14 + g.LabelHeight + 10;
        const int panel = bottom > 80 ? 102 + bottom - 80 : 102;
        EXPECT_EQ(g.MessagePanelHeight, panel);
        EXPECT_EQ(Height(g.Window), 35 + panel + 46);
        ExpectCentred(g.Window);
    }
}

TEST(MsgDlgSize, WrappingAtWordsKeepsEveryLineInsideTheLabel) {
    // Each word fills a little over half a line, so every line holds one word: more lines than
    // the one-line width divided by the wrap width.
    std::wstring word;
    while (MessageExtent(word + L" ").cx < 230) word += L'M';
    const std::wstring text = word + L" " + word + L" " + word + L" " + word;
    const int lineHeight = MessageExtent(L" ").cy;
    ASSERT_LT((MessageExtent(text + L"  ").cx + 412) / 413, 4);
    const Geometry g = ShowAndMeasure({mdkInfo, text});
    EXPECT_EQ(g.LabelHeight, 4 * lineHeight);
    EXPECT_EQ(Height(g.Window), 35 + 102 + (14 + 4 * lineHeight + 10 - 80) + 46);
}

TEST(MsgDlgSize, TheCloseImageKeepsFivePixelsFromTheTitleBarsRightEdge) {
    for (int want : {0, 350, 600}) {
        RunDialog({mdkInfo, TextAtLeast(L"字", want)}, [](Tfrm_MsgDlg& d) {
            EXPECT_EQ(d.pnl_title->Width() - d.Image2->Left() - d.Image2->Width(), 5);
            EXPECT_EQ(d.Image2->Top(), 4);
            PostKey(d, VK_ESCAPE);
        });
    }
}

TEST(MsgDlgDetail, BlankDetailGivesNoDetailButton) {
    RunDialog({mdkOkCancel, L"消息", L" \r\n\t "}, [](Tfrm_MsgDlg& d) {
        EXPECT_FALSE(d.HasDetail());
        EXPECT_FALSE(d.sBtnDetail->Visible());
        PostKey(d, VK_ESCAPE);
    });
}

TEST(MsgDlgDetail, TheToggleGrowsAndShrinksTheDialogBy150AtTheBottom) {
    const std::wstring detail = L"  第一行\r\n第二行  ";
    const int result = RunDialog({mdkOkCancel, L"消息", detail}, [&](Tfrm_MsgDlg& d) {
        ASSERT_TRUE(d.sBtnDetail->Visible());
        EXPECT_EQ(d.sBtnDetail->Caption(), L"显示详细信息");
        EXPECT_EQ(d.sBtnDetail->Left(), d.sBtnLeft->Left() - d.sBtnDetail->Width() - 8);
        EXPECT_EQ(d.moInfo->Text(), detail);
        const RECT closed = WindowRect(d);
        EXPECT_EQ(Height(closed), 183);

        Click(*d.sBtnDetail);
        const RECT open = WindowRect(d);
        EXPECT_TRUE(d.pnlDetail->Showing());
        EXPECT_EQ(d.sBtnDetail->Caption(), L"隐藏详细信息");
        EXPECT_EQ(open.left, closed.left);
        EXPECT_EQ(open.top, closed.top);
        EXPECT_EQ(Width(open), Width(closed));
        EXPECT_EQ(Height(open), Height(closed) + 150);
        EXPECT_EQ(d.pnlDetail->Top(), d.pnlMsg->Top() + d.pnlMsg->Height());
        EXPECT_EQ(d.pnlButton->Top(), d.pnlDetail->Top() + d.pnlDetail->Height());

        Click(*d.sBtnDetail);
        EXPECT_FALSE(d.pnlDetail->Visible());
        EXPECT_EQ(d.sBtnDetail->Caption(), L"显示详细信息");
        const RECT again = WindowRect(d);
        EXPECT_TRUE(EqualRect(&again, &closed));
        Click(*d.sBtnRight);
    });
    // The detail button is no answer.
    EXPECT_EQ(result, mdrRight);
}

namespace {

UINT_PTR gSysCommands = 0;

LRESULT CALLBACK RecordSysCommand(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SYSCOMMAND && wParam == 0xF017 && lParam == 0) {
        ++gSysCommands;
        return 0;  // no move loop without a held mouse button
    }
    return gui::DefSubclassProc(window, msg, wParam, lParam);
}

}  // namespace

TEST(MsgDlgTitleBar, PressingTheTitleStartsTheSystemMove) {
    RunDialog({mdkInfo}, [](Tfrm_MsgDlg& d) {
        gui::SetWindowSubclass(d.Handle(), RecordSysCommand, 1, 0);
        gSysCommands = 0;
        SendMessageW(d.pnl_title->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
        SendMessageW(d.pnl_title->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(100, 20));
        const int left = d.lblSysTitle->Left() + 2, top = d.lblSysTitle->Top() + 2;
        SendMessageW(d.pnl_title->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(left, top));
        SendMessageW(d.pnl_title->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(left, top));
        EXPECT_EQ(gSysCommands, 2u);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(d.ModalResult(), gui::mrNone);
        gui::RemoveWindowSubclass(d.Handle(), RecordSysCommand, 1);
        PostKey(d, VK_ESCAPE);
    });
}

TEST(MsgDlgTitleBar, TheCloseSquareShowsOnceTheMouseIsOverItUntilItCrossesTheTitle) {
    RunDialog({mdkInfo}, [](Tfrm_MsgDlg& d) {
        const HWND title = d.pnl_title->Handle();
        EXPECT_TRUE(d.Image2->Transparent());
        SendMessageW(title, WM_MOUSEMOVE, 0, MAKELPARAM(d.Image2->Left() + 3, d.Image2->Top() + 3));
        EXPECT_FALSE(d.Image2->Transparent());
        SendMessageW(title, WM_MOUSEMOVE, 0, MAKELPARAM(d.Image2->Left() + 3, 1));  // above it, still on the bar
        EXPECT_TRUE(d.Image2->Transparent());
        PostKey(d, VK_ESCAPE);
    });
}

TEST(MsgDlgWindow, BorderlessTopmostToolWindowWithoutOwnerAndWithItsShadow) {
    const int result = RunDialog({mdkInfo}, [](Tfrm_MsgDlg& d) {
        const HWND window = d.Handle();
        const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
        EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
        EXPECT_FALSE(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION);
        EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
        ASSERT_NE(d.Shadow(), nullptr);
        // The shadow switches itself on a moment after the showing.
        for (int i = 0; i < 100 && !d.Shadow()->Active(); ++i) {
            gui::Application.ProcessMessages();
            Sleep(20);
        }
        EXPECT_TRUE(d.Shadow()->Active());
        EXPECT_TRUE(IsWindowVisible(d.Shadow()->Handle()));
        // The frame picture shows in the 1-pixel margin around the body.
        gui::DibSection dib(d.Width(), d.Height(), 32);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        EXPECT_EQ(dib.PixelAt(0, 0), RGB(127, 127, 127));
        EXPECT_EQ(dib.PixelAt(d.Width() - 1, d.Height() - 1), RGB(127, 127, 127));
        // The message sits on the white panel: its trailing blanks show no face colour.
        gui::DibSection panel(d.pnlMsg->Width(), d.pnlMsg->Height(), 32);
        SendMessageW(d.pnlMsg->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(panel.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        EXPECT_EQ(panel.PixelAt(d.lblMsg->Left() + d.lblMsg->Width() - 2, d.lblMsg->Top() + 2), RGB(255, 255, 255));
        d.SetModalResult(gui::mrCancel);
    });
    EXPECT_EQ(result, mdrRight);
}

// The keyboard must still answer once the shadow has come up beside the dialog. Another program
// may take the foreground while tests run side by side, but nothing may hand it to the desktop.
TEST(MsgDlgWindow, KeepsTheKeyboardFocusOnceItsShadowShows) {
    const int result = RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) {
        EXPECT_EQ(KeyTarget(d), d.sBtnLeft->Handle());
        for (int i = 0; i < 25; ++i) {
            gui::Application.ProcessMessages();
            Sleep(20);
        }
        ASSERT_TRUE(d.Shadow()->Active());
        EXPECT_NE(GetForegroundWindow(), GetDesktopWindow());
        EXPECT_EQ(KeyTarget(d), d.sBtnLeft->Handle());
        PostKey(d, VK_RETURN);
    });
    EXPECT_EQ(result, mdrLeft);
}
