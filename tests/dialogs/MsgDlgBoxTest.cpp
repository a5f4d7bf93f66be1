// The message dialog's answers: what each kind shows, which code each way out returns, and the
// keyboard, all through ShowMsgDlg's real modal loop.
#include "MsgDlgBoxTestSupport.h"

#include <vector>

using namespace msgdlgtest;

namespace {

struct KindCase {
    TMsgDlgKind Kind;
    const wchar_t* Title;
    gui::TImage* Tfrm_MsgDlg::*Icon;
    std::vector<std::wstring> Captions;  // visible answer buttons, left to right
};

const KindCase kKinds[] = {
    {mdkInfo, L"提示信息", &Tfrm_MsgDlg::imgInfo, {L"确定(&O)"}},
    {mdkError, L"错误信息", &Tfrm_MsgDlg::imgError, {L"确定(&O)"}},
    {mdkWarning, L"警告信息", &Tfrm_MsgDlg::imgWarn, {L"确定(&O)"}},
    {mdkOkCancel, L"确认信息", &Tfrm_MsgDlg::imgConfirm, {L"确定(&O)", L"取消"}},
    {mdkYesNoCancel, L"确认信息", &Tfrm_MsgDlg::imgConfirm, {L"是(&Y)", L"否(&N)", L"取消"}},
    {mdkYesNo, L"确认信息", &Tfrm_MsgDlg::imgConfirm, {L"是(&Y)", L"否(&N)"}},
    {mdkYesNoAlt, L"确认信息", &Tfrm_MsgDlg::imgConfirm, {L"是(&Y)", L"否(&N)"}},
};

std::vector<TModalSpeedButton*> VisibleAnswerButtons(Tfrm_MsgDlg& d) {
    std::vector<TModalSpeedButton*> shown;
    for (TModalSpeedButton* b : {d.sBtnLeft, d.sBtnCenter, d.sBtnRight}) {
        if (b->Visible()) shown.push_back(b);
    }
    return shown;
}

std::wstring WindowText(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

}  // namespace

TEST(MsgDlgKinds, EachKindShowsItsTitleIconAndButtonsLaidOutFromTheRight) {
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(static_cast<int>(k.Kind));
        const int result = RunDialog({k.Kind}, [&](Tfrm_MsgDlg& d) {
            EXPECT_EQ(d.lblSysTitle->Caption(), k.Title);
            EXPECT_EQ(WindowText(d.Handle()), k.Title);
            for (gui::TImage* icon : {d.imgInfo, d.imgError, d.imgWarn, d.imgConfirm}) {
                EXPECT_EQ(icon->Visible(), icon == d.*k.Icon);
            }
            std::vector<TModalSpeedButton*> shown = VisibleAnswerButtons(d);
            ASSERT_EQ(shown.size(), k.Captions.size());
            int right = d.Width() - 16;
            for (size_t i = shown.size(); i-- > 0;) {
                EXPECT_EQ(shown[i]->Caption(), k.Captions[i]);
                EXPECT_EQ(shown[i]->Left() + shown[i]->Width(), right);
                right = shown[i]->Left() - 8;
            }
            EXPECT_FALSE(d.sBtnDetail->Visible());
            PostKey(d, VK_ESCAPE);
        });
        EXPECT_EQ(result, mdrRight);
    }
}

TEST(MsgDlgKinds, KindsAboveSixShowNothingToAnswerWithAndOnlyCloseWithThree) {
    for (int kind : {7, 255}) {
        SCOPED_TRACE(kind);
        const int result = RunDialog({static_cast<TMsgDlgKind>(kind)}, [](Tfrm_MsgDlg& d) {
            EXPECT_EQ(d.lblSysTitle->Caption(), L"标题");
            for (gui::TImage* icon : {d.imgInfo, d.imgError, d.imgWarn, d.imgConfirm}) EXPECT_FALSE(icon->Visible());
            EXPECT_TRUE(VisibleAnswerButtons(d).empty());
            // Enter and the accelerators find nothing to press.
            SendMessageW(KeyTarget(d), WM_KEYDOWN, VK_RETURN, 1);
            SendMessageW(KeyTarget(d), WM_SYSCHAR, L'o', 1 | (1 << 29));
            EXPECT_EQ(d.ModalResult(), gui::mrNone);
            ClickWindowless(*d.Image2);
        });
        EXPECT_EQ(result, mdrRight);
    }
}

TEST(MsgDlgKinds, EscapeAndTheCloseImageGiveThreeForEveryKind) {
    for (int kind = 0; kind <= 7; ++kind) {
        SCOPED_TRACE(kind);
        const Call call{static_cast<TMsgDlgKind>(kind), L"消息", L"", true, L"不再提示"};
        EXPECT_EQ(RunDialog(call, [](Tfrm_MsgDlg& d) { PostKey(d, VK_ESCAPE); }), mdrRight);
        EXPECT_EQ(RunDialog(call, [](Tfrm_MsgDlg& d) { ClickWindowless(*d.Image2); }), mdrRight);
    }
}

