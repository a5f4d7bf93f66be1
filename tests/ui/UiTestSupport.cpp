#include "tests/ui/UiTestSupport.h"

#include "ui/PackageLaunch.h"

#include <stdexcept>

namespace uitest {

void TRecordedTaskbar::SetState(gui::TTaskbarState state) {
    static const wchar_t* const kNames[] = {L"none", L"indeterminate", L"normal", L"paused", L"error"};
    Calls.push_back(kNames[static_cast<int>(state)]);
}

int TScriptedServices::ShowMessage(TMsgDlgKind kind, const std::wstring& text) {
    Shown.push_back({kind, text});
    const size_t index = Shown.size() - 1;
    if (OnShown) OnShown(Shown.back());
    return index < Answers.size() ? Answers[index] : mdrLeft;
}

int32_t TScriptedServices::DownloadFile(const TDownloadSources& sources, const std::wstring& savePath,
                                        const TDownloadProgressEvent& onProgress, std::vector<TLineReport>& report) {
    Downloads.push_back({sources.Urls.front(), savePath});
    if (!Runs.empty()) {
        const TScriptedRun run = Runs.front();
        Runs.erase(Runs.begin());
        return PlayRun(run, onProgress);
    }
    const auto watched = [&](const THttpDownloadInfo& info, bool& cancel) {
        if (OnRealNotice) OnRealNotice(info);
        onProgress(info, cancel);
    };
    return TRealMainWindowServices().DownloadFile(sources, savePath, watched, report);
}

namespace {

bool OthersCanWrite(const std::wstring& path) {
    const HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (writer == INVALID_HANDLE_VALUE) return false;
    CloseHandle(writer);
    return true;
}

}  // namespace

TPackageCheck TScriptedServices::CheckPackage(const std::wstring& path, HANDLE file) {
    if (CheckGate) WaitForSingleObject(CheckGate, 10000);
    const bool held = file != nullptr && file != INVALID_HANDLE_VALUE;
    CheckCalls.push_back({held, held && !OthersCanWrite(path), Form->labProcess->Caption()});
    FLastChecked = file;
    if (BeforeCheck) BeforeCheck();
    if (CheckThrows) throw std::runtime_error("check failed unexpectedly");
    // A file the window could not open reaches the real check's answer to that.
    if (!held) return ::CheckPackage(path, file, L"Tallyvo Test Publisher");
    const TPackageCheck verdict = Checks.front();
    if (Checks.size() > 1) Checks.erase(Checks.begin());
    return verdict;
}

TLineProbeResult TScriptedServices::ProbeLines(const TProbeStop& stop) {
    TLineProbeResult result;
    if (!ProbeUrls[0].empty()) result = ::ProbeLines(ProbeUrls[0], ProbeUrls[1], kProbeBudgetMs, stop);
    ++*ProbesEnded;
    return result;
}

bool TScriptedServices::StartInstaller(HANDLE file) {
    const std::wstring path = FinalPathOf(file);
    Starts.push_back({path, file == FLastChecked, !OthersCanWrite(path)});
    return false;
}

int32_t TScriptedServices::PlayRun(const TScriptedRun& run, const TDownloadProgressEvent& onProgress) {
    for (const TNotice& notice : run.Notices) {
        if (notice.Before) notice.Before();
        THttpDownloadInfo info;
        info.State = notice.State;
        info.Downloaded = notice.Downloaded;
        info.Total = notice.Total;
        info.Speed = notice.Speed;
        info.SpeedText = notice.SpeedText;
        info.RemainingText = notice.RemainingText;
        info.Msg = notice.Msg;
        bool cancel = false;
        onProgress(info, cancel);
        Seen.push_back({notice.State, cancel, Form->labProcess->Caption(), Form->imgProcessInner->Width(),
                        Form->labSpeed->Caption()});
        // As the client does: only a running transfer stops on the answer.
        if (cancel && notice.State == dsProgress) return 1;
    }
    return run.Result;
}

namespace {

std::vector<std::function<void()>>& PostedCalls() {
    static std::vector<std::function<void()>> calls;
    return calls;
}

LRESULT CALLBACK PostedCallProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_APP) return DefWindowProcW(window, msg, wParam, lParam);
    std::function<void()> call = std::move(PostedCalls().at(static_cast<size_t>(wParam)));
    call();
    return 0;
}

HWND PostedCallWindow() {
    static HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PostedCallProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TallyvoTestPostedCall";
        RegisterClassW(&windowClass);
        return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    }();
    return window;
}

}  // namespace

void PostCall(std::function<void()> call) {
    PostedCalls().push_back(std::move(call));
    PostMessageW(PostedCallWindow(), WM_APP, PostedCalls().size() - 1, 0);
}

void PostCloseClick(Tfrm_Main* form) {
    PostCall([form] { form->btnCloseClick(nullptr); });
}

void Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        gui::Application.ProcessMessages();
        Sleep(1);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const uint64_t deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        gui::Application.ProcessMessages();
    }
    return true;
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

void PressKeys(HWND top, std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        HWND focus = GetFocus();
        HWND target = focus && (focus == top || IsChild(top, focus)) ? focus : top;
        SendMessageW(target, WM_KEYDOWN, key, 1);
        SendMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
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

Tfrm_Main* MakeMainWindow(TScriptedServices& services) {
    auto* form = gui::NewForm<Tfrm_Main>(&gui::Application, services);
    services.Form = form;
    form->Show();
    Pump();
    return form;
}

void FreeMainWindow(Tfrm_Main* form) {
    gui::Application.FreeComponent(form);
    Pump(2);
}

}  // namespace uitest
