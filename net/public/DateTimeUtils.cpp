#include "net/public/DateTimeUtils.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "sys/SysUtils.h"

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kUnixDaysOfZeroDate = -25569;  // 1899-12-30 counted from 1970-01-01

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil calendar algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
    const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kUnixDaysOfZeroDate;
    const int64_t ms = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000LL + st.wMilliseconds;
    return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
    const int64_t totalMs = std::llround(value * kMsPerDay);
    const int64_t days = FloorDiv(totalMs, kMsPerDay);
    int64_t ms = totalMs - days * kMsPerDay;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days + kUnixDaysOfZeroDate, year, month, day);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wDayOfWeek = static_cast<WORD>((days % 7 + 7 + 6) % 7);  // 1899-12-30 was a Saturday
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    ms /= 1000;
    st.wSecond = static_cast<WORD>(ms % 60);
    ms /= 60;
    st.wMinute = static_cast<WORD>(ms % 60);
    st.wHour = static_cast<WORD>(ms / 60);
    return st;
}

std::wstring FormatDateTime(TDateTime value) {
    const SYSTEMTIME st = DateTimeToSystemTime(value);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond);
    return text;
}

std::wstring FormatHttpDate(TDateTime value) {
    static const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const SYSTEMTIME st = DateTimeToSystemTime(value);
    wchar_t text[40];
    swprintf(text, 40, L"%ls, %02u %ls %04u %02u:%02u:%02u GMT", kDays[st.wDayOfWeek % 7], st.wDay,
             kMonths[(st.wMonth + 11) % 12], st.wYear, st.wHour, st.wMinute, st.wSecond);
    return text;
}

TDateTime FileWriteDateTime(const std::wstring& path) {
    SYSTEMTIME utc;
    return sys::FileWriteTime(path, utc) ? SystemTimeToDateTime(utc) : 0;
}
