#include "AccessStampLayout.h"

#include <vector>

namespace lh {

namespace {

// Splits a stamp into its numbers and everything else. False for a number too long to be part
// of a time.
bool Split(std::string_view text, std::vector<int>& numbers, std::string& marks) {
    numbers.clear();
    marks.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            marks += text[i++];
            continue;
        }
        int value = 0;
        std::size_t digits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (++digits > 4)
                return false;
            value = value * 10 + (text[i] - '0');
        }
        numbers.push_back(value);
    }
    return true;
}

} // namespace

std::optional<AccessStampLayout> AccessStampLayout::Learn(std::string_view morning,
                                                          std::string_view afternoon) {
    std::vector<int> am;
    std::vector<int> pm;
    AccessStampLayout layout;
    if (!Split(morning, am, layout.m_morningMarks) ||
        !Split(afternoon, pm, layout.m_afternoonMarks) || am.size() != 6 || pm.size() != 6)
        return std::nullopt;
    const auto findOnce = [&pm](int a, int b) {
        int found = -1;
        for (int i = 0; i < 6; ++i) {
            if (pm[static_cast<std::size_t>(i)] == a || pm[static_cast<std::size_t>(i)] == b) {
                if (found >= 0)
                    return -1;
                found = i;
            }
        }
        return found;
    };
    const int positions[6] = {
        findOnce(kLearnYear, kLearnYear % 100), findOnce(kLearnMonth, kLearnMonth),
        findOnce(kLearnDay, kLearnDay),         findOnce(13, 1),
        findOnce(kLearnMinute, kLearnMinute),   findOnce(kLearnSecond, kLearnSecond)};
    for (int f = 0; f < 6; ++f) {
        if (positions[f] < 0)
            return std::nullopt;
        layout.m_position[static_cast<std::size_t>(f)] = positions[f];
    }
    const auto at = [&](const std::vector<int>& n, int field) {
        return n[static_cast<std::size_t>(layout.m_position[static_cast<std::size_t>(field)])];
    };
    layout.m_twoDigitYear = at(pm, 0) < 100;
    layout.m_twelveHour = at(pm, 3) == 1;
    // Without a mark telling morning from afternoon a twelve-hour stamp cannot be read back.
    if (at(am, 3) != 1 || (layout.m_twelveHour && layout.m_morningMarks == layout.m_afternoonMarks))
        return std::nullopt;
    return layout;
}

std::optional<AccessStampLayout::Fields> AccessStampLayout::Read(std::string_view stamp) const {
    std::vector<int> numbers;
    std::string marks;
    if (!Split(stamp, numbers, marks) || numbers.size() != 6)
        return std::nullopt;
    const bool afternoon = m_twelveHour && marks == m_afternoonMarks;
    if (marks != m_morningMarks && !afternoon)
        return std::nullopt;
    Fields fields{};
    for (std::size_t f = 0; f < 6; ++f)
        fields[f] = numbers[static_cast<std::size_t>(m_position[f])];
    if (m_twoDigitYear) {
        if (fields[0] > 99)
            return std::nullopt;
        fields[0] += fields[0] < 70 ? 2000 : 1900;
    }
    if (m_twelveHour) {
        if (fields[3] < 1 || fields[3] > 12)
            return std::nullopt;
        fields[3] = fields[3] % 12 + (afternoon ? 12 : 0);
    }
    return fields;
}

} // namespace lh
