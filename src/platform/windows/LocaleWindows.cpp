#include "platform/Locale.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cstdio>
#include <string>
#include <windows.h>

namespace lh::platform {

namespace {

// ANSI text of the user's locale as UTF-8, the form every caller of this module expects.
std::string AnsiToUtf8(const char* s, int len) {
    if (len <= 0)
        return {};
    const int wn = ::MultiByteToWideChar(CP_ACP, 0, s, len, nullptr, 0);
    if (wn <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(wn), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s, len, wide.data(), wn);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, out.data(), n, nullptr, nullptr);
    return out;
}

// One locale value; empty when the system has none.
std::string LocaleValue(LCTYPE type) {
    char buf[128];
    const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, static_cast<int>(sizeof buf));
    // n counts the terminating NUL.
    return n > 1 ? AnsiToUtf8(buf, n - 1) : std::string();
}

SYSTEMTIME ToSystemTime(const std::tm& tm) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    return st;
}

} // namespace

LocaleFormats CurrentLocaleFormats() {
    LocaleFormats f;
    if (std::string v = LocaleValue(LOCALE_STHOUSAND); !v.empty())
        f.thousandsSeparator = v;
    if (std::string v = LocaleValue(LOCALE_SDECIMAL); !v.empty())
        f.decimalSeparator = v;
    if (std::string v = LocaleValue(LOCALE_SDATE); !v.empty())
        f.dateSeparator = v;
    if (std::string v = LocaleValue(LOCALE_STIME); !v.empty())
        f.timeSeparator = v;
    return f;
}

std::string WeekdayAbbreviation(int weekday) {
    // The system numbers the days from Monday (1) to Sunday (7).
    static const LCTYPE items[7] = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1,
                                    LOCALE_SABBREVDAYNAME2, LOCALE_SABBREVDAYNAME3,
                                    LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                                    LOCALE_SABBREVDAYNAME6};
    static const char* fallback[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    if (weekday < 0 || weekday > 6)
        return {};
    const std::string s = LocaleValue(items[weekday]);
    return s.empty() ? fallback[weekday] : s;
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    ::localtime_s(&tm, &t);
    return tm;
}

std::string ShortDateLongTime(std::time_t t) {
    const SYSTEMTIME st = ToSystemTime(LocalTime(t));
    char date[128];
    char time[128];
    const int dn = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date,
                                    static_cast<int>(sizeof date));
    const int tn =
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, static_cast<int>(sizeof time));
    if (dn <= 1 || tn <= 1) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                      st.wHour, st.wMinute, st.wSecond);
        return buf;
    }
    return AnsiToUtf8(date, dn - 1) + ' ' + AnsiToUtf8(time, tn - 1);
}

} // namespace lh::platform
