#include "app/CommandLine.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program's name ends at the closing quote when it starts with one (no escapes inside), at
// the first blank otherwise.
size_t SkipProgramName(const std::wstring& line) {
    if (!line.empty() && line[0] == L'"') {
        const size_t close = line.find(L'"', 1);
        return close == std::wstring::npos ? line.size() : close + 1;
    }
    size_t i = 0;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    return i;
}

}  // namespace

// Backslashes are always text of their own or escape a quote, which is text then too; a quote
// inside quotes that another quote follows is a literal quote; every other quote only opens or
// closes a quoted part. So the argument is empty only when it is made of such quotes alone.
bool FirstArgumentGiven(const std::wstring& line) {
    size_t i = SkipProgramName(line);
    while (i < line.size() && IsBlank(line[i])) ++i;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c != L'"') return quoted || !IsBlank(c);
        if (quoted && i + 1 < line.size() && line[i + 1] == L'"') return true;
        quoted = !quoted;
    }
    return false;
}
