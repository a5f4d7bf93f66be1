// probe_lines.exe PRIMARY_URL SECONDARY_URL [ROUNDS]
// Runs the launcher's line probe ROUNDS times (5 unless given) and prints, per round, the time it
// took to decide and each line's rate, then the median time. Exit code 2 on wrong arguments.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "net/LineProbe.h"
#include "net/TransferFigures.h"

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 3 || count > 4) {
        std::printf("usage: probe_lines.exe PRIMARY_URL SECONDARY_URL [ROUNDS]\n");
        return 2;
    }
    const int rounds = count == 4 ? _wtoi(args[3]) : 5;
    std::vector<uint64_t> times;
    for (int i = 0; i < rounds; ++i) {
        const uint64_t start = GetTickCount64();
        const TLineProbeResult result =
            ProbeLines(args[1], args[2], kProbeBudgetMs, TProbeStop());
        times.push_back(GetTickCount64() - start);
        std::printf("round %d: %llu ms, primary %s, secondary %s\n", i + 1,
                    static_cast<unsigned long long>(times.back()),
                    FormatSpeed(result.Primary.Answered ? result.Primary.BytesPerSecond : -1).c_str(),
                    FormatSpeed(result.Secondary.Answered ? result.Secondary.BytesPerSecond : -1).c_str());
    }
    LocalFree(args);
    std::sort(times.begin(), times.end());
    if (!times.empty()) std::printf("median: %llu ms\n", static_cast<unsigned long long>(times[times.size() / 2]));
    return 0;
}
