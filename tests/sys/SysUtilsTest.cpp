#include "sys/SysUtils.h"

#include <gtest/gtest.h>

// Through the English code page (1252) both texts would turn into question marks.
TEST(SysUtils, GbkIsCodePage936WhateverTheAnsiCodePage) {
    EXPECT_EQ(sys::ToGbk(L"下载"), "\xCF\xC2\xD4\xD8");
    EXPECT_EQ(sys::FromGbk("\xCF\xC2\xD4\xD8"), L"下载");
    EXPECT_EQ(sys::ToGbk(L"中文 a.exe"), "\xD6\xD0\xCE\xC4 a.exe");
    EXPECT_EQ(sys::FromGbk("\xD6\xD0\xCE\xC4 a.exe"), L"中文 a.exe");
}
