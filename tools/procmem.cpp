// procmem.exe <image name>
// Working set and CPU times of every running process of that image name, read from outside it
// the way a Windows tool reads them (GetProcessMemoryInfo, GetProcessTimes). One line each:
//   "pid=<n> ws=<bytes> peak_ws=<bytes> user_s=<s> kernel_s=<s>"
// Under Wine the figures of another process come from the wineserver, which takes them from the
// Linux process (the benchmark compares them with /proc). Exit code 0 when at least one process
// was read, 1 when none runs, 2 on usage or a failed query.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sys/Handles.h"

namespace {

struct TProcessHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
using TProcessHandle = TScopedHandle<TProcessHandleTraits>;

double Seconds(const FILETIME& t) {
    const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<double>(ticks) / 1e7;
}

std::vector<DWORD> ProcessIdsNamed(const std::wstring& imageName) {
    std::vector<DWORD> ids;
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (lstrcmpiW(entry.szExeFile, imageName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

bool PrintProcess(DWORD id) {
    TProcessHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessMemoryInfo(process.Get(), &memory, sizeof(memory)) ||
        !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) {
        std::fprintf(stderr, "procmem: process %lu cannot be read (error %lu)\n", static_cast<unsigned long>(id),
                     static_cast<unsigned long>(GetLastError()));
        return false;
    }
    std::printf("pid=%lu ws=%llu peak_ws=%llu user_s=%.3f kernel_s=%.3f\n", static_cast<unsigned long>(id),
                static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize), Seconds(user), Seconds(kernel));
    return true;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** raw = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring imageName = raw && count == 2 ? raw[1] : L"";
    if (raw) LocalFree(raw);
    if (imageName.empty()) {
        std::fprintf(stderr, "usage: procmem.exe <image name>\n");
        return 2;
    }
    const std::vector<DWORD> ids = ProcessIdsNamed(imageName);
    bool allRead = true;
    for (DWORD id : ids) allRead = PrintProcess(id) && allRead;
    std::fflush(stdout);
    if (ids.empty()) return 1;
    return allRead ? 0 : 2;
}
