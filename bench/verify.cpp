// bench_verify.exe PACKAGE PUBLISHER [prepared]
// Times CheckPackage on one file: the first check in the process (what the launcher pays after a
// download; with "prepared" after PreparePackageCheck, timed apart) and a second one right after.
// Prints one line: "prepare=<s> first=<s> second=<s> cpu=<s> passed=<0|1> signer=<name>".
// tools/bench.sh runs it in turns with sha256sum of the same file and summarises the lines.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sys/SysUtils.h"
#include "verify/PackageCheck.h"

namespace {

double WallSeconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto toTicks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(toTicks(kernel) + toTicks(user)) / 1e7;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** raw = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(raw, raw + count);
    LocalFree(raw);
    return args;
}

}  // namespace

int main() {
    const std::vector<std::wstring> args = Arguments();
    if (args.size() < 3 || args.size() > 4 || (args.size() == 4 && args[3] != L"prepared")) {
        std::fprintf(stderr, "usage: bench_verify.exe PACKAGE PUBLISHER [prepared]\n");
        return 2;
    }
    // The launcher checks with its window long up. Here the first check would otherwise wait for
    // Wine to start its desktop process, up to 10 s when the previous process's server is gone.
    GetDesktopWindow();
    const double begin = WallSeconds();
    if (args.size() == 4)
        PreparePackageCheck();
    const double start = WallSeconds();
    const TPackageCheck first = CheckPackage(args[1], args[2]);
    const double firstDone = WallSeconds();
    const double cpuBefore = CpuSeconds();
    const TPackageCheck second = CheckPackage(args[1], args[2]);
    const double secondDone = WallSeconds();
    std::printf("prepare=%.4f first=%.4f second=%.4f cpu=%.4f passed=%d signer=%s\n", start - begin,
                firstDone - start, secondDone - firstDone,
                CpuSeconds() - cpuBefore, first.Passed && second.Passed ? 1 : 0, sys::ToUtf8(second.Signer).c_str());
    return first.Passed && second.Passed ? 0 : 1;
}
