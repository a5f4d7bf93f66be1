#include "GuiTestSupport.h"

#include "gui/Forms.h"
#include "sys/SysUtils.h"
#include "gui/Timer.h"
#include "gui/WindowSubclass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace gui;
using guitest::Pump;

namespace {

class Forms : public ::testing::Test {
protected:
    void TearDown() override {
        for (TForm* f : made) Application.FreeComponent(f);
        Pump();
    }
    TForm* Make(int w = 120, int h = 80) {
        made.push_back(guitest::MakeForm(w, h));
        return made.back();
    }
    std::vector<TForm*> made;
};

// A form that asks for a tool window without an owner, as the message dialog does.
class ToolForm : public TForm {
public:
    using TForm::TForm;

protected:
    void CreateParams(TCreateParams& params) override {
        TForm::CreateParams(params);
        params.ExStyle |= WS_EX_TOOLWINDOW;
        params.WndParent = nullptr;
    }
};

// A focusable windowed control that claims Alt + its "&" letter.
class Focusable : public TCustomControl {
public:
    explicit Focusable(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
    int accelerated = 0;

protected:
    bool DialogChar(wchar_t ch) override {
        if (!IsAccel(ch, Caption())) return false;
        ++accelerated;
        return true;
    }
};

LRESULT CALLBACK CountShowingChanged(HWND window, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    if (msg == CM_SHOWINGCHANGED) reinterpret_cast<std::vector<bool>*>(data)->push_back(IsWindowVisible(window) != FALSE);
    return gui::DefSubclassProc(window, msg, w, l);
}

}  // namespace

TEST_F(Forms, ShowModalDisablesTheOthersAndReturnsTheModalResult) {
    TForm* owner = Make();
    owner->Show();
    TForm* dialog = Make();
    int showings = 0;
    dialog->OnShow = [&](TObject*) { ++showings; };
    BOOL ownerEnabledWhileModal = TRUE;
    bool dialogVisibleWhileModal = false;
    auto* timer = New<TTimer>(dialog);
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        ownerEnabledWhileModal = IsWindowEnabled(owner->Handle());
        dialogVisibleWhileModal = IsWindowVisible(dialog->Handle()) != FALSE;
        dialog->SetModalResult(mrOk);
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(ownerEnabledWhileModal);
    EXPECT_TRUE(dialogVisibleWhileModal);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle())) << "enabled again afterwards";
    EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
    EXPECT_FALSE(dialog->Modal());
    EXPECT_EQ(showings, 1);
}

TEST_F(Forms, ClosingAModalFormCancelsItAndItCanBeShownModalAgain) {
    TForm* dialog = Make();
    dialog->OnShow = [&](TObject*) { PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    dialog->Show();
    EXPECT_THROW(dialog->ShowModal(), sys::Exception) << "a visible form cannot become modal";
}

TEST_F(Forms, AReplacedWindowProcSeesTheMessagesAndPassesThemOn) {
    TForm* form = Make();
    form->HandleNeeded();
    std::vector<UINT> seen;
    TWndMethod previous = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        previous(m);
    };
    SendMessageW(form->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"hooked"));
    form->Show();
    Pump();
    wchar_t text[16] = {};
    GetWindowTextW(form->Handle(), text, 16);
    EXPECT_STREQ(text, L"hooked") << "the default handling still ran";
    auto count = [&](UINT msg) { return std::count(seen.begin(), seen.end(), msg); };
    EXPECT_EQ(count(WM_SETTEXT), 1);
    EXPECT_GE(count(WM_WINDOWPOSCHANGED), 1);
    EXPECT_EQ(count(CM_SHOWINGCHANGED), 1);
    form->WindowProc = previous;
}

TEST_F(Forms, ShowingChangedReachesTheWindowOnEveryShowAndHide) {
    TForm* form = Make();
    form->HandleNeeded();
    std::vector<bool> states;
    ASSERT_TRUE(gui::SetWindowSubclass(form->Handle(), CountShowingChanged, 1, reinterpret_cast<DWORD_PTR>(&states)));
    form->Show();
    form->Show();
    form->Hide();
    form->Show();
    gui::RemoveWindowSubclass(form->Handle(), CountShowingChanged, 1);
    ASSERT_EQ(states.size(), 3u) << "a second Show changes nothing";
    EXPECT_TRUE(states[0]);
    EXPECT_FALSE(states[1]);
    EXPECT_TRUE(states[2]);
    EXPECT_TRUE(form->Showing());
}

