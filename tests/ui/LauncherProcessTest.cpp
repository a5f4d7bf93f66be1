// The launcher as a process: refusals, the single instance and the normal end, run from here so
// the exit codes can be read in full.
#include "sys/SysUtils.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring LauncherPath() { return sys::ExtractFilePath(sys::ExeFileName()) + L"TallyvoLauncherLocal.exe"; }

// A copy of the launcher alone in a fresh folder, so a "Tallyvo\Log\" there can only be its own.
std::wstring LauncherCopyIn(const std::wstring& folderName) {
    const std::wstring copy = testenv::MakeScratchDir(folderName) + L"TallyvoLauncherLocal.exe";
    return CopyFileW(LauncherPath().c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

std::wstring LogFolderBeside(const std::wstring& program) {
    return sys::ExtractFilePath(program) + L"Tallyvo\\Log\\";
}

class TLauncher {
public:
    TLauncher(const std::wstring& program, const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + program + L"\"" + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
        if (!started_) error_ = GetLastError();
    }
    ~TLauncher() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    TLauncher(const TLauncher&) = delete;
    TLauncher& operator=(const TLauncher&) = delete;

    bool Started() const { return started_ != FALSE; }
    DWORD Error() const { return error_; }
    // The exit code, or STILL_ACTIVE when the process still runs after ms.
    DWORD ExitCodeWithin(DWORD ms) {
        if (WaitForSingleObject(info_.hProcess, ms) == WAIT_TIMEOUT) return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    // The process's main window, waited for up to ms.
    HWND MainWindowWithin(DWORD ms) {
        for (DWORD waited = 0; waited < ms; waited += 50) {
            struct Search {
                DWORD pid;
                HWND found;
            } search{info_.dwProcessId, nullptr};
            EnumWindows(
                [](HWND window, LPARAM param) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(param);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(window, &pid);
                    wchar_t caption[16] = {};
                    GetWindowTextW(window, caption, 16);
                    if (pid != s->pid || wcscmp(caption, L"frm_Main") != 0 || !IsWindowVisible(window)) return TRUE;
                    s->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found) return search.found;
            Sleep(50);
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION info_{};
    BOOL started_ = FALSE;
    DWORD error_ = 0;
};

// One test, because every step depends on which launcher holds the single-instance mutex. Each
// launcher starts from a folder of its own without a log folder: the log folder is made before
// the argument and the other instance are looked at.
TEST(LauncherProcess, RefusesArgumentsAndSecondInstancesAndEndsNormallyWhenClosed) {
    if (GetFileAttributesW(LauncherPath().c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "launcher not built";
    const std::wstring refusedCopy = LauncherCopyIn(L"launcher_argument");
    const std::wstring firstCopy = LauncherCopyIn(L"launcher_empty_argument");
    const std::wstring secondCopy = LauncherCopyIn(L"launcher_second_instance");
    for (const std::wstring& copy : {refusedCopy, firstCopy, secondCopy}) {
        ASSERT_FALSE(copy.empty());
        ASSERT_FALSE(sys::DirectoryExists(LogFolderBeside(copy))) << sys::ToUtf8(copy);
    }

    {
        TLauncher refused(refusedCopy, L" /anything");
        ASSERT_TRUE(refused.Started()) << refused.Error();
        EXPECT_EQ(0u, refused.ExitCodeWithin(20000));
        EXPECT_TRUE(sys::DirectoryExists(LogFolderBeside(refusedCopy)));
    }

    TLauncher first(firstCopy, L" \"\" second");  // an empty first argument is no argument
    ASSERT_TRUE(first.Started()) << first.Error();
    HWND window = first.MainWindowWithin(20000);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(sys::DirectoryExists(LogFolderBeside(firstCopy)));
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(428, frame.left);
    EXPECT_EQ(161, frame.top);

    {
        TLauncher second(secondCopy, L"");
        ASSERT_TRUE(second.Started()) << second.Error();
        EXPECT_EQ(0u, second.ExitCodeWithin(20000));
        EXPECT_TRUE(sys::DirectoryExists(LogFolderBeside(secondCopy)));
        EXPECT_EQ(STILL_ACTIVE, first.ExitCodeWithin(0));
    }

    // Closed from outside, as the taskbar does, with no download under way: the message loop
    // ends and so does the program.
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.ExitCodeWithin(20000));

    TLauncher again(firstCopy, L"");
    ASSERT_TRUE(again.Started()) << again.Error();
    EXPECT_NE(nullptr, again.MainWindowWithin(20000));
}

// What Explorer's properties, the elevation prompt and security software show of the executable:
// the test build's defaults of its cache variables.
TEST(LauncherProcess, NamesItsCompanyProductAndVersion) {
    const std::wstring path = LauncherPath();
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(block.empty()) << "no version resource";
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) return std::wstring();
        return std::wstring(value);
    };
    EXPECT_EQ(L"Tallyvo Example Company", text(L"CompanyName"));
    EXPECT_EQ(L"Tallyvo", text(L"ProductName"));
    EXPECT_EQ(L"1.0.0.0", text(L"ProductVersion"));
    EXPECT_EQ(L"TallyvoLauncher.exe", text(L"OriginalFilename"));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
}

}  // namespace
