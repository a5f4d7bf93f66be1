#include "gui/WindowDataParser.h"

#include <gtest/gtest.h>

#include <string>

using gui::EWindowDataError;
using gui::ParseWindowData;
using gui::TWindowDataNode;
using gui::TWindowDataValue;
using Kind = gui::TWindowDataValueKind;

namespace {

// One property's value, parsed from "object a: T  P = <text>  end".
TWindowDataValue ValueOf(const std::string& written) {
    TWindowDataNode root = ParseWindowData("object a: T\n  P = " + written + "\nend\n", L"v.dfm");
    EXPECT_EQ(root.Properties.size(), 1u);
    return root.Properties.at(0).Value;
}

EWindowDataError ErrorOf(const std::string& text) {
    try {
        ParseWindowData(text, L"bad.dfm");
    } catch (const EWindowDataError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for:\n" << text;
    return EWindowDataError(L"", 0, L"", L"");
}

}  // namespace

TEST(WindowDataParser, TreeKeepsNamesClassesOrderAndLines) {
    const std::string text =
        "\xEF\xBB\xBF"
        "object frm_Main: Tfrm_Main\r\n"
        "  Left = 428\r\n"
        "  Font.Name = 'MS Sans Serif'\r\n"
        "  object pnlGg: TBriskPanel\r\n"
        "    // the whole client area\r\n"
        "    Align = alClient\r\n"
        "    object imgTop: TImage\r\n"
        "      OnMouseDown = imgTopMouseDown\r\n"
        "    end\r\n"
        "  end\r\n"
        "  object pnlSecond: TBriskPanel\r\n"
        "  end\r\n"
        "end\r\n";
    TWindowDataNode root = ParseWindowData(text, L"f_Main.dfm");
    EXPECT_EQ(root.Name, L"frm_Main");
    EXPECT_EQ(root.ClassName, L"Tfrm_Main");
    EXPECT_EQ(root.Line, 1);
    ASSERT_EQ(root.Properties.size(), 2u);
    EXPECT_EQ(root.Properties[1].Name, L"Font.Name");
    EXPECT_EQ(root.Properties[1].Line, 3);
    ASSERT_EQ(root.Children.size(), 2u);
    const TWindowDataNode& panel = root.Children[0];
    EXPECT_EQ(panel.Name, L"pnlGg");
    EXPECT_EQ(panel.Line, 4);
    ASSERT_EQ(panel.Properties.size(), 1u);
    EXPECT_EQ(panel.Properties[0].Line, 6);
    ASSERT_EQ(panel.Children.size(), 1u);
    EXPECT_EQ(panel.Children[0].Name, L"imgTop");
    EXPECT_EQ(panel.Children[0].Properties[0].Value.Text, L"imgTopMouseDown");
    EXPECT_EQ(root.Children[1].Name, L"pnlSecond");
    EXPECT_EQ(root.Children[1].Line, 11);
}

TEST(WindowDataParser, IntegersInEveryNotation) {
    const struct {
        const char* written;
        long long value;
    } cases[] = {
        {"428", 428},
        {"-11", -11},
        {"+7", 7},
        {"$1A", 0x1A},
        {"0x1a", 0x1A},
        {"$00F7F3F0", 0x00F7F3F0},
        {"$FF00000F", 0xFF00000F},
        {"-$10", -16},
        {"9223372036854775807", 9223372036854775807LL},
        {"-9223372036854775808", -9223372036854775807LL - 1},
        {"$FFFFFFFFFFFFFFFF", -1},
    };
    for (const auto& c : cases) {
        TWindowDataValue v = ValueOf(c.written);
        EXPECT_EQ(v.Kind, Kind::Integer) << c.written;
        EXPECT_EQ(v.Integer, c.value) << c.written;
    }
}

TEST(WindowDataParser, StringsQuotesCodesJoinsAndChinese) {
    const struct {
        const char* written;
        const wchar_t* text;
    } cases[] = {
        {"'frm_Main'", L"frm_Main"},
        {"''", L""},
        {"'it''s'", L"it's"},
        {"''''", L"'"},
        {"'Line 1'#13#10'Line 2'", L"Line 1\r\nLine 2"},
        {"#$41#66", L"AB"},
        {"'\xE4\xBF\x9D\xE5\xAD\x98\xE8\xB7\xAF\xE5\xBE\x84\xEF\xBC\x9A'", L"保存路径："},
        {"#20445#23384", L"保存"},
        {"'Tallyvo'\n    + ' launcher'\n    + '!'", L"Tallyvo launcher!"},
        {"#128512", L"\xD83D\xDE00"},
        {"' // not a comment'", L" // not a comment"},
    };
    for (const auto& c : cases) {
        TWindowDataValue v = ValueOf(c.written);
        EXPECT_EQ(v.Kind, Kind::String) << c.written;
        EXPECT_EQ(v.Text, c.text) << c.written;
    }
}

TEST(WindowDataParser, IdentifiersBooleansAndSets) {
    TWindowDataValue colour = ValueOf("clBtnFace");
    EXPECT_EQ(colour.Kind, Kind::Identifier);
    EXPECT_EQ(colour.Text, L"clBtnFace");

    EXPECT_EQ(ValueOf("True").Kind, Kind::Boolean);
    EXPECT_TRUE(ValueOf("True").Boolean);
    EXPECT_TRUE(ValueOf("TRUE").Boolean);
    EXPECT_FALSE(ValueOf("false").Boolean);

    TWindowDataValue anchors = ValueOf("[akLeft,akTop , akRight]");
    EXPECT_EQ(anchors.Kind, Kind::Set);
    EXPECT_EQ(anchors.Items, (std::vector<std::wstring>{L"akLeft", L"akTop", L"akRight"}));
    TWindowDataValue empty = ValueOf("[]");
    EXPECT_EQ(empty.Kind, Kind::Set);
    EXPECT_TRUE(empty.Items.empty());

    EXPECT_EQ(gui::DescribeValue(anchors), L"[akLeft, akTop, akRight]");
    EXPECT_EQ(gui::DescribeValue(ValueOf("'it''s'")), L"'it''s'");
}

TEST(WindowDataParser, KeywordsAreCaseInsensitiveAndValuesKeepTheirLine) {
    TWindowDataNode root = ParseWindowData("OBJECT a: T\n\n  Caption =\n    'late'\nEnd", L"k.dfm");
    ASSERT_EQ(root.Properties.size(), 1u);
    EXPECT_EQ(root.Properties[0].Line, 3);
    EXPECT_EQ(root.Properties[0].Value.Line, 4);
}

TEST(WindowDataParser, FaultsNameFileLineAndToken) {
    const struct {
        const char* text;
        int line;
        const wchar_t* what;
        const wchar_t* name;
    } cases[] = {
        {"object a: T\n  Caption = 'open\nend\n", 2, L"unterminated string", L"'open"},
        {"object a: T\n  Left 12\nend\n", 2, L"'=' expected", L"12"},
        {"object a: T\n  Left =\nend\n", 3, L"value expected", L"end"},
        {"object a: T\n  Width = 12px\nend\n", 2, L"bad number", L"12px"},
        {"object a: T\n  Width = 1.5\nend\n", 2, L"bad number", L"1.5"},
        {"object a: T\n  Width = $\nend\n", 2, L"bad number", L"$"},
        {"object a: T\n  Width = 99999999999999999999\nend\n", 2, L"number out of range", L"99999999999999999999"},
        {"object a: T\n  Width = $1FFFFFFFFFFFFFFFF\nend\n", 2, L"number out of range", L"$1FFFFFFFFFFFFFFFF"},
        {"object a: T\n  object b: T\n    Left = 1\nend\n", 1, L"object without 'end'", L"a"},
        {"object a: T\nend\nobject b: T\nend\n", 3, L"text after the last end", L"object"},
        {"object a: T\n  object b: T\n  end\n  object B: T\n  end\nend\n", 4, L"duplicate component name", L"B"},
        {"object a: T\n  Anchors = [akLeft akTop]\nend\n", 2, L"',' expected", L"akTop"},
        {"object a: T\n  Anchors = [akLeft,\nend\n", 3, L"set element expected", L"end"},
        {"object a: T\n  Anchors = ['x']\nend\n", 2, L"set element expected", L"'x'"},
        {"object a: T\n  Caption = 'a' +\nend\n", 3, L"string expected after '+'", L"end"},
        {"object a: T\n  Caption = #\nend\n", 2, L"bad character code", L"#"},
        {"object a: T\n  Caption = #55296\nend\n", 2, L"bad character code", L"#55296"},
        {"object a: T\n  Left = 1 ;\nend\n", 2, L"unexpected character", L";"},
        {"inherited a: T\nend\n", 1, L"'object' expected", L"inherited"},
        {"object a.b: T\nend\n", 1, L"component name expected", L"a.b"},
        {"object a T\nend\n", 1, L"':' expected", L"T"},
        {"", 1, L"'object' expected", L"end of text"},
        {"object a: T\n  Caption = 'ok'\n  Hint = '\xC3\x28'\nend\n", 3, L"text is not UTF-8", L"line 3"},
    };
    for (const auto& c : cases) {
        EWindowDataError e = ErrorOf(c.text);
        EXPECT_EQ(e.FileName(), L"bad.dfm") << c.text;
        EXPECT_EQ(e.Line(), c.line) << c.text;
        EXPECT_EQ(e.What(), c.what) << c.text;
        EXPECT_EQ(e.Name(), c.name) << c.text;
    }
}

TEST(WindowDataParser, MessageReadsFileLineWhatName) {
    EWindowDataError e = ErrorOf("object a: T\n\n  Left 3\nend\n");
    EXPECT_EQ(e.Message(), L"bad.dfm(3): '=' expected: 3");
}
