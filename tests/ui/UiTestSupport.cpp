#include "tests/ui/UiTestSupport.h"

namespace uitest {

bool g_Online = true;

TMessageScript& Messages() {
    static TMessageScript script;
    return script;
}

int RecordingSink(int kind, const std::wstring& text) {
    TMessageScript& script = Messages();
    script.Shown.push_back({kind, text});
    if (script.OnShown) script.OnShown(script.Shown.back());
    const size_t index = script.Shown.size() - 1;
    return index < script.Answers.size() ? script.Answers[index] : kMessageOk;
}

bool ScriptedProbe() { return g_Online; }

void Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        gui::Application.ProcessMessages();
        Sleep(1);
    }
}

HWND WindowAt(HWND top, POINT& point) {
    HWND current = top;
    for (;;) {
        HWND child = RealChildWindowFromPoint(current, point);
        if (!child || child == current) return current;
        MapWindowPoints(current, child, &point, 1);
        current = child;
    }
}

namespace {

void SendButton(HWND top, int x, int y, bool right, bool release) {
    POINT point{x, y};
    HWND target = WindowAt(top, point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessageW(target, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    if (release) SendMessageW(target, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

}  // namespace

void ClickAt(HWND top, int x, int y, bool right) { SendButton(top, x, y, right, true); }

void PressAt(HWND top, int x, int y, bool right) {
    SendButton(top, x, y, right, false);
    ReleaseCapture();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    const BOOL ok = bytes.empty() || ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return ok && read == bytes.size();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TSysCommandSpy::TSysCommandSpy(gui::TForm& form) : form_(form), previous_(form.WindowProc) {
    form.WindowProc = [this](gui::TMessage& m) {
        if (m.Msg == WM_SYSCOMMAND) {
            commands_.push_back(m.WParam);
            m.Result = 0;
            return;
        }
        previous_(m);
    };
}

TSysCommandSpy::~TSysCommandSpy() { form_.WindowProc = previous_; }

Tfrm_Main* MakeMainWindow() {
    Messages() = TMessageScript();
    g_Online = true;
    auto* form = gui::NewForm<Tfrm_Main>(&gui::Application);
    form->MessageSink = RecordingSink;
    form->OnlineProbe = ScriptedProbe;
    form->Show();
    Pump();
    return form;
}

void FreeMainWindow(Tfrm_Main* form) {
    gui::Application.FreeComponent(form);
    Pump(2);
}

}  // namespace uitest
