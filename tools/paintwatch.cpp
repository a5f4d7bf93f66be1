// paintwatch.exe <program> <window title> <x> <y> <timeout ms> [<poll pause ms>, default 1]
// Starts a program in its own folder and polls the screen until the window of that title exists
// and the screen pixel at x, y is no longer black: the moment a person first sees it painted.
// Polling one pixel of the screen DC costs far less than a screenshot, so the figure is not
// blurred by the probe. Prints one line, times counted from just before CreateProcess:
//   "pid=<n> window_ms=<t> painted_ms=<t> colour=<RRGGBB> polls=<n> poll_ms=<mean interval>"
// The program keeps running. Exit code 0 when painted, 1 on time-out, 2 on usage or start failure.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "gui/Gdi.h"
#include "sys/SysUtils.h"

namespace {

struct TWatchArgs {
    std::wstring Program;
    std::wstring Title;
    POINT Point{};
    DWORD TimeoutMs = 0;
    DWORD PauseMs = 1;
};

struct TWatchResult {
    DWORD ProcessId = 0;
    double WindowMs = -1;
    double PaintedMs = -1;
    COLORREF Colour = 0;
    long Polls = 0;
};

class TStopwatch {
public:
    TStopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double ElapsedMs() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

bool ParseNumber(const std::wstring& text, long& out) {
    wchar_t* end = nullptr;
    out = std::wcstol(text.c_str(), &end, 10);
    return end != text.c_str() && *end == L'\0' && out >= 0;
}

bool ParseArgs(TWatchArgs& out) {
    int count = 0;
    wchar_t** raw = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; raw && i < count; ++i) args.emplace_back(raw[i]);
    if (raw) LocalFree(raw);
    long x = 0, y = 0, timeout = 0, pause = 1;
    if ((args.size() != 5 && args.size() != 6) || !ParseNumber(args[2], x) || !ParseNumber(args[3], y) ||
        !ParseNumber(args[4], timeout) || (args.size() == 6 && !ParseNumber(args[5], pause)))
        return false;
    out.Program = args[0];
    out.Title = args[1];
    out.Point = POINT{x, y};
    out.TimeoutMs = static_cast<DWORD>(timeout);
    out.PauseMs = static_cast<DWORD>(pause);
    return true;
}

bool StartProgram(const std::wstring& program, DWORD& processId) {
    std::wstring commandLine = L"\"" + program + L"\"";
    const std::wstring folder = sys::ExtractFilePath(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "paintwatch: CreateProcess failed: %s\n", sys::ToUtf8(sys::SysErrorMessage(GetLastError())).c_str());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    processId = process.dwProcessId;
    return true;
}

bool Painted(COLORREF colour) { return colour != CLR_INVALID && (colour & 0xFFFFFF) != 0; }

// The pause keeps the probe from taking a core of this small machine away from the program it times.
TWatchResult Watch(const TWatchArgs& args, const gui::WindowDc& screen, const TStopwatch& clock, DWORD processId) {
    TWatchResult result;
    result.ProcessId = processId;
    while (clock.ElapsedMs() < args.TimeoutMs) {
        ++result.Polls;
        if (result.WindowMs < 0 && FindWindowW(nullptr, args.Title.c_str())) result.WindowMs = clock.ElapsedMs();
        if (result.WindowMs >= 0) {
            const COLORREF colour = GetPixel(screen.Get(), args.Point.x, args.Point.y);
            if (Painted(colour)) {
                result.PaintedMs = clock.ElapsedMs();
                result.Colour = colour;
                break;
            }
        }
        Sleep(args.PauseMs);
    }
    return result;
}

void Report(const TWatchResult& result, double totalMs) {
    std::printf("pid=%lu window_ms=%.1f painted_ms=%.1f colour=%02X%02X%02X polls=%ld poll_ms=%.2f\n",
                static_cast<unsigned long>(result.ProcessId), result.WindowMs, result.PaintedMs,
                GetRValue(result.Colour), GetGValue(result.Colour), GetBValue(result.Colour), result.Polls,
                result.Polls > 0 ? totalMs / result.Polls : 0.0);
    std::fflush(stdout);
}

}  // namespace

int main() {
    TWatchArgs args;
    if (!ParseArgs(args)) {
        std::fprintf(stderr, "usage: paintwatch.exe <program> <window title> <x> <y> <timeout ms> [<poll pause ms>]\n");
        return 2;
    }
    // Wine starts its desktop process with the first window user and ends it with the last; on
    // Windows the desktop always runs, so it is brought up here, before the clock starts.
    const gui::WindowDc screen(GetDesktopWindow());
    const TStopwatch clock;
    DWORD processId = 0;
    if (!StartProgram(args.Program, processId)) return 2;
    const TWatchResult result = Watch(args, screen, clock, processId);
    Report(result, clock.ElapsedMs());
    return result.PaintedMs >= 0 ? 0 : 1;
}
