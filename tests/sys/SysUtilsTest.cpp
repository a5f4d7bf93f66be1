#include "sys/SysUtils.h"

#include <gtest/gtest.h>

TEST(SysUtils, AnsiCodePageIs936SoGbkRoundTrips) {
    EXPECT_EQ(GetACP(), 936u);
    std::string gbk = sys::ToGbk(L"下载");
    EXPECT_EQ(gbk, "\xCF\xC2\xD4\xD8");
    EXPECT_EQ(sys::FromGbk(gbk), L"下载");
}
