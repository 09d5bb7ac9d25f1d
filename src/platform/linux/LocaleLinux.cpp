#include "platform/Locale.h"

#include <clocale>
#include <cstdio>
#include <langinfo.h>
#include <locale.h>

namespace lh::platform {

namespace {
// The user's locale from the environment, independent of what the process has set globally.
locale_t UserLocale() {
    static locale_t loc = [] {
        locale_t l = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (!l)
            l = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}
} // namespace

LocaleFormats CurrentLocaleFormats() {
    LocaleFormats f;
    locale_t loc = UserLocale();
    if (!loc)
        return f;
    const char* th = ::nl_langinfo_l(THOUSEP, loc);
    f.thousandsSeparator = (th && *th) ? th : ",";
    const char* dec = ::nl_langinfo_l(RADIXCHAR, loc);
    f.decimalSeparator = (dec && *dec) ? dec : ".";
    return f;
}

std::string WeekdayAbbreviation(int weekday) {
    static const int items[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static const char* fallback[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    if (weekday < 0 || weekday > 6)
        return {};
    locale_t loc = UserLocale();
    const char* s = loc ? ::nl_langinfo_l(items[weekday], loc) : nullptr;
    return (s && *s) ? s : fallback[weekday];
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return tm;
}

std::string ShortDateLongTime(std::time_t t) {
    const std::tm tm = LocalTime(t);
    const LocaleFormats f = CurrentLocaleFormats();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%s%02d%s%02d %d%s%02d%s%02d", tm.tm_year + 1900,
                  f.dateSeparator.c_str(), tm.tm_mon + 1, f.dateSeparator.c_str(), tm.tm_mday,
                  tm.tm_hour, f.timeSeparator.c_str(), tm.tm_min, f.timeSeparator.c_str(),
                  tm.tm_sec);
    return buf;
}

} // namespace lh::platform
