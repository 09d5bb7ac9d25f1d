#include "platform/Locale.h"
#include "platform/linux/TimeFormatParts.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string_view>

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

// The name of the locale that governs times, by the usual precedence of the environment.
std::string_view TimeLocaleName() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"})
        if (const char* v = std::getenv(var); v && *v)
            return v;
    return "C";
}

// The C and POSIX locales are no one's choice of date format: they stand for "not set", and the
// program then keeps its own year-first form.
bool IsNeutralLocale(std::string_view name) {
    return name == "C" || name == "POSIX" || name.substr(0, 2) == "C.";
}

// A text of the locale in UTF-8: converted from the locale's own character set when that is
// another one; empty when it cannot be converted.
std::string LocaleText(const char* s, locale_t loc) {
    if (!s)
        return {};
    const char* codeset = ::nl_langinfo_l(CODESET, loc);
    if (!codeset || std::strcmp(codeset, "UTF-8") == 0 ||
        std::strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return s;
    iconv_t cd = ::iconv_open("UTF-8", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    char* src = const_cast<char*>(s);
    std::size_t srcLeft = std::strlen(s);
    char buf[256];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        const std::size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        const int err = errno;
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1) && err != E2BIG) {
            ok = false;
            break;
        }
    }
    ::iconv_close(cd);
    return ok ? out : std::string();
}

std::string LangInfo(nl_item item) {
    locale_t loc = UserLocale();
    return loc ? LocaleText(::nl_langinfo_l(item, loc), loc) : std::string();
}

} // namespace

bool UserInterfaceIsJapanese() {
    return false;
}

LocaleFormats CurrentLocaleFormats() {
    LocaleFormats f;
    if (const std::string th = LangInfo(THOUSEP); !th.empty())
        f.thousandsSeparator = th;
    if (const std::string dec = LangInfo(RADIXCHAR); !dec.empty())
        f.decimalSeparator = dec;
    f.dateSeparator = FieldSeparator(LangInfo(D_FMT), f.dateSeparator);
    f.timeSeparator = FieldSeparator(LangInfo(T_FMT), f.timeSeparator);
    return f;
}

std::string WeekdayAbbreviation(int weekday) {
    static const nl_item items[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static const char* fallback[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    if (weekday < 0 || weekday > 6)
        return {};
    const std::string s = LangInfo(items[weekday]);
    return s.empty() ? fallback[weekday] : s;
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return tm;
}

std::string ShortDateLongTime(std::time_t t) {
    const std::tm tm = LocalTime(t);
    const LocaleFormats f = CurrentLocaleFormats();
    const DateOrder order = IsNeutralLocale(TimeLocaleName()) ? DateOrder::YearMonthDay
                                                              : DateFieldOrder(LangInfo(D_FMT));
    char year[16], month[16], day[16], time[64];
    std::snprintf(year, sizeof year, "%04d", tm.tm_year + 1900);
    std::snprintf(month, sizeof month, "%02d", tm.tm_mon + 1);
    std::snprintf(day, sizeof day, "%02d", tm.tm_mday);
    std::snprintf(time, sizeof time, "%d%s%02d%s%02d", tm.tm_hour, f.timeSeparator.c_str(),
                  tm.tm_min, f.timeSeparator.c_str(), tm.tm_sec);
    const std::string& sep = f.dateSeparator;
    std::string date;
    switch (order) {
    case DateOrder::DayMonthYear:
        date = std::string(day) + sep + month + sep + year;
        break;
    case DateOrder::MonthDayYear:
        date = std::string(month) + sep + day + sep + year;
        break;
    case DateOrder::YearMonthDay:
        date = std::string(year) + sep + month + sep + day;
        break;
    }
    return date + ' ' + time;
}

} // namespace lh::platform
