#include "app/f_GlobalVar.h"

#include "sys/SysUtils.h"

#include <gtest/gtest.h>

TEST(GlobalVar, LoggerExistsOnlyBetweenCreateAndFreeAndLogsNextToTheExe) {
    EXPECT_EQ(g_Logger, nullptr) << "nothing may be created before the entry point asks";
    CreateGlobals();
    ASSERT_NE(g_Logger, nullptr);
    TLogger* first = g_Logger;
    CreateGlobals();
    EXPECT_EQ(g_Logger, first);
    EXPECT_EQ(g_Logger->LogDir(), sys::ExtractFilePath(sys::ExeFileName()) + L"Tallyvo\\Log\\");
    EXPECT_TRUE(sys::DirectoryExists(g_Logger->LogDir()));
    FreeGlobals();
    EXPECT_EQ(g_Logger, nullptr);
    FreeGlobals();
}
