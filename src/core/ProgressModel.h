#pragma once

// The arithmetic of the progress strip: range, clamped position, percentage and layout. The
// widgets only draw what this says.

#include <cstdint>

namespace lh {

class ProgressModel {
public:
    // A maximum of 0 or less stands for 1000. The display counts as showing position 0.
    void Start(std::int64_t max) noexcept;
    // Adds `amount`; the position stays within 0..maximum.
    void Step(std::int64_t amount) noexcept {
        // Saturating: neither a huge step nor a negative one may carry the position out of range.
        if (amount > 0)
            m_pos = amount >= m_max - m_pos ? m_max : m_pos + amount;
        else if (amount < 0)
            m_pos = amount <= -m_pos ? 0 : m_pos + amount;
    }

    std::int64_t Maximum() const noexcept { return m_max; }
    std::int64_t Position() const noexcept { return m_pos; }
    // 100 x position / maximum, truncated; 0 while there is no range.
    int Percent() const noexcept;

    // The same range in the int the toolkit's bar holds (scaled down beyond 2^31 - 1).
    int BarMaximum() const noexcept;
    int BarValue() const noexcept;

    // How many looks the display tells apart over the whole range (whole percents, pixels of
    // the bar); at least 1. Takes effect at the next ShowingNow().
    void SetDisplaySteps(int steps) noexcept;
    // A pass steps once per line, hundreds of thousands of times; drawing is only worth it when
    // the position has left the band of positions that all look like the one drawn last.
    bool DisplayBehind() const noexcept { return m_pos < m_bandLow || m_pos >= m_bandHigh; }
    // The display now shows the current position.
    void ShowingNow() noexcept;
    // The display step the current position falls in: 0..DisplaySteps().
    std::int64_t DisplayStep() const noexcept;
    int DisplaySteps() const noexcept { return m_steps; }

private:
    std::int64_t Scale() const noexcept;
    // First position of display step k.
    std::int64_t StepStart(std::int64_t k) const noexcept;

    std::int64_t m_max = 0;
    std::int64_t m_pos = 0;
    int m_steps = 100;
    std::int64_t m_bandLow = 0;
    std::int64_t m_bandHigh = 0;
};

struct StripLayout {
    int barWidth = 0;
    int labelLeft = 0; // meaningful only with the label shown
};

// Bar and label against the window's client width: half for the bar when the label shows,
// otherwise the whole width inside the bar's left margin on both sides.
StripLayout LayoutStrip(int clientWidth, bool labelVisible, int barLeft);

} // namespace lh
