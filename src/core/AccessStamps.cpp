#include "AccessStamps.h"

#include "BookmarkFile.h"

namespace lh {

AccessStamps::AccessStamps() : m_recent(kRecentDays) {}

std::string AccessStamps::FullText(std::time_t t) {
    return AccessTextFromTime(t);
}

// The date part of the day of `tm` written by the locale's pattern, learnt at the first
// day met; false when the locale's texts follow none.
bool AccessStamps::PatternDatePart(const std::tm& tm, std::string& datePart) {
    if (!m_patternTried) {
        m_patternTried = true;
        m_pattern = DatePartPattern::Learn(
            [this](int year, int month, int day) { return LocaleDatePart(year, month, day); });
    }
    return m_pattern && m_separatorKnown &&
           m_pattern->Append(datePart, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

// The locale's date part of a day, from its whole stamp of noon that day.
std::optional<std::string> AccessStamps::LocaleDatePart(int year, int month, int day) {
    std::tm noon{};
    noon.tm_year = year - 1900;
    noon.tm_mon = month - 1;
    noon.tm_mday = day;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const std::time_t t = std::mktime(&noon);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    const std::tm fields = m_clock.At(t);
    if (fields.tm_year != year - 1900 || fields.tm_mon != month - 1 || fields.tm_mday != day)
        return std::nullopt;
    std::string datePart;
    if (!Learn(AccessTextFromTime(t), fields, datePart))
        return std::nullopt;
    return datePart;
}

// Takes "<date> H<sep>MM<sep>SS" apart; false when the text has another shape.
bool AccessStamps::Learn(const std::string& full, const std::tm& tm, std::string& datePart) {
    const std::size_t space = full.rfind(' ');
    if (space == std::string::npos)
        return false;
    const std::size_t hourDigits = tm.tm_hour >= 10 ? 2 : 1;
    const std::size_t clock = full.size() - space - 1;
    if (clock < hourDigits + 4 || (clock - hourDigits - 4) % 2 != 0)
        return false;
    const std::string separator = full.substr(space + 1 + hourDigits, (clock - hourDigits - 4) / 2);
    if (separator.size() > kLongestSeparator)
        return false;
    if (!m_separatorKnown) {
        m_separator = separator;
        std::copy(separator.begin(), separator.end(), m_separatorRoom.begin());
        m_separatorKnown = true;
    }
    datePart = full.substr(0, space + 1);
    std::string rebuilt = datePart;
    AppendClock(rebuilt, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return separator == m_separator && rebuilt == full;
}

} // namespace lh
