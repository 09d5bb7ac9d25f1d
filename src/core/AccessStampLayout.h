#pragma once

// How the user's locale lays out an access stamp (short date and long time): which of its six
// numbers is the year, month, day, hour, minute and second, and whether the clock counts to
// twelve. Learnt from the stamps of two known times, so that stamps such as "11/22/2033 1:44:55
// PM" or "22.11.2033 13:44:55" are read back as the times they were written for.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

class AccessStampLayout {
public:
    // The fields of a time: year (full), month, day, hour (0-23), minute, second.
    using Fields = std::array<int, 6>;

    // The hour and minute of the two times whose stamps are learnt from; the date is
    // kLearnYear-kLearnMonth-kLearnDay, every number in them different.
    static constexpr int kLearnYear = 2033;
    static constexpr int kLearnMonth = 11;
    static constexpr int kLearnDay = 22;
    static constexpr int kLearnMinute = 44;
    static constexpr int kLearnSecond = 55;

    // `morning` is the stamp of 1:44:55 on the learning date, `afternoon` that of 13:44:55.
    // Empty when the stamps do not show each number once.
    static std::optional<AccessStampLayout> Learn(std::string_view morning,
                                                  std::string_view afternoon);

    // The fields of a stamp laid out like the learnt ones, its separators and clock marks
    // matching them exactly; empty for any other text. The values are not checked for range.
    std::optional<Fields> Read(std::string_view stamp) const;

private:
    std::array<int, 6> m_position{}; // index among the stamp's numbers, per field
    bool m_twoDigitYear = false;
    bool m_twelveHour = false;
    std::string m_morningMarks; // everything but the digits of each learnt stamp
    std::string m_afternoonMarks;
};

} // namespace lh