TEST_F(Forms, FormsAreOwnedByTheApplicationWindowUnlessTheyAskOtherwise) {
    Application.SetTitle(L"Tallyvo");
    TForm* plain = Make();
    plain->SetCaption(L"frm_Main");
    plain->SetFormStyle(fsStayOnTop);
    plain->HandleNeeded();
    EXPECT_EQ(GetWindow(plain->Handle(), GW_OWNER), Application.Handle());
    EXPECT_TRUE(GetWindowLongW(plain->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(plain->Handle(), GWL_STYLE) & WS_CAPTION) << "borderless";
    wchar_t text[32] = {};
    GetWindowTextW(Application.Handle(), text, 32);
    EXPECT_STREQ(text, L"Tallyvo");
    GetWindowTextW(plain->Handle(), text, 32);
    EXPECT_STREQ(text, L"frm_Main");

    auto* tool = New<ToolForm>(&Application);
    made.push_back(tool);
    tool->HandleNeeded();
    EXPECT_EQ(GetWindow(tool->Handle(), GW_OWNER), nullptr);
    EXPECT_TRUE(GetWindowLongW(tool->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(Forms, NewFormRunsOnCreateOnceTheTreeExists) {
    struct Built : TForm {
        explicit Built(TComponent* owner) : TForm(owner) {
            child = New<TCustomControl>(this);
            child->SetParent(this);
            OnCreate = [this](TObject*) { childAtCreate = ControlCount(); };
        }
        TCustomControl* child;
        size_t childAtCreate = 99;
    };
    auto* form = NewForm<Built>(&Application);
    made.push_back(form);
    EXPECT_EQ(form->childAtCreate, 1u);
}

TEST_F(Forms, TabMovesTheFocusInTabOrderAndEnterExitFollow) {
    TForm* form = Make();
    auto* a = New<Focusable>(form);
    auto* b = New<Focusable>(form);
    auto* skipped = New<Focusable>(form);
    auto* c = New<Focusable>(form);
    for (auto* w : {a, b, skipped, c}) w->SetParent(form);
    skipped->SetTabStop(false);
    c->SetTabOrder(0);  // c, a, b
    std::string trail;
    for (auto* w : {a, b, c}) {
        w->OnEnter = [&, w](TObject*) { trail += "+" + std::to_string(w == a ? 1 : w == b ? 2 : 3); };
        w->OnExit = [&, w](TObject*) { trail += "-" + std::to_string(w == a ? 1 : w == b ? 2 : 3); };
    }
    form->Show();
    c->SetFocus();
    Pump();
    ASSERT_EQ(form->ActiveControl(), c);
    SendMessageW(c->Handle(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(form->ActiveControl(), a);
    SendMessageW(a->Handle(), WM_KEYDOWN, VK_TAB, 0);
    SendMessageW(b->Handle(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(form->ActiveControl(), c) << "wraps round, skipping the control without a tab stop";
    EXPECT_EQ(trail, "+3-3+1-1+2-2+3");
}

TEST_F(Forms, KeyPreviewLetsTheFormTakeKeysBeforeTheFocusedControl) {
    TForm* form = Make();
    auto* field = New<Focusable>(form);
    field->SetParent(form);
    std::string order;
    form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        order += "form ";
        if (key == VK_ESCAPE) key = 0;
    };
    field->OnKeyDown = [&](TObject*, WORD&, TShiftState) { order += "field "; };
    form->Show();
    field->SetFocus();
    SendMessageW(field->Handle(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(order, "field ") << "without preview the form does not see it";
    order.clear();
    form->SetKeyPreview(true);
    SendMessageW(field->Handle(), WM_KEYDOWN, 'A', 0);
    SendMessageW(field->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(order, "form field form ") << "a key the form consumed goes no further";
}

TEST_F(Forms, AltLetterReachesTheControlWhoseCaptionMarksIt) {
    TForm* form = Make();
    auto* ok = New<Focusable>(form);
    auto* no = New<Focusable>(form);
    ok->SetCaption(L"确定(&O)");
    no->SetCaption(L"否(&N)");
    for (auto* w : {ok, no}) w->SetParent(form);
    form->Show();
    ok->SetFocus();
    SendMessageW(ok->Handle(), WM_SYSCHAR, L'n', 0);
    SendMessageW(ok->Handle(), WM_SYSCHAR, L'x', 0);
    EXPECT_EQ(no->accelerated, 1);
    EXPECT_EQ(ok->accelerated, 0);
    no->SetEnabled(false);
    SendMessageW(ok->Handle(), WM_SYSCHAR, L'N', 0);
    EXPECT_EQ(no->accelerated, 1) << "a disabled control does not take its accelerator";
}

TEST_F(Forms, TimersTickWhileEnabledAndStopWhenFreed) {
    TForm* form = Make();
    auto* timer = New<TTimer>(form);
    int ticks = 0;
    timer->SetInterval(5);
    timer->OnTimer = [&](TObject*) { ++ticks; };
    for (int i = 0; i < 100 && ticks < 2; ++i) Pump();
    EXPECT_GE(ticks, 2);
    timer->SetEnabled(false);
    Pump();
    int stopped = ticks;
    Sleep(30);
    Pump();
    EXPECT_EQ(ticks, stopped);
    timer->SetEnabled(true);
    form->FreeComponent(timer);
    Sleep(30);
    Pump();
    EXPECT_EQ(ticks, stopped) << "a freed timer's tick goes nowhere";
}

TEST_F(Forms, ExceptionsInHandlersStopAtTheWindowProcedure) {
    TForm* form = Make();
    int reported = 0;
    Application.OnException = [&](const std::exception&) { ++reported; };
    form->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { throw sys::Exception(L"boom"); };
    form->HandleNeeded();
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Application.OnException = nullptr;
    EXPECT_EQ(reported, 1);
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(Forms, MinimisingTheApplicationHidesItsFormsAndRestoringShowsThem) {
    TForm* form = Make();
    ShowWindow(Application.Handle(), SW_SHOWNORMAL);
    form->Show();
    Pump();
    Application.Minimize();
    Pump();
    EXPECT_TRUE(IsIconic(Application.Handle()));
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    Application.Restore();
    Pump();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->WindowState(), wsNormal);
}

TEST_F(Forms, BorderStyleChangesKeepTheClientSize) {
    auto* form = New<TForm>(&Application);
    made.push_back(form);
    form->SetClientSize(300, 200);
    form->SetBorderStyle(bsNone);  // stored window data may name the border after the size
    EXPECT_EQ(form->Width(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    form->HandleNeeded();
    form->SetBorderStyle(bsSingle);
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(RectWidth(client), 300);
    EXPECT_EQ(RectHeight(client), 200);
    EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_CAPTION);
}

TEST_F(Forms, ClientSizeIsTheClientAreaWhateverTheBorder) {
    for (TFormBorderStyle style : {bsNone, bsSingle, bsSizeable}) {
        TForm* form = Make();
        form->SetBorderStyle(style);
        form->SetClientSize(300, 200);
        form->HandleNeeded();
        RECT client;
        GetClientRect(form->Handle(), &client);
        EXPECT_EQ(RectWidth(client), 300) << style;
        EXPECT_EQ(RectHeight(client), 200) << style;
        EXPECT_EQ(HasNonClientArea(form->Handle()), style != bsNone) << style;
        EXPECT_EQ(form->ClientWidth(), 300);
        form->SetClientSize(320, 210);
        GetClientRect(form->Handle(), &client);
        EXPECT_EQ(RectWidth(client), 320) << style;
    }
}

// Only windows with something around the client area get the default frame painting; forms'
// borders are checked with their client sizes.
TEST(NonClientArea, ScrollBarsAndEdgesCountAsFrames) {
    for (const auto& [style, exStyle] : {std::pair<DWORD, DWORD>{WS_POPUP | WS_VSCROLL, 0}, {WS_POPUP, WS_EX_CLIENTEDGE}}) {
        HWND window = CreateWindowExW(exStyle, L"STATIC", L"", style, 0, 0, 50, 40, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(HasNonClientArea(window)) << std::hex << style << " " << exStyle;
        DestroyWindow(window);
    }
}

TEST_F(Forms, AShownFormStaysActiveThroughAFrameChange) {
    // What a drop shadow does once the form shows: a frame change without activation.
    TForm* form = Make();
    form->Show();
    Pump();
    ASSERT_EQ(GetActiveWindow(), form->Handle());
    SetWindowPos(form->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    Pump();
    EXPECT_EQ(GetActiveWindow(), form->Handle());
}
