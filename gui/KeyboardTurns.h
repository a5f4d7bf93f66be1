#pragma once
// The keyboard on a window whose buttons are pictures: Tab passes the turn among a page's active
// elements, Enter presses the picture that has it (else the page's main one), and the focus mark
// appears only once a key was pressed, so a mouse user sees the window unchanged.
#include "gui/WinControl.h"

#include <vector>

namespace gui {

class TKeyboardTurns {
public:
    // elements: the page's active elements in Tab order, the main picture first (the one that has
    // the turn until Tab moves it). A windowed element takes the real focus; a picture keeps it
    // on form and shows the mark. True when the key was used.
    bool DialogKey(TWinControl& form, const std::vector<TControl*>& elements, WORD key, TShiftState shift);
    // The element that had the turn last, null before the first key.
    TControl* Turn() const { return FTurn; }
    // Gives the turn to an element (the mark, once keys were used, or the focus) and takes it
    // from the one that had it.
    void MoveTurn(TWinControl& form, TControl* to);

private:
    TControl* FTurn = nullptr;
    bool FMarksShown = false;
};

}  // namespace gui
