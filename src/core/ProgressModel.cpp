#include "ProgressModel.h"

#include <algorithm>
#include <limits>

namespace lh {

namespace {
constexpr std::int64_t kDefaultMaximum = 1000;
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
} // namespace

void ProgressModel::Start(std::int64_t max) noexcept {
    m_max = max > 0 ? max : kDefaultMaximum;
    m_pos = 0;
}

void ProgressModel::Step(std::int64_t amount) noexcept {
    // Saturating: neither a huge step nor a negative one may carry the position out of range.
    if (amount > 0)
        m_pos = amount >= m_max - m_pos ? m_max : m_pos + amount;
    else if (amount < 0)
        m_pos = amount <= -m_pos ? 0 : m_pos + amount;
}

int ProgressModel::Percent() const noexcept {
    if (m_max <= 0)
        return 0;
    if (m_pos <= std::numeric_limits<std::int64_t>::max() / 100)
        return static_cast<int>(m_pos * 100 / m_max);
    return static_cast<int>(static_cast<long double>(m_pos) * 100 /
                            static_cast<long double>(m_max));
}

std::int64_t ProgressModel::Scale() const noexcept {
    return m_max <= kIntMax ? 1 : (m_max + kIntMax - 1) / kIntMax;
}

int ProgressModel::BarMaximum() const noexcept {
    return static_cast<int>(m_max / Scale());
}

int ProgressModel::BarValue() const noexcept {
    return static_cast<int>(m_pos / Scale());
}

StripLayout LayoutStrip(int clientWidth, bool labelVisible, int barLeft) {
    StripLayout layout;
    if (labelVisible) {
        layout.barWidth = clientWidth / 2;
        layout.labelLeft = layout.barWidth + 8;
    } else {
        layout.barWidth = std::max(0, clientWidth - 2 * barLeft);
    }
    return layout;
}

} // namespace lh
