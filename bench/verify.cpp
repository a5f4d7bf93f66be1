// bench_verify.exe PACKAGE PUBLISHER
// Times CheckPackage on one file: the first check in the process (what the launcher pays once
// after a download, Wine's import of the host roots included) and a second one right after.
// Prints one line: "first=<s> second=<s> cpu=<s> passed=<0|1> signer=<name>".
// tools/bench.sh runs it in turns with sha256sum of the same file and summarises the lines.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/SysUtils.h"
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
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: bench_verify.exe PACKAGE PUBLISHER\n");
        return 2;
    }
    const double start = WallSeconds();
    const TPackageCheck first = CheckPackage(args[1], args[2]);
    const double firstDone = WallSeconds();
    const double cpuBefore = CpuSeconds();
    const TPackageCheck second = CheckPackage(args[1], args[2]);
    const double secondDone = WallSeconds();
    std::printf("first=%.4f second=%.4f cpu=%.4f passed=%d signer=%s\n", firstDone - start, secondDone - firstDone,
                CpuSeconds() - cpuBefore, first.Passed && second.Passed ? 1 : 0, sys::ToUtf8(second.Signer).c_str());
    return first.Passed && second.Passed ? 0 : 1;
}
