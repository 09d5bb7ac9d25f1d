#pragma once

// The older-look progress gauge: a single-line border, the done part filled from the left in
// navy, the rest white, and the whole-number percentage centred over it.

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace lh {

class Gauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)

public:
    explicit Gauge(QWidget* parent = nullptr);

    int MinValue() const { return m_min; }
    void SetMinValue(int value);
    int MaxValue() const { return m_max; }
    void SetMaxValue(int value);
    int Progress() const { return m_progress; }
    // Kept within MinValue..MaxValue.
    void SetProgress(int value);
    QColor ForeColor() const { return m_foreColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor& color);

    // 100 x (progress - min) / (max - min), truncated; 0 for an empty range.
    int PercentDone() const;
    static int PercentDone(std::int64_t min, std::int64_t max, std::int64_t progress);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetValues(int min, int max, int progress);

    int m_min = 0;
    int m_max = 100;
    int m_progress = 0;
    QColor m_foreColor{Qt::darkBlue};
    QColor m_backColor{Qt::white};
};

} // namespace lh
