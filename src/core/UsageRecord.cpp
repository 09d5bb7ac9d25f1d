#include "UsageRecord.h"

#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "util/SettingKeys.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lh {

namespace {
constexpr double kUnixEpochDays = 25569.0; // 1970-01-01 in days since 1899-12-30
constexpr double kSecondsPerDay = 86400.0;

// Local wall-clock time as a day count, so the text and the arithmetic agree.
DayTime LocalNow() {
    const std::time_t t = std::time(nullptr);
    return ToDayTime(t);
}
} // namespace

DayTime ToDayTime(std::time_t t) {
    // The local calendar date and time as a day count; the calendar arithmetic is the standard
    // library's, so no platform call is needed beyond the local time itself.
    using namespace std::chrono;
    const std::tm tm = platform::LocalTime(t);
    const sys_days day{year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                       std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
    const double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec;
    return kUnixEpochDays + static_cast<double>(day.time_since_epoch().count()) +
           seconds / kSecondsPerDay;
}

std::time_t FromDayTime(DayTime d) {
    using namespace std::chrono;
    const long long total = std::llround((d - kUnixEpochDays) * kSecondsPerDay);
    long long days = total / 86400;
    long long rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    std::tm tm{};
    tm.tm_year = static_cast<int>(ymd.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    tm.tm_hour = static_cast<int>(rest / 3600);
    tm.tm_min = static_cast<int>(rest / 60 % 60);
    tm.tm_sec = static_cast<int>(rest % 60);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string DateTimeText(DayTime d) {
    const std::string text = platform::ShortDateLongTime(FromDayTime(d));
    const double fraction = d - std::floor(d);
    const auto seconds = std::llround(fraction * kSecondsPerDay);
    if (seconds == 0 || seconds == static_cast<long long>(kSecondsPerDay)) {
        const auto blank = text.find(' ');
        if (blank != std::string::npos)
            return text.substr(0, blank);
    }
    return text;
}

std::string GeneralNumberFormat(double value, std::string_view decimalSeparator) {
    if (!std::isfinite(value))
        return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    if (value == 0)
        return "0";
    char buf[64];
    // 15 significant digits: one before the point and 14 after in scientific form.
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative)
        s.erase(0, 1);
    const auto ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (s[i] != '.')
            digits += s[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                out += digits;
                out.append(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits);
                out += decimalSeparator;
                out += digits.substr(intDigits);
            }
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
        out += decimalSeparator;
        out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

bool ParseGeneralNumber(std::string_view text, double& out, std::string_view decimalSeparator) {
    std::string s;
    const auto pos =
        decimalSeparator.empty() ? std::string_view::npos : text.find(decimalSeparator);
    if (pos != std::string_view::npos) {
        s.append(text.substr(0, pos));
        s.push_back('.');
        s.append(text.substr(pos + decimalSeparator.size()));
    } else {
        s.append(text);
    }
    if (s.empty())
        return false;
    double v = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

UsageRecord::UsageRecord(SettingsStore& settings, Clock clock)
    : m_settings(settings), m_clock(std::move(clock)) {}

DayTime UsageRecord::Now() const {
    return m_clock ? m_clock() : LocalNow();
}

void UsageRecord::RecordStart() {
    const std::string sep = platform::CurrentLocaleFormats().decimalSeparator;
    const DayTime now = Now();
    if (m_settings.HoldsAnySection()) {
        double n = 1;
        // A value that does not parse counts as missing, so the count goes on from 1.
        if (!ParseGeneralNumber(keys::kNumber.Read(m_settings), n, sep))
            n = 1;
        keys::kNumber.Write(m_settings, GeneralNumberFormat(n + 1, sep));
    } else {
        keys::kNumber.Write(m_settings, "1");
        keys::kInstDay.Write(m_settings, DateTimeText(now));
    }
    keys::kVersion.Write(m_settings, keys::kToolVersion);
    keys::kExeName.Write(m_settings, platform::ProgramPath());
    m_startTime = now;
}

void UsageRecord::RecordExit() {
    const std::string sep = platform::CurrentLocaleFormats().decimalSeparator;
    const DayTime now = Now();
    // An instance that never recorded its start has no running time to add; counting from day 0
    // would add more than a century of hours.
    double hours = m_startTime > 0 ? (now - m_startTime) * 24 : 0;
    if (hours < 0)
        hours = 0;
    double total = 0;
    if (!ParseGeneralNumber(keys::kAllTime.Read(m_settings), total, sep))
        total = 0;
    keys::kAllTime.Write(m_settings, GeneralNumberFormat(total + hours, sep));
    keys::kLastEndDay.Write(m_settings, DateTimeText(now));
    if (m_startTime > 0)
        keys::kLastStartDay.Write(m_settings, DateTimeText(m_startTime));
}

} // namespace lh
