#include "GuiTestSupport.h"

#include "gui/WinControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace gui;

namespace {

// An edit box built on the system class, as the skinned edit is.
class Edit : public TWinControl {
public:
    explicit Edit(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }
    int changes = 0;
    std::wstring Text() {
        wchar_t buffer[64] = {};
        GetWindowTextW(Handle(), buffer, 64);
        return buffer;
    }

protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.SystemClass = L"EDIT";
        params.ClassName = L"TestEdit";
        params.Style |= ES_AUTOHSCROLL;
    }
    void WndProc(TMessage& m) override {
        if (m.Msg == CN_BASE + WM_COMMAND && HIWORD(m.WParam) == EN_CHANGE) ++changes;
        TWinControl::WndProc(m);
    }
};

// Paints outside any paint message, on its own canvas, as a control that refreshes at once does.
class Painter : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void DrawNow(TColor c) {
        Canvas().Brush.SetColor(c);
        Canvas().FillRect(ClientRect());
    }
};

class SystemClass : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(200, 100);
        edit = New<Edit>(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 120, 23);
        other = New<Edit>(form);
        other->SetParent(form);
        other->SetBounds(10, 50, 120, 23);
        form->Show();
        guitest::Pump();
    }
    void TearDown() override { Application.FreeComponent(form); }
    TForm* form = nullptr;
    Edit* edit = nullptr;
    Edit* other = nullptr;
};

}  // namespace

TEST_F(SystemClass, TheSystemProcedureDoesTheDefaultWork) {
    SendMessageW(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Tallyvo\\"));
    EXPECT_EQ(edit->Text(), L"C:\\Tallyvo\\");
    edit->SetFocus();
    SendMessageW(edit->Handle(), WM_CHAR, L'x', 0);
    EXPECT_EQ(edit->Text().size(), 12u) << "typed characters reach the edit";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit->Handle(), WM_GETFONT, 0, 0)), edit->Font().Handle());
}

TEST_F(SystemClass, ChildNotificationsComeBackToTheChildItself) {
    SetWindowTextW(edit->Handle(), L"a");
    SetWindowTextW(edit->Handle(), L"ab");
    EXPECT_EQ(edit->changes, 2);
    EXPECT_EQ(other->changes, 0);
}

TEST_F(SystemClass, TabLeavesASingleLineEditForTheNextControl) {
    edit->SetFocus();
    SendMessageW(edit->Handle(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(form->ActiveControl(), other);
    EXPECT_TRUE(other->Focused());
    SendMessageW(other->Handle(), WM_KEYDOWN, VK_TAB, MAKELPARAM(0, 0));
    EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(SystemClass, KeysTheControlConsumesNeverReachTheWindow) {
    edit->SetFocus();
    edit->OnKeyPress = [](TObject*, wchar_t& key) {
        if (key == L'\r') key = 0;
    };
    SendMessageW(edit->Handle(), WM_CHAR, L'\r', 0);
    SendMessageW(edit->Handle(), WM_CHAR, L'k', 0);
    EXPECT_EQ(edit->Text(), L"k");
}

TEST_F(SystemClass, CanvasOutsideAPaintDrawsOnTheWindowAndIsGivenBack) {
    auto* painter = New<Painter>(form);
    painter->SetParent(form);
    painter->SetBounds(150, 10, 20, 20);
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    guitest::Pump();
    painter->DrawNow(clRed);
    EXPECT_TRUE(painter->Canvas().HandleAllocated());
    FreeDeviceContexts();
    EXPECT_FALSE(painter->Canvas().HandleAllocated());
    DibSection shot(20, 20, 32);
    WindowDc screen(painter->Handle());
    BitBlt(shot.Dc(), 0, 0, 20, 20, screen.Get(), 0, 0, SRCCOPY);
    EXPECT_EQ(shot.PixelAt(10, 10), RGB(255, 0, 0));
}

TEST_F(SystemClass, ChildrenMadeUnderAHiddenParentShowWithIt) {
    auto* page = New<Painter>(form);
    page->Hide();
    page->SetParent(form);
    auto* inside = New<Edit>(form);
    inside->SetParent(page);
    page->HandleNeeded();
    EXPECT_FALSE(IsWindowVisible(inside->Handle()));
    page->Show();
    EXPECT_TRUE(IsWindowVisible(inside->Handle()));
    EXPECT_TRUE(inside->Showing());
}
