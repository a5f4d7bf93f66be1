// Every notice and question of the main window reaches the user through this one step.
#include "ui/f_Main.h"

#include "dialogs/f_MsgDlgBox.h"

int Tfrm_Main::_Say(int kind, const std::wstring& text) {
    if (MessageSink) return MessageSink(kind, text);
    return ShowMsgDlg(static_cast<TMsgDlgKind>(kind), text, std::wstring(), false, std::wstring());
}
