// bench_transfer.exe engine|bare URL SAVE_PATH
// One measured download per process, so that each way's peak working set is its own:
//   engine  the shared client's resumable DownloadFile, its progress handler pumping the message
//           queue the way the main window's handler does;
//   bare    a plain WinInet GET read loop with the engine's buffer size, writing the same file.
// Prints one line: "<way> result=<0|-1|1> bytes=<n> wall=<s> cpu=<s> start_ws=<bytes> peak_ws=<bytes>".
// tools/bench.sh runs the ways in turn against a local nginx and summarises the lines.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "net/HttpClientIntf.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/InternetHandle.h"

namespace {

const DWORD kBufferSize = 131072;  // the engine's default BufferSize

struct Outcome {
    int result = -1;
    int64_t bytes = 0;
};

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto toTicks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(toTicks(kernel) + toTicks(user)) / 1e7;
}

double WallSeconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Outcome EngineDownload(const std::wstring& url, const std::wstring& savePath) {
    Outcome outcome;
    HttpClientPtr client = GetHttpClient();
    client->SetResumable(true);
    const TDownloadProgressEvent onProgress = [&](const THttpDownloadInfo& info, bool&) {
        outcome.bytes = info.Downloaded;
        PumpMessages();
    };
    outcome.result = client->DownloadFile(url, savePath, onProgress, 0, nullptr);
    return outcome;
}

Outcome BareDownload(const std::wstring& url, const std::wstring& savePath) {
    Outcome outcome;
    TInternetHandle internet(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    TInternetHandle request(internet ? InternetOpenUrlW(internet.Get(), url.c_str(), nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                : nullptr);
    TFileHandle file(CreateFileW(savePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!request || !file) return outcome;
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!InternetReadFile(request.Get(), buffer.data(), kBufferSize, &read)) return outcome;
        if (read == 0) break;
        if (!WriteFile(file.Get(), buffer.data(), read, &written, nullptr) || written != read) return outcome;
        outcome.bytes += read;
    }
    outcome.result = 0;
    return outcome;
}

std::vector<std::wstring> Args() {
    int count = 0;
    wchar_t** raw = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; raw && i < count; ++i) args.emplace_back(raw[i]);
    if (raw) LocalFree(raw);
    return args;
}

}  // namespace

int main() {
    const std::vector<std::wstring> args = Args();
    if (args.size() != 3 || (args[0] != L"engine" && args[0] != L"bare")) {
        std::printf("usage: bench_transfer.exe engine|bare URL SAVE_PATH\n");
        return 2;
    }
    const bool engine = args[0] == L"engine";
    _InitHttpClient();
    // A message-only window gives the pumping handler a real queue, as the main window has.
    HWND queueOwner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const SIZE_T startWorkingSet = MemoryCounters().WorkingSetSize;
    const double cpuBefore = CpuSeconds();
    const double wallBefore = WallSeconds();
    const Outcome outcome = engine ? EngineDownload(args[1], args[2]) : BareDownload(args[1], args[2]);
    const double wall = WallSeconds() - wallBefore;
    const double cpu = CpuSeconds() - cpuBefore;
    const SIZE_T peakWorkingSet = MemoryCounters().PeakWorkingSetSize;
    if (queueOwner) DestroyWindow(queueOwner);
    ReleaseHttpClient();
    _DoneHttpClient();
    std::printf("%s result=%d bytes=%lld wall=%.4f cpu=%.4f start_ws=%llu peak_ws=%llu\n", engine ? "engine" : "bare",
                outcome.result, static_cast<long long>(outcome.bytes), wall, cpu,
                static_cast<unsigned long long>(startWorkingSet), static_cast<unsigned long long>(peakWorkingSet));
    return outcome.result == 0 ? 0 : 1;
}
