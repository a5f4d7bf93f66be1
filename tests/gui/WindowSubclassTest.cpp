#include "gui/WindowSubclass.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

constexpr UINT kProbe = WM_APP + 7;

// Each procedure appends its letter to the log it was given, then passes the message on; the
// window's own procedure appends "w" and answers 42.
std::wstring* t_log = nullptr;

LRESULT CALLBACK OwnProc(HWND window, UINT msg, WPARAM w, LPARAM l) {
    if (msg == kProbe) {
        *t_log += L'w';
        return 42;
    }
    if (msg == WM_NCDESTROY && t_log) *t_log += L'W';
    return DefWindowProcW(window, msg, w, l);
}

LRESULT CALLBACK Letter(HWND window, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR letter) {
    if (msg == kProbe || msg == WM_NCDESTROY) *t_log += static_cast<wchar_t>(letter);
    // The procedure with id 9 takes itself out while it handles a message.
    if (msg == kProbe && id == 9) gui::RemoveWindowSubclass(window, Letter, id);
    return gui::DefSubclassProc(window, msg, w, l);
}

WNDPROC t_foreignNext = nullptr;
LRESULT CALLBACK ForeignProc(HWND window, UINT msg, WPARAM w, LPARAM l) {
    if (msg == kProbe) *t_log += L'f';
    return CallWindowProcW(t_foreignNext, window, msg, w, l);
}

HWND MakeWindow() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SubclassTestWindow";
        return RegisterClassW(&wc);
    }();
    return CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct TStep {
    wchar_t op;  // '+' install, '-' remove, 'f' a foreign procedure in front, 'p' send the probe
    UINT_PTR id = 0;
    wchar_t letter = 0;
};

struct TChainCase {
    const char* name;
    std::vector<TStep> steps;
    std::wstring log;
    bool ownProcRestored;
};

// Runs one case's steps on a fresh window and returns what the procedures logged.
std::wstring RunSteps(const std::vector<TStep>& steps, bool& ownProcRestored) {
    std::wstring log;
    t_log = &log;
    HWND window = MakeWindow();
    for (const TStep& step : steps) {
        switch (step.op) {
        case '+': EXPECT_TRUE(gui::SetWindowSubclass(window, Letter, step.id, step.letter)); break;
        case '-': EXPECT_TRUE(gui::RemoveWindowSubclass(window, Letter, step.id)); break;
        case 'f':
            t_foreignNext = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc)));
            break;
        case 'p': EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 42); log += L'|'; break;
        }
    }
    ownProcRestored = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == OwnProc;
    const std::wstring result = log;
    DestroyWindow(window);
    t_log = nullptr;
    return result;
}

TEST(WindowSubclass, MessagesRunThroughTheChainLatestFirst) {
    const TChainCase cases[] = {
        {"latest first", {{'+', 1, 'a'}, {'+', 2, 'b'}, {'p'}}, L"baw|", false},
        {"inner removed first", {{'+', 1, 'a'}, {'+', 2, 'b'}, {'-', 1}, {'p'}, {'-', 2}, {'p'}}, L"bw|w|", true},
        {"installed again: same place, new data", {{'+', 1, 'a'}, {'+', 2, 'b'}, {'+', 1, 'c'}, {'p'}}, L"bcw|", false},
        {"removes itself while handling", {{'+', 1, 'a'}, {'+', 9, 'x'}, {'p'}, {'p'}}, L"xaw|aw|", false},
        {"a foreign procedure in front outlives ours", {{'+', 1, 'a'}, {'f'}, {'-', 1}, {'p'}}, L"fw|", false},
    };
    for (const TChainCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool restored = false;
        EXPECT_EQ(RunSteps(c.steps, restored), c.log);
        EXPECT_EQ(restored, c.ownProcRestored);
    }
}

TEST(WindowSubclassLife, EverySubclassSeesTheWindowsEndThenTheChainIsGone) {
    std::wstring log;
    t_log = &log;
    HWND window = MakeWindow();
    ASSERT_TRUE(gui::SetWindowSubclass(window, Letter, 1, 'a'));
    ASSERT_TRUE(gui::SetWindowSubclass(window, Letter, 2, 'b'));
    DestroyWindow(window);
    EXPECT_EQ(log, L"baW");
    EXPECT_FALSE(gui::RemoveWindowSubclass(window, Letter, 1)) << "nothing is left to remove";
    t_log = nullptr;
}

TEST(WindowSubclassLife, AnotherThreadsWindowIsRefused) {
    HWND window = MakeWindow();
    bool installed = true;
    std::thread([&] { installed = gui::SetWindowSubclass(window, Letter, 1, 'a'); }).join();
    EXPECT_FALSE(installed);
    EXPECT_FALSE(gui::RemoveWindowSubclass(window, Letter, 1));
    DestroyWindow(window);
}

}  // namespace
