// The launcher's entry point. The process-wide objects come and go here in a written order
// rather than through static initialisation, whose order across files C++ leaves open.
#include "app/CommandLine.h"
#include "app/f_GlobalVar.h"
#include "gui/Forms.h"
#include "sys/SysUtils.h"
#include "net/HttpClientIntf.h"
#include "net/public/HttpClientImpl.h"
#include "ui/f_Main.h"

#include <windows.h>

#include <cstdlib>
#include <string>

// A window program has no console for the run-time library's verbose terminate message, whose
// name demangler alone is some 45 KiB of the executable: std::terminate ends the process as
// abort() does, without it.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

namespace {

// The mutex lives as long as the process: its handle is never closed, the system drops it.
bool AnotherInstanceRuns() {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"OrvelDownloader_NV");
    return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

void RunLauncher() {
    gui::Application.Initialize();
    if (FirstArgumentGiven(GetCommandLineW())) return;
    if (AnotherInstanceRuns()) {
        gui::Application.Terminate();
        return;
    }
    gui::Application.SetTitle(L"Tallyvo");
    // As long-lived as the application's forms, which hold on to it.
    static TRealMainWindowServices services([](const std::wstring& line) { g_Logger->WriteLog(line, llInformation); });
    gui::Application.CreateForm(frm_Main, services);
    gui::Application.Run();
}

// What the framework does with an error that escapes start-up: a plain box with its text.
void ReportStartupError(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Tallyvo", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    _InitHttpClient();
    try {
        CreateGlobals();
    } catch (const sys::Exception& e) {
        ReportStartupError(e.Message());
        ReleaseHttpClient();
        _DoneHttpClient();
        return 1;
    }
    int exitCode = 0;
    try {
        RunLauncher();
    } catch (const sys::Exception& e) {
        ReportStartupError(e.Message());
        exitCode = 1;
    } catch (const std::exception& e) {
        ReportStartupError(sys::FromGbk(e.what()));
        exitCode = 1;
    }
    FreeGlobals();
    ReleaseHttpClient();
    _DoneHttpClient();
    return exitCode;
}
