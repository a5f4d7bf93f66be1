// Asks a top-level window of another program to close, as the task bar does: posts WM_CLOSE to
// the first visible window with the given title. Exit code 0 when one was found, 1 when none.
// Usage: close_window.exe <title>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

struct TSearch {
    std::wstring Title;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TSearch*>(param);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (!IsWindowVisible(window) || search->Title != title)
        return TRUE;
    search->Found = window;
    return FALSE;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::fprintf(stderr, "usage: close_window.exe <title>\n");
        return 2;
    }
    TSearch search;
    search.Title = argv[1];
    LocalFree(argv);
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.Found || !PostMessageW(search.Found, WM_CLOSE, 0, 0)) {
        std::fprintf(stderr, "close_window: no window to close\n");
        return 1;
    }
    return 0;
}
