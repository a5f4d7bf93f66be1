#include "net/TransferFigures.h"

#include "sys/SysUtils.h"

#include <cstdio>

namespace {

const char* const kSpeedUnits[] = {"B", "KB", "MB", "GB", "TB", "PB"};
const double kUnitStep = 1024.0;

// Petabytes are the last unit, so a rate beyond them would print as a long run of digits; the
// notification's text field holds 16 bytes, hence the ceiling.
const double kLargestShownPetabytes = 99999.99;

}  // namespace

std::string FormatSpeed(double bytesPerSecond) {
    if (!(bytesPerSecond >= 0))
        return "--";
    double value = bytesPerSecond + 0.0;  // turns -0.0 into 0.0, which would print as "-0.00"
    size_t unit = 0;
    while (unit + 1 < sizeof(kSpeedUnits) / sizeof(kSpeedUnits[0]) && value > kUnitStep) {
        value /= kUnitStep;
        ++unit;
    }
    if (value > kLargestShownPetabytes)
        value = kLargestShownPetabytes;
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f%s/s", value, kSpeedUnits[unit]);
    return text;
}

std::string FormatRemainTime(int64_t ms) {
    if (ms < 0)
        return "--:--:--";
    int64_t s = ms / 1000;
    const int seconds = static_cast<int>(s % 60);
    s /= 60;
    const int minutes = static_cast<int>(s % 60);
    s /= 60;
    const int hours = static_cast<int>(s % 24);
    const int64_t days = s / 24;
    if (days > 999)
        return sys::ToGbk(L"大于999天...");
    if (days > 0)
        return std::to_string(days) + sys::ToGbk(L"天 ");
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", hours, minutes, seconds);
    return text;
}
