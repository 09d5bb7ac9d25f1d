#pragma once

// The arithmetic of the progress strip: range, clamped position, percentage and layout. The
// widgets only draw what this says.

#include <cstdint>

namespace lh {

class ProgressModel {
public:
    // A maximum of 0 or less stands for 1000.
    void Start(std::int64_t max) noexcept;
    // Adds `amount`; the position stays within 0..maximum.
    void Step(std::int64_t amount) noexcept;

    std::int64_t Maximum() const noexcept { return m_max; }
    std::int64_t Position() const noexcept { return m_pos; }
    // 100 x position / maximum, truncated; 0 while there is no range.
    int Percent() const noexcept;

    // The same range in the int the toolkit's bar holds (scaled down beyond 2^31 - 1).
    int BarMaximum() const noexcept;
    int BarValue() const noexcept;

private:
    std::int64_t Scale() const noexcept;

    std::int64_t m_max = 0;
    std::int64_t m_pos = 0;
};

struct StripLayout {
    int barWidth = 0;
    int labelLeft = 0; // meaningful only with the label shown
};

// Bar and label against the window's client width: half for the bar when the label shows,
// otherwise the whole width inside the bar's left margin on both sides.
StripLayout LayoutStrip(int clientWidth, bool labelVisible, int barLeft);

} // namespace lh
