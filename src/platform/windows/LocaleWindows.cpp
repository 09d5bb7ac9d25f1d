#include "platform/Locale.h"
#include "platform/WideText.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cstdio>
#include <string>
#include <windows.h>

namespace lh::platform {

namespace {

// One locale value; empty when the system has none. Asked in UTF-16 and given as UTF-8, the form
// every caller of this module expects, whatever the system code page.
std::string LocaleValue(LCTYPE type) {
    wchar_t buf[128];
    const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 128);
    // n counts the terminating NUL.
    return n > 1 ? WideToUtf8(std::wstring_view(buf, static_cast<std::size_t>(n - 1)))
                 : std::string();
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

bool UserInterfaceIsJapanese() {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

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
    wchar_t date[128];
    wchar_t time[128];
    const int dn = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
    const int tn = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128);
    if (dn <= 1 || tn <= 1) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                      st.wHour, st.wMinute, st.wSecond);
        return buf;
    }
    return WideToUtf8(std::wstring_view(date, static_cast<std::size_t>(dn - 1))) + ' ' +
           WideToUtf8(std::wstring_view(time, static_cast<std::size_t>(tn - 1)));
}

} // namespace lh::platform
