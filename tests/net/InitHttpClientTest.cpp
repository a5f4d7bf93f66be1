// The start-up step's registry adjustment, run against the prefix's real user settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "net/public/HttpClientImpl.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::optional<DWORD> ReadSecureProtocols() {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"SecureProtocols", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteSecureProtocols(std::optional<DWORD> value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value)
        RegSetValueExW(key, L"SecureProtocols", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
    else
        RegDeleteValueW(key, L"SecureProtocols");
    RegCloseKey(key);
}

class InitHttpClient : public ::testing::Test {
protected:
    void SetUp() override { saved_ = ReadSecureProtocols(); }
    void TearDown() override { WriteSecureProtocols(saved_); }

    DWORD After(std::optional<DWORD> before) {
        WriteSecureProtocols(before);
        _InitHttpClient();
        return ReadSecureProtocols().value_or(0xDEAD);
    }

private:
    std::optional<DWORD> saved_;
};

TEST_F(InitHttpClient, AddsMissingTlsBitsWithoutSwitchingOnSsl) {
    EXPECT_EQ(After(std::nullopt), 0xA80u);
    EXPECT_EQ(After(0x0A0), 0xAA0u) << "SSL 3.0 stays as the user had it, SSL 2.0 stays off";
    EXPECT_EQ(After(0x800), 0xA80u);
}

TEST_F(InitHttpClient, LeavesACompleteValueAndForeignBitsAlone) {
    EXPECT_EQ(After(0xA80), 0xA80u);
    EXPECT_EQ(After(0x2A88), 0x2A88u);
}

TEST_F(InitHttpClient, RecordsTempFolderWithTrailingBackslash) {
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
