#pragma once

// Progress of long scans as a bar on standard error, drawn only when that is a terminal, so
// pipes and files receive nothing but the result.

#include "core/UserInterface.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace lh::cli {

class TerminalProgress final : public ProgressSink {
public:
    // `enabled` false (standard error is no terminal) turns every call into nothing.
    explicit TerminalProgress(bool enabled);
    ~TerminalProgress() override;

    // True when standard error is a terminal.
    static bool StandardErrorIsTerminal();

    void ProgressStart(std::int64_t max, const std::string& label) override;
    void ProgressStep(std::int64_t amount) override;
    void ProgressEnd() override;

private:
    void Draw();
    void Erase();

    bool m_enabled;
    bool m_running = false;
    bool m_drawn = false;
    std::int64_t m_max = 1;
    std::int64_t m_position = 0;
    int m_lastPermille = -1;
    std::string m_label;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

} // namespace lh::cli
