// fetch.exe URL SAVE_PATH [--cancel-at BYTES]
// Drives the shared client's resumable download from the command line and prints one UTF-8
// line per notification: <state> <Downloaded> <Total> <SpeedText> <RemainingText> <Msg>.
// Exit code: 0 done, 1 cancelled, 2 failed or wrong arguments.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "sys/SysUtils.h"
#include "net/HttpClientIntf.h"
#include "net/public/HttpClientImpl.h"

namespace {

struct TFetchArgs {
    std::wstring Url;
    std::wstring SavePath;
    int64_t CancelAt = -1;  // -1: never cancel
};

void WriteOut(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::wstring> CommandLineArgs() {
    int count = 0;
    wchar_t** raw = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; raw && i < count; ++i) args.emplace_back(raw[i]);
    if (raw) LocalFree(raw);
    return args;
}

bool ParseArgs(const std::vector<std::wstring>& args, TFetchArgs& out) {
    if (args.size() != 2 && args.size() != 4) return false;
    out.Url = args[0];
    out.SavePath = args[1];
    if (args.size() == 4) {
        if (args[2] != L"--cancel-at") return false;
        wchar_t* end = nullptr;
        out.CancelAt = std::wcstoll(args[3].c_str(), &end, 10);
        if (end == args[3].c_str() || *end != L'\0' || out.CancelAt < 0) return false;
    }
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> buffer(n);
    DWORD written = GetFullPathNameW(path.c_str(), n, buffer.data(), nullptr);
    return written > 0 && written < n ? std::wstring(buffer.data(), written) : path;
}

const char* StateName(TDownloadState state) {
    switch (state) {
        case dsStart: return "dsStart";
        case dsProgress: return "dsProgress";
        case dsFinish: return "dsFinish";
        case dsFail: return "dsFail";
        case dsError: return "dsError";
    }
    return "ds?";
}

std::string NotificationLine(const THttpDownloadInfo& info) {
    return std::string(StateName(info.State)) + " " + std::to_string(info.Downloaded) + " " +
           std::to_string(info.Total) + " " + sys::ToUtf8(sys::FromGbk(info.SpeedText)) + " " +
           sys::ToUtf8(sys::FromGbk(info.RemainingText)) + " " + sys::ToUtf8(info.Msg) + "\n";
}

int Run(const TFetchArgs& args) {
    HttpClientPtr client = GetHttpClient();
    client->SetResumable(true);
    bool cancelSent = false;
    const TDownloadProgressEvent onProgress = [&](const THttpDownloadInfo& info, bool& cancel) {
        WriteOut(NotificationLine(info));
        if (info.State == dsProgress && args.CancelAt >= 0 && !cancelSent && info.Downloaded >= args.CancelAt) {
            cancel = true;
            cancelSent = true;
        }
    };
    const int32_t result = client->DownloadFile(args.Url, FullPath(args.SavePath), onProgress, 0, nullptr);
    if (result == 0) return 0;
    return result == 1 ? 1 : 2;
}

}  // namespace

int main() {
    TFetchArgs args;
    if (!ParseArgs(CommandLineArgs(), args)) {
        WriteOut("usage: fetch.exe URL SAVE_PATH [--cancel-at BYTES]\n");
        return 2;
    }
    _InitHttpClient();
    int code = Run(args);
    ReleaseHttpClient();
    _DoneHttpClient();
    return code;
}
