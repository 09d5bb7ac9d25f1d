#pragma once

// The progress strip that takes the status bar's place during long passes: the
// platform's progress bar (newer look) or the drawn gauge (older look), and its label.

#include "core/ProgressModel.h"
#include "core/UserInterface.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;

namespace lh {

class Gauge;

class GaugeBar final : public QWidget, public ProgressSink {
    Q_OBJECT
public:
    static constexpr int kHeight = 19;

    // `clientWidth` gives the window's client width at each start; `statusBar` is the widget
    // the strip replaces; `statusWanted` says whether it should come back afterwards.
    GaugeBar(QWidget* parent, QWidget* statusBar, std::function<int()> clientWidth,
             std::function<bool()> statusWanted);

    // The switches of the status-bar settings; they take effect at the next start.
    void SetGaugeVisible(bool on) noexcept { m_gaugeVisible = on; }
    bool GaugeVisible() const noexcept { return m_gaugeVisible; }
    void SetInfoVisible(bool on);
    void SetNewGauge(bool on);

    void ProgressStart(std::int64_t max, const std::string& label) override;
    void ProgressStep(std::int64_t amount) override;
    void ProgressEnd() override;

    QProgressBar* SystemBar() const noexcept { return m_systemBar; }
    Gauge* BlockGauge() const noexcept { return m_blockGauge; }
    QLabel* ProgressLabel() const noexcept { return m_label; }
    const ProgressModel& Model() const noexcept { return m_model; }

private:
    void RepaintNow();

    QWidget* m_statusBar;
    std::function<int()> m_clientWidth;
    std::function<bool()> m_statusWanted;
    QProgressBar* m_systemBar;
    Gauge* m_blockGauge;
    QLabel* m_label;
    ProgressModel m_model;
    bool m_gaugeVisible = true;
    bool m_labelShown = true; // the label's switch; isVisible() is false while the strip hides
    bool m_newGauge = true;
};

} // namespace lh
