#include "ProgressModel.h"

#include <algorithm>
#include <limits>

namespace lh {

namespace {
constexpr std::int64_t kDefaultMaximum = 1000;
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
// Far more looks than any screen has pixels, and small enough that the products below fit.
constexpr int kMaxDisplaySteps = 1 << 20;
} // namespace

void ProgressModel::Start(std::int64_t max) noexcept {
    m_max = max > 0 ? max : kDefaultMaximum;
    m_pos = 0;
    ShowingNow();
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

void ProgressModel::SetDisplaySteps(int steps) noexcept {
    m_steps = std::clamp(steps, 1, kMaxDisplaySteps);
}

std::int64_t ProgressModel::StepStart(std::int64_t k) const noexcept {
    // ceil(k * max / steps) without forming k * max, which overflows for huge files.
    const std::int64_t whole = m_max / m_steps;
    const std::int64_t rest = m_max % m_steps;
    return k * whole + (k * rest + m_steps - 1) / m_steps;
}

std::int64_t ProgressModel::DisplayStep() const noexcept {
    if (m_max <= 0)
        return 0;
    // An estimate in floating point, made exact against the integer step starts.
    auto k = static_cast<std::int64_t>(static_cast<long double>(m_pos) * m_steps /
                                       static_cast<long double>(m_max));
    k = std::clamp<std::int64_t>(k, 0, m_steps);
    while (k > 0 && StepStart(k) > m_pos)
        --k;
    while (k < m_steps && StepStart(k + 1) <= m_pos)
        ++k;
    return k;
}

void ProgressModel::ShowingNow() noexcept {
    const std::int64_t k = DisplayStep();
    m_bandLow = StepStart(k);
    // Past the last step nothing further can be shown: the band reaches beyond the maximum.
    m_bandHigh = k < m_steps ? StepStart(k + 1) : std::numeric_limits<std::int64_t>::max();
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
