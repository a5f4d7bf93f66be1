#include "net/TransferFigures.h"

#include "sys/SysUtils.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct SpeedCase {
    double bytesPerSecond;
    const char* expected;
};

struct RemainCase {
    int64_t ms;
    const wchar_t* expected;
};

}  // namespace

TEST(TransferFigures, SpeedClimbsBinaryUnitsOnlyWhenStrictlyAbove1024) {
    const SpeedCase cases[] = {
        {-1, "--"},
        {std::numeric_limits<double>::quiet_NaN(), "--"},
        {0, "0.00B/s"},
        {-0.0, "0.00B/s"},
        {1000, "1000.00B/s"},
        {1024, "1024.00B/s"},
        {1025, "1.00KB/s"},
        {1536, "1.50KB/s"},
        {1048576, "1024.00KB/s"},
        {1048577, "1.00MB/s"},
        {123456789, "117.74MB/s"},
        {1024.0 * 1024 * 1024 * 1024 * 1024 * 2, "2.00PB/s"},
        {1024.0 * 1024 * 1024 * 1024 * 1024 * 4096, "4096.00PB/s"},
    };
    for (const SpeedCase& c : cases)
        EXPECT_EQ(FormatSpeed(c.bytesPerSecond), c.expected) << c.bytesPerSecond;
}

TEST(TransferFigures, AbsurdSpeedsStillFitTheNotificationField) {
    for (double x : {1e30, 1e300, std::numeric_limits<double>::infinity()}) {
        std::string text = FormatSpeed(x);
        EXPECT_LT(text.size(), 16u) << x;
        EXPECT_EQ(text.substr(text.size() - 4), "PB/s") << x;
    }
}

TEST(TransferFigures, RemainTimeShowsClockThenDaysThenCeiling) {
    const RemainCase cases[] = {
        {-1, L"--:--:--"},
        {std::numeric_limits<int64_t>::min(), L"--:--:--"},
        {0, L"00:00:00"},
        {999, L"00:00:00"},
        {61000, L"00:01:01"},
        {3723000, L"01:02:03"},
        {86399999, L"23:59:59"},
        {86400000, L"1天 "},
        {90000000, L"1天 "},
        {86400000LL * 999 + 86399999, L"999天 "},
        {86400000000LL, L"大于999天..."},
        {std::numeric_limits<int64_t>::max(), L"大于999天..."},
    };
    for (const RemainCase& c : cases) {
        std::string text = FormatRemainTime(c.ms);
        EXPECT_EQ(text, sys::ToGbk(c.expected)) << c.ms;
        EXPECT_LT(text.size(), 16u) << c.ms;
    }
}

TEST(TransferFigures, DayTextsAreGbkBytes) {
    EXPECT_EQ(FormatRemainTime(86400000), "1\xCC\xEC ");
}
