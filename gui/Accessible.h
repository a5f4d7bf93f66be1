#pragma once
// What a screen reader reads (MSAA). Every form, and every windowed control that is an element of
// its own, answers WM_GETOBJECT with an IAccessible over the framework's controls: a form's
// children are the showing controls that have a role, windowless ones as simple elements and
// windowed ones as the objects their windows answer with; containers without a role are read
// through. oleacc loads with the first question. Everything runs on the windows' thread.
#include "gui/WinControl.h"

#include <vector>

namespace gui {

class TForm;

// Posted to the root's window by a screen reader's default action; wParam is the element.
constexpr UINT CM_ACCESSIBLEACTION = 0xB01A;
// Posted to a form whose focused element may have changed; answered once the tree has settled.
constexpr UINT CM_ACCESSIBLEFOCUS = 0xB01B;

// The object for WM_GETOBJECT's id (the client, or a form's window for its name); false when the
// control has none of its own and the system answers.
bool AnswerGetObject(TWinControl& control, TMessage& message);
// The elements a screen reader sees as root's children, in paint order; child id = index + 1.
std::vector<TControl*> AccessibleElements(TWinControl& root);
// The window whose object holds control as a child: its form, or a windowed element around it.
TWinControl* AccessibleRoot(const TControl& control);
// The posted default action arrives: element runs it if it is still showing and enabled.
void RunAccessibleAction(TWinControl& root, const TControl* element);

// Events for screen readers: a value or a state of the control changed, a form alerts.
void NotifyAccessibleValue(TControl& control);
void NotifyAccessibleState(TControl& control);
void NotifyAccessibleAlert(TForm& form);

}  // namespace gui
