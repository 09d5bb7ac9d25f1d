#pragma once

#include "DatePartPattern.h"
#include "LocalClock.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lh {

// The access text of many times, as AccessTextFromTime gives it, without asking the locale for
// every one: the date part of each day and the time separator are learnt from one full text,
// and only the clock digits are written for each time. A text that cannot be taken apart this
// way is asked for in full.
class AccessStamps {
public:
    AccessStamps();

    // The access text of `t`, valid until the next call. Bookmarks mostly come in order of time:
    // one next to the last one's falls in the same local day at the same offset, which a test of
    // the stretch they share tells; only its clock digits are then written, after the date part
    // already in place. In line: it is asked for every bookmark.
    [[gnu::always_inline]] std::string_view Text(std::time_t t) {
        const auto when = static_cast<std::int64_t>(t);
        if (!m_unusual && m_textDatePart && m_textDatePart == m_stretchDatePart &&
            when >= m_stretch.from && when < m_stretch.to) {
            const auto second = static_cast<int>(when - m_stretchMidnight);
            return PutText(second / 3600, second / 60 % 60, second % 60);
        }
        if (m_unusual && m_slowTime == t && !m_slow.empty())
            return m_slow;
        m_slow.clear();
        const Parts parts = PartsOf(t, m_slow);
        if (!parts.datePart) {
            m_slowTime = t;
            return m_slow;
        }
        // The date part stays in place for the times after it.
        if (m_textDatePart != parts.datePart) {
            const std::string& datePart = *parts.datePart;
            if (m_text.size() < datePart.size() + kClockRoom)
                m_text.resize(datePart.size() + kClockRoom);
            std::memcpy(m_text.data(), datePart.data(), datePart.size());
            m_textDatePart = parts.datePart;
        }
        return PutText(parts.hour, parts.minute, parts.second);
    }

    // Appends the access text of `t` to `out`. In the header: its one caller gains from having
    // it in line.
    [[gnu::always_inline]] void Append(std::string& out, std::time_t t) {
        const Parts parts = PartsOf(t, out);
        if (parts.datePart) {
            out += *parts.datePart;
            AppendClock(out, parts.hour, parts.minute, parts.second);
        }
    }

private:
    static constexpr std::int64_t kDaySeconds = 86400;
    static constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324"
                                          "25262728293031323334353637383940414243444546474849"
                                          "50515253545556575859606162636465666768697071727374"
                                          "75767778798081828384858687888990919293949596979899";
    // Longer separators make the stamp unusual: it is then asked for in full.
    static constexpr std::size_t kLongestSeparator = 16;
    // The room a clock text is put together in: the separators' rooms are copied whole.
    static constexpr std::size_t kClockRoom = 64;
    // Days remembered by number, each in the place its number picks: eleven years of them
    // without two meeting.
    static constexpr std::size_t kRecentDays = 4096;

    struct RecentDay {
        std::int64_t day = 0;
        const std::string* datePart = nullptr; // in m_datePart, whose entries stay put
    };

