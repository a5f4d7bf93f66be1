// The start-up step's registry adjustment, run against a scratch key that stands for the user's
// internet settings, on each Windows version the launcher supports.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "net/public/HttpClientImpl.h"

namespace {

const wchar_t kScratchKey[] = L"Software\\TallyvoTest\\InternetSettings";

class ScratchInternetSettings {
public:
    explicit ScratchInternetSettings(std::optional<DWORD> value) {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
        if (value) RegSetValueExW(key_, L"SecureProtocols", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), 4);
    }
    ~ScratchInternetSettings() {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TallyvoTest");
    }
    std::optional<DWORD> Value() const {
        DWORD value = 0, size = sizeof(value);
        if (RegGetValueW(key_, nullptr, L"SecureProtocols", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }

private:
    HKEY key_ = nullptr;
};

TEST(InitHttpClient, SecureProtocolsOnlyGainTls12AndAreLeftToWindowsWhereItsDefaultsHaveIt) {
    const struct {
        std::optional<DWORD> before;
        WORD major, minor;  // 6.1 Windows 7, 6.2 Windows 8, 6.3 Windows 8.1, 10.0 Windows 10
        std::optional<DWORD> after;
    } rows[] = {
        {0x800, 10, 0, 0x800}, {0x2800, 10, 0, 0x2800}, {0x0A0, 10, 0, 0x8A0}, {0x0A0, 6, 1, 0x8A0},
        {std::nullopt, 10, 0, std::nullopt}, {std::nullopt, 6, 3, std::nullopt},
        {std::nullopt, 6, 2, 0xA80}, {std::nullopt, 6, 1, 0xA80},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "Windows " << row.major << "." << row.minor << ", before 0x" << std::hex
                                        << row.before.value_or(0));
        ScratchInternetSettings settings(row.before);
        EnsureTls12(kScratchKey, [&](WORD major, WORD minor) {
            return row.major > major || (row.major == major && row.minor >= minor);
        });
        EXPECT_EQ(settings.Value(), row.after);
    }
}

TEST(InitHttpClient, RecordsTempFolderWithTrailingBackslash) {
    wchar_t saved[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TEMP", L"C:\\tmpdir");
    _InitHttpClient();
    EXPECT_EQ(TempDir, L"C:\\tmpdir\\");
    SetEnvironmentVariableW(L"TEMP", nullptr);
    _InitHttpClient();
    EXPECT_EQ(TempDir, L"\\");
    SetEnvironmentVariableW(L"TEMP", saved);
    _InitHttpClient();
    _DoneHttpClient();
    EXPECT_EQ(TempDir, L"");
}

}  // namespace
