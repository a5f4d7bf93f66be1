#pragma once
// The short texts of a running transfer that every progress notification carries. Both results
// are GBK byte strings and stay within the notification's 16-byte text fields for any figure a
// real transfer can produce.
#include <cstdint>
#include <string>

// Rate in binary units, two decimals: "117.74MB/s"; "--" for a negative or undefined rate.
std::string FormatSpeed(double bytesPerSecond);

// "hh:mm:ss" below a day, "<days>天 " from one day on, "大于999天..." past 999 days;
// "--:--:--" for a negative figure (the download's "cannot estimate").
std::string FormatRemainTime(int64_t ms);
