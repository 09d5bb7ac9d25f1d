#include "TerminalProgress.h"

#include "platform/Console.h"

#include <algorithm>
#include <cstdio>

namespace lh::cli {

namespace {
// Short scans finish before a bar would be worth seeing.
constexpr auto kShowAfter = std::chrono::milliseconds(300);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;
constexpr std::size_t kLabelBytes = 60;
} // namespace

TerminalProgress::TerminalProgress(bool enabled) : m_enabled(enabled) {}

TerminalProgress::~TerminalProgress() {
    Erase();
}

bool TerminalProgress::StandardErrorIsTerminal() {
    return platform::IsTerminal(stderr);
}

void TerminalProgress::ProgressStart(std::int64_t max, const std::string& label) {
    if (!m_enabled)
        return;
    Erase();
    m_running = true;
    m_max = max > 0 ? max : 1000;
    m_position = 0;
    m_lastPermille = -1;
    // Cut the label at a UTF-8 character start so the line stays on one row.
    m_label = label;
    if (m_label.size() > kLabelBytes) {
        std::size_t cut = kLabelBytes;
        while (cut > 0 && (static_cast<unsigned char>(m_label[cut]) & 0xC0) == 0x80)
            --cut;
        m_label = m_label.substr(0, cut) + "...";
    }
    m_start = m_lastDraw = std::chrono::steady_clock::now();
}

void TerminalProgress::ProgressStep(std::int64_t amount) {
    if (!m_running)
        return;
    m_position = std::clamp<std::int64_t>(m_position + amount, 0, m_max);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_start < kShowAfter || (m_drawn && now - m_lastDraw < kRedrawEvery))
        return;
    m_lastDraw = now;
    Draw();
}

void TerminalProgress::ProgressEnd() {
    if (!m_running)
        return;
    if (m_drawn) {
        m_position = m_max; // a drawn bar ends full before it goes
        m_lastPermille = -1;
        Draw();
    }
    Erase();
    m_running = false;
}

void TerminalProgress::Draw() {
    const int permille = static_cast<int>(m_position * 1000 / m_max);
    if (permille == m_lastPermille)
        return;
    m_lastPermille = permille;
    const int filled = permille * kBarWidth / 1000;
    char percent[32];
    std::snprintf(percent, sizeof percent, "] %3d.%d%%", permille / 10, permille % 10);
    platform::WriteText(stderr, "\r" + m_label + " [" + std::string(filled, '#') +
                                    std::string(kBarWidth - filled, '.') + percent);
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::Erase() {
    if (!m_drawn)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}

} // namespace lh::cli
