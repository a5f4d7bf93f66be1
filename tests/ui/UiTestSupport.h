#pragma once
// Helpers for the launcher's window tests: a main window per test with its message sink and
// online probe replaced, and mouse input delivered to whatever window lies under a point.
#include "ui/f_Main.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace uitest {

struct TShownMessage {
    int Kind;
    std::wstring Text;
};

// What the window said, and the answers it gets, in order (OK when the script runs out).
struct TMessageScript {
    std::vector<TShownMessage> Shown;
    std::vector<int> Answers;
    // Runs inside the sink before it answers, so a test can act while the "dialog" is up.
    std::function<void(const TShownMessage&)> OnShown;
};

TMessageScript& Messages();
int RecordingSink(int kind, const std::wstring& text);

// The online probe's answer.
extern bool g_Online;
bool ScriptedProbe();

void Pump(int rounds = 5);

// The deepest child window of top under its client point (x, y), and that point in the child.
HWND WindowAt(HWND top, POINT& point);
// A press and release of the button at the form's client point.
void ClickAt(HWND top, int x, int y, bool right = false);
// A press alone (no release), which starts a drag on a banner.
void PressAt(HWND top, int x, int y, bool right = false);

// Writes bytes to path; false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool FileExists(const std::wstring& path);

// Records the WM_SYSCOMMAND values a form receives and swallows the move command, so no
// modal move loop starts in a test.
class TSysCommandSpy {
public:
    explicit TSysCommandSpy(gui::TForm& form);
    ~TSysCommandSpy();
    TSysCommandSpy(const TSysCommandSpy&) = delete;
    TSysCommandSpy& operator=(const TSysCommandSpy&) = delete;
    const std::vector<WPARAM>& Commands() const { return commands_; }

private:
    gui::TForm& form_;
    gui::TWndMethod previous_;
    std::vector<WPARAM> commands_;
};

// A fresh main window, shown, talking to the recording sink and the scripted probe.
Tfrm_Main* MakeMainWindow();
void FreeMainWindow(Tfrm_Main* form);

}  // namespace uitest
