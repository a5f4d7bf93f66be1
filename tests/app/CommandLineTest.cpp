#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

namespace {

// The shell's own reading of the same line: an argument after the name, and not empty.
bool ShellSeesAFirstArgument(const std::wstring& line) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(line.c_str(), &count);
    const bool given = args && count > 1 && args[1][0] != L'\0';
    LocalFree(args);
    return given;
}

}  // namespace

TEST(CommandLine, FirstArgumentAsTheShellReadsIt) {
    const struct {
        const wchar_t* line;
        bool given;
    } cases[] = {
        {L"launcher.exe", false},
        {L"launcher.exe   \t ", false},
        {L"launcher.exe x", true},
        {L"\"C:\\Program Files\\launcher.exe\"", false},
        {L"\"C:\\Program Files\\launcher.exe\" /x", true},
        {L"\"C:\\a b\\launcher.exe\"x", true},
        {L"launcher.exe \"\"", false},
        {L"launcher.exe \"\" x", false},
        {L"launcher.exe \"\"\"\"", true},
        {L"launcher.exe \"\"\"\" ", true},
        {L"launcher.exe \"x\"", true},
        {L"launcher.exe \" \"", true},
        {L"launcher.exe \\", true},
        {L"launcher.exe \\\"", true},
        {L"launcher.exe \"", false},
        {L"launcher.exe \"\"\t\"\"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "line: " << std::string(c.line, c.line + wcslen(c.line)));
        EXPECT_EQ(FirstArgumentGiven(c.line), c.given);
        EXPECT_EQ(ShellSeesAFirstArgument(c.line), c.given) << "the table disagrees with the shell";
    }
}
