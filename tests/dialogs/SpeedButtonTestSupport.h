#pragma once
// Shared by the speed button tests: a form per test, snapshots of a button's own paint, and the
// box of caption ink on a plain face.
#include "dialogs/ModalSpeedButton.h"
#include "gui/Forms.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace speedbtntest {

constexpr gui::TColor kBarColor = gui::RGBColor(240, 243, 247);
constexpr gui::TColor kDialogBlue = gui::RGBColor(66, 139, 202);
constexpr gui::TColor kDialogHot = gui::RGBColor(14, 97, 185);
constexpr gui::TColor kFocusFrame = gui::RGBColor(119, 196, 238);

// What the button's paint produces, read back from a DIB.
inline gui::DibSection Snapshot(gui::TWinControl& control) {
    gui::DibSection dib(control.Width(), control.Height(), 32);
    SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    return dib;
}

// The smallest rectangle holding every pixel inside the 1-pixel edge that is not the face colour.
inline RECT InkBox(const gui::DibSection& dib, COLORREF face) {
    RECT box{dib.Width(), dib.Height(), -1, -1};
    for (int y = 1; y < dib.Height() - 1; ++y) {
        for (int x = 1; x < dib.Width() - 1; ++x) {
            if (dib.PixelAt(x, y) == face) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box;
}

inline bool HasPixel(const gui::DibSection& dib, COLORREF colour) {
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) {
            if (dib.PixelAt(x, y) == colour) return true;
        }
    }
    return false;
}

// A form of its own for each test, shown without the focus on any button.
class ButtonForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = guitest::MakeForm(260, 140);
        form->SetColor(kBarColor);
    }
    void TearDown() override {
        gui::SetMouseControl(nullptr);
        gui::Application.FreeComponent(form);
        guitest::Pump();
    }
    void ShowForm() {
        form->Show();
        guitest::Pump();
        ::SetFocus(form->Handle());
        guitest::Pump();
    }
    template <class T = TModalSpeedButton>
    T* AddButton(gui::TWinControl* parent, int left, int top, int width = 67, int height = 30) {
        auto* button = gui::New<T>(form);
        button->SetParent(parent);
        button->SetBounds(left, top, width, height);
        button->OnClick = [this](gui::TObject* sender) { clicks.push_back(sender); };
        return button;
    }
    // The message dialog's answer button.
    TModalSpeedButton* AddDialogButton(int left, int top, const std::wstring& caption) {
        TModalSpeedButton* button = AddButton(form, left, top);
        button->SetFlat(true);
        button->SetStyle(bsNormal);
        button->SetColor(kDialogBlue);
        button->SetColorWhenDown(kDialogBlue);
        button->SetLightColor(kDialogBlue);
        button->SetShadowColor(kDialogBlue);
        button->SetHotTrackColor(kDialogHot);
        button->Font().SetColor(gui::clWhite);
        button->SetCaption(caption);
        return button;
    }
    static void Mouse(gui::TWinControl& c, UINT msg, int x, int y, WPARAM keys = 0) {
        guitest::SendMouse(c.Handle(), msg, x, y, keys);
    }
    static void PressAndRelease(gui::TWinControl& c, int x = 10, int y = 10) {
        Mouse(c, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Mouse(c, WM_LBUTTONUP, x, y);
    }

    gui::TForm* form = nullptr;
    std::vector<gui::TObject*> clicks;
};

}  // namespace speedbtntest