namespace {

enum class Press { Left, Center, Right };

struct AnswerCase {
    TMsgDlgKind Kind;
    bool RemindChecked;  // as ShowMsgDlg is given it
    bool TickOnce;       // the user toggles the box before answering
    Press Button;
    int Expected;
};

const AnswerCase kAnswers[] = {
    {mdkInfo, false, true, Press::Left, mdrLeft},  // a notice ignores the remind box
    {mdkWarning, true, false, Press::Left, mdrLeft},
    {mdkOkCancel, false, false, Press::Left, mdrLeft},
    {mdkOkCancel, false, true, Press::Left, mdrLeftRemind},
    {mdkOkCancel, true, false, Press::Left, mdrLeftRemind},
    {mdkOkCancel, true, true, Press::Left, mdrLeft},
    {mdkOkCancel, false, false, Press::Right, mdrRight},
    {mdkOkCancel, false, true, Press::Right, mdrRightRemind},
    {mdkYesNoCancel, false, false, Press::Center, mdrCenter},
    {mdkYesNoCancel, true, false, Press::Center, mdrCenter},
    {mdkYesNoCancel, true, false, Press::Right, mdrRightRemind},
    {mdkYesNo, true, false, Press::Left, mdrLeftRemind},
    {mdkYesNoAlt, false, true, Press::Right, mdrRightRemind},
};

}  // namespace

TEST(MsgDlgAnswers, ButtonsAndTheRemindBoxGiveTheirCodes) {
    for (const AnswerCase& a : kAnswers) {
        SCOPED_TRACE(testing::Message() << "kind " << int(a.Kind) << " checked " << a.RemindChecked << " tick "
                                        << a.TickOnce << " button " << int(a.Button));
        const Call call{a.Kind, L"消息", L"", a.RemindChecked, L"不再提示"};
        const int result = RunDialog(call, [&](Tfrm_MsgDlg& d) {
            EXPECT_TRUE(d.pnlRemind->Showing());
            EXPECT_EQ(d.lblRemind->Caption(), L"不再提示");
            if (a.TickOnce) Tick(*d.cbxRemind);
            TModalSpeedButton* target = a.Button == Press::Left ? d.sBtnLeft
                                        : a.Button == Press::Center ? d.sBtnCenter
                                                                    : d.sBtnRight;
            Click(*target);
        });
        EXPECT_EQ(result, a.Expected);
    }
}

TEST(MsgDlgAnswers, BlankRemindTextShowsNoBoxAndLeavesItClear) {
    const Call call{mdkOkCancel, L"消息", L"", true, L" \t "};
    EXPECT_EQ(RunDialog(call, [](Tfrm_MsgDlg& d) {
                  EXPECT_FALSE(d.pnlRemind->Visible());
                  Click(*d.sBtnLeft);
              }),
              mdrLeft);
}

TEST(MsgDlgAnswers, TheDialogIsGoneAfterEachShowing) {
    const size_t before = gui::Application.ComponentCount();
    RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) { Click(*d.sBtnRight); });
    EXPECT_EQ(gui::Application.ComponentCount(), before);
    EXPECT_EQ(DialogDriver::FindDialog(), nullptr);
}

TEST(MsgDlgKeyboard, OpensWithTheFirstControlInTabOrderFocused) {
    RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) {
        EXPECT_EQ(KeyTarget(d), d.sBtnLeft->Handle());
        PostKey(d, VK_ESCAPE);
    });
    RunDialog({mdkOkCancel, L"消息", L"", false, L"不再提示"}, [](Tfrm_MsgDlg& d) {
        EXPECT_EQ(KeyTarget(d), d.cbxRemind->Handle());
        PostKey(d, VK_ESCAPE);
    });
}

TEST(MsgDlgKeyboard, EnterAndSpacePressTheFocusedButton) {
    EXPECT_EQ(RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) { PostKey(d, VK_RETURN); }), mdrLeft);
    EXPECT_EQ(RunDialog({mdkYesNoCancel}, [](Tfrm_MsgDlg& d) {
                  SendMessageW(KeyTarget(d), WM_KEYDOWN, VK_TAB, 1);
                  EXPECT_EQ(KeyTarget(d), d.sBtnCenter->Handle());
                  PostKey(d, VK_SPACE);
              }),
              mdrCenter);
    // From the remind box, Tab leads to the left button; Enter there sees the ticked box.
    EXPECT_EQ(RunDialog({mdkOkCancel, L"消息", L"", false, L"不再提示"}, [](Tfrm_MsgDlg& d) {
                  Tick(*d.cbxRemind);
                  SendMessageW(KeyTarget(d), WM_KEYDOWN, VK_TAB, 1);
                  EXPECT_EQ(KeyTarget(d), d.sBtnLeft->Handle());
                  PostKey(d, VK_RETURN);
              }),
              mdrLeftRemind);
}

TEST(MsgDlgKeyboard, AltWithTheUnderlinedLetterPressesThatButton) {
    EXPECT_EQ(RunDialog({mdkInfo}, [](Tfrm_MsgDlg& d) { PostAltLetter(d, L'o'); }), mdrLeft);
    EXPECT_EQ(RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) { PostAltLetter(d, L'O'); }), mdrLeft);
    EXPECT_EQ(RunDialog({mdkYesNoCancel}, [](Tfrm_MsgDlg& d) { PostAltLetter(d, L'n'); }), mdrCenter);
    EXPECT_EQ(RunDialog({mdkYesNo}, [](Tfrm_MsgDlg& d) { PostAltLetter(d, L'n'); }), mdrRight);
    EXPECT_EQ(RunDialog({mdkYesNoAlt, L"消息", L"", true, L"不再提示"}, [](Tfrm_MsgDlg& d) { PostAltLetter(d, L'y'); }),
              mdrLeftRemind);
    // A letter that no caption underlines leaves the dialog open.
    EXPECT_EQ(RunDialog({mdkOkCancel}, [](Tfrm_MsgDlg& d) {
                  SendMessageW(KeyTarget(d), WM_SYSCHAR, L'y', 1 | (1 << 29));
                  EXPECT_EQ(d.ModalResult(), gui::mrNone);
                  PostKey(d, VK_ESCAPE);
              }),
              mdrRight);
}