    // The text of a time taken apart: the date part of its local day (an entry of m_datePart)
    // and its clock.
    struct Parts {
        const std::string* datePart = nullptr;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    // The parts of `t`'s text; where the locale's text has another shape, no date part, and the
    // whole text appended to `full` instead.
    [[gnu::always_inline]] Parts PartsOf(std::time_t t, std::string& full) {
        if (m_unusual) {
            full += FullText(t);
            return {};
        }
        const auto when = static_cast<std::int64_t>(t);
        // A time in a span of steady offset finds the date part of its local day from before
        // by the day's number alone, without the calendar's arithmetic.
        const std::optional<LocalClock::Steady> steady = m_clock.SteadyAround(t);
        std::optional<std::int64_t> local;
        std::int64_t day = 0;
        if (steady) {
            local = when + steady->shift;
            day = LocalClock::FloorDiv(*local, kDaySeconds);
            const RecentDay& recent = m_recent[static_cast<std::size_t>(day) & (kRecentDays - 1)];
            if (recent.datePart && recent.day == day) {
                KeepStretch(*steady, day, recent.datePart);
                const auto second = static_cast<int>(*local - day * kDaySeconds);
                return {recent.datePart, second / 3600, second / 60 % 60, second % 60};
            }
        }
        const std::tm tm = m_clock.At(t);
        const int date = (tm.tm_year * 12 + tm.tm_mon) * 31 + tm.tm_mday;
        auto known = m_datePart.find(date);
        if (known == m_datePart.end()) {
            std::string datePart;
            if (!PatternDatePart(tm, datePart)) {
                std::string whole = FullText(t);
                if (!Learn(whole, tm, datePart)) {
                    m_unusual = true;
                    full += whole;
                    return {};
                }
            }
            known = m_datePart.emplace(date, std::move(datePart)).first;
        }
        if (local) {
            m_recent[static_cast<std::size_t>(day) & (kRecentDays - 1)] = {day, &known->second};
            KeepStretch(*steady, day, &known->second);
        }
        return {&known->second, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }

    // The part of a steady stretch that lies in local day `day`, whose date part is `datePart`.
    void KeepStretch(const LocalClock::Steady& steady, std::int64_t day,
                     const std::string* datePart) {
        m_stretchMidnight = day * kDaySeconds - steady.shift;
        m_stretch.from = std::max(steady.from, m_stretchMidnight);
        m_stretch.to = std::min(steady.to, m_stretchMidnight + kDaySeconds);
        m_stretchDatePart = datePart;
    }

    // The clock written after m_textDatePart in m_text: the whole text.
    std::string_view PutText(int hour, int minute, int second) {
        char* const start = m_text.data();
        const char* const end = PutClock(start + m_textDatePart->size(), hour, minute, second);
        return {start, static_cast<std::size_t>(end - start)};
    }

    void AppendClock(std::string& out, int hour, int minute, int second) const {
        char clock[kClockRoom];
        out.append(clock, static_cast<std::size_t>(PutClock(clock, hour, minute, second) - clock));
    }

    // "H<sep>MM<sep>SS", the hour without a leading zero, written at `w`, which has kClockRoom
    // bytes; returns its end.
    char* PutClock(char* w, int hour, int minute, int second) const {
        if (hour >= 10)
            *w++ = static_cast<char>('0' + hour / 10);
        *w++ = static_cast<char>('0' + hour % 10);
        // Learn keeps the separator within kLongestSeparator, so the clock fits its room.
        // The separator's room is copied whole, a fixed size that needs no call to copy; only
        // its length counts.
        const auto separate = [&] {
            std::memcpy(w, m_separatorRoom.data(), m_separatorRoom.size());
            w += m_separator.size();
        };
        // Minutes and seconds (a leap second's 60 too) as two digits from a table of pairs.
        const auto twoDigits = [&](int v) {
            std::memcpy(w, &kDigitPairs[2 * (static_cast<unsigned>(v) % 100)], 2);
            w += 2;
        };
        separate();
        twoDigits(minute);
        separate();
        twoDigits(second);
        return w;
    }

    // The date part of the day of `tm` written by the locale's pattern, learnt at the first
    // day met; false when the locale's texts follow none.
    bool PatternDatePart(const std::tm& tm, std::string& datePart);
    // The whole text, asked of the locale: out of line, as it is seldom wanted.
    static std::string FullText(std::time_t t);
    // The locale's date part of a day, from its whole stamp of noon that day.
    std::optional<std::string> LocaleDatePart(int year, int month, int day);
    // Takes "<date> H<sep>MM<sep>SS" apart; false when the text has another shape.
    bool Learn(const std::string& full, const std::tm& tm, std::string& datePart);

    std::unordered_map<int, std::string> m_datePart; // up to and with the blank before the clock
    std::vector<RecentDay> m_recent;                 // kRecentDays places
    std::string m_separator;                         // between hours, minutes and seconds
    std::array<char, kLongestSeparator> m_separatorRoom{}; // m_separator, then anything
    bool m_separatorKnown = false;
    bool m_unusual = false;
    std::optional<DatePartPattern> m_pattern;
    bool m_patternTried = false;
    LocalClock m_clock;
    // The last time's local day within its steady stretch (empty at first), the universal time
    // of that day's midnight and its date part (in m_datePart).
    LocalClock::Steady m_stretch;
    std::int64_t m_stretchMidnight = 0;
    const std::string* m_stretchDatePart = nullptr;
    // Text's answers: m_textDatePart (an entry of m_datePart) and then room for the clock; for
    // a locale whose text has another shape, m_slow, the whole text of m_slowTime.
    std::vector<char> m_text;
    const std::string* m_textDatePart = nullptr;
    std::string m_slow;
    std::time_t m_slowTime = 0;
};

} // namespace lh
