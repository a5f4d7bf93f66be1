// The package's start by the shell, which opens the path it is given by name, and the check the
// real services hold a package to before it.
#include "sys/SysUtils.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/MainWindowServices.h"
#include "ui/PackageLaunch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kLongPathPrefix[] = L"\\\\?\\";

std::wstring StubInstaller() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return sys::ExtractFilePath(self) + L"stub_installer.exe";
}

const wchar_t* const kFolders[] = {L"plain", L"evil.", L"evil"};

// What the test leaves, by long paths, which keep a name's trailing dot.
void RemoveLeftovers(const std::wstring& root) {
    for (const wchar_t* folder : kFolders) {
        DeleteFileW((kLongPathPrefix + root + folder + L"\\pkg.exe").c_str());
        RemoveDirectoryW((kLongPathPrefix + root + folder).c_str());
    }
    DeleteFileW((root + L"started.txt").c_str());
    RemoveDirectoryW(root.c_str());
}

std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name + L"\\";
    RemoveLeftovers(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The stub installer at folder\pkg.exe; the folder made by its exact name, which a plain path
// might not keep.
std::wstring PlaceStub(const std::wstring& folder) {
    CreateDirectoryW((kLongPathPrefix + folder).c_str(), nullptr);
    const std::wstring path = folder + L"\\pkg.exe";
    EXPECT_TRUE(CopyFileW(StubInstaller().c_str(), (kLongPathPrefix + path).c_str(), FALSE)) << path;
    return path;
}

}  // namespace

// A folder's trailing dot is kept by the long form the package was checked under but dropped
// from the plain path the shell is given, which then names the same-named file beside it.
TEST(StartPackage, StartsOnlyWhenThePathItPassesNamesTheHeldFile) {
    // Not a scratch folder: the shell, which removes those, leaves a name with a trailing dot.
    const std::wstring root = FreshFolder(L"tallyvo-start-package");
    const struct {
        std::wstring folder;
        std::wstring decoy;  // what the plain path would name instead
        bool starts;
    } cases[] = {
        {root + L"plain", L"", true},
        {root + L"evil.", root + L"evil", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folder);
        const std::wstring held = PlaceStub(c.folder);
        if (!c.decoy.empty()) PlaceStub(c.decoy);
        const std::wstring marker = root + L"started.txt";
        DeleteFileW(marker.c_str());
        SetEnvironmentVariableW(L"TALLYVO_STUB_MARKER", marker.c_str());
        const TFileHandle package = OpenPackageForLaunch(kLongPathPrefix + held);
        ASSERT_TRUE(package);
        EXPECT_EQ(c.starts, StartPackage(package.Get(), nullptr));
        if (c.starts) {
            EXPECT_TRUE(uitest::PumpUntil([&] { return uitest::FileExists(marker); }));
        }
    }
    SetEnvironmentVariableW(L"TALLYVO_STUB_MARKER", nullptr);
    RemoveLeftovers(root);
}

// The local variant pins the test publisher and the sample package's version, 1.3.0.0.
TEST(RealServices, HoldThePackageToThePinnedPublisherAndMinimumVersion) {
    const struct {
        const wchar_t* sample;
        const wchar_t* reason;
    } cases[] = {
        {L"genuine", L""},
        {L"old", L"安装包版本过旧：1.2.0.0，最低要求 1.3.0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sample);
        const std::wstring path =
            testenv::UnixToWindowsPath(std::wstring(TALLYVO_TEST_SAMPLES) + L"/" + c.sample + L".exe");
        const TFileHandle held = OpenPackageForLaunch(path);
        EXPECT_EQ(c.reason, TRealMainWindowServices().CheckPackage(path, held.Get()).Reason);
    }
}
