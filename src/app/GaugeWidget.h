#pragma once

// The older-look gauge: a bordered box filled in navy from the left to the percentage, the rest
// white, with "%d%%" centred over it. It redraws only when the whole percentage changes.

#include <QWidget>

namespace lh {

class GaugeWidget final : public QWidget {
    Q_OBJECT
public:
    explicit GaugeWidget(QWidget* parent = nullptr);

    // Sets the percentage (0..100); repaints at once when it changed.
    void SetPercent(int percent);
    int Percent() const noexcept { return m_percent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_percent = 0;
};

} // namespace lh
