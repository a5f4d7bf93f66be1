// The main window from the keyboard: the pictures of the visible page take turns under Tab and
// Enter, Escape is a close request like one from the task bar, Left and Right pick the line.
#include "ui/f_Main.h"

#include "controls/TesselRadioButton.h"

#include <algorithm>

bool Tfrm_Main::DialogKey(WORD key, gui::TShiftState shift) {
    if (key == VK_ESCAPE) {
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        return true;
    }
    if ((key == VK_LEFT || key == VK_RIGHT) && PC->ActivePage() == TS1) {
        _MoveLineChoice(key == VK_LEFT ? rdbDX : RdbLT);
        return true;
    }
    return FKeys.DialogKey(*this, _KeyboardElements(), key, shift);
}

// The page's active elements, its main picture first; the line choice is one element, the
// checked radio button, as a radio group is one stop.
std::vector<gui::TControl*> Tfrm_Main::_KeyboardElements() {
    std::vector<gui::TControl*> all;
    if (PC->ActivePage() == TS1) all = {btnDownloadNow, rdbDX->Checked() ? rdbDX : RdbLT, labCustom};
    if (PC->ActivePage() == TS2) all = {btnDownload, btnDir, labBack};
    if (PC->ActivePage() == TS3) all = {btnInstall};
    std::vector<gui::TControl*> shown;
    for (gui::TControl* c : all) {
        if (c->Showing() && c->EffectivelyEnabled()) shown.push_back(c);
    }
    return shown;
}

gui::TControl* Tfrm_Main::FocusedElement() {
    if (!PC) return nullptr;
    const std::vector<gui::TControl*> elements = _KeyboardElements();
    if (elements.empty()) return nullptr;
    const auto turn = std::find(elements.begin(), elements.end(), FKeys.Turn());
    // A windowed element with the turn has the real focus; without it Enter presses the main picture.
    return turn == elements.end() || dynamic_cast<gui::TWinControl*>(*turn) ? elements.front() : *turn;
}

void Tfrm_Main::_MoveLineChoice(TTesselRadioButton* to) {
    const bool hadTurn = FKeys.Turn() == rdbDX || FKeys.Turn() == RdbLT;
    to->SetChecked(true);
    if (hadTurn) FKeys.MoveTurn(*this, to);
}
