#include "GaugeBar.h"

#include "controls/Gauge.h"

#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <algorithm>

namespace lh {

namespace {
constexpr int kBarLeft = 0;
constexpr int kBarTop = 2;
constexpr int kBarHeight = 17;
constexpr int kGaugeDesignWidth = 177;
constexpr int kLabelDesignLeft = 184;
constexpr int kLabelTop = 4;
constexpr int kPercentSteps = 100;

// Lays out pending geometry now: without the event loop a shown or hidden widget would keep
// its old place until the pass ends.
void ActivateLayouts(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (QLayout* layout = w->layout())
            layout->activate();
}
} // namespace

GaugeBar::GaugeBar(QWidget* parent, QWidget* statusBar, std::function<int()> clientWidth,
                   std::function<bool()> statusWanted)
    : QWidget(parent), m_statusBar(statusBar), m_clientWidth(std::move(clientWidth)),
      m_statusWanted(std::move(statusWanted)), m_systemBar(new QProgressBar(this)),
      m_blockGauge(new Gauge(this)), m_label(new QLabel(this)) {
    setObjectName(QStringLiteral("GaugeBar"));
    setFixedHeight(kHeight);

    m_systemBar->setObjectName(QStringLiteral("systemBar"));
    m_systemBar->setRange(0, 100);
    m_systemBar->setTextVisible(false);
    m_systemBar->setGeometry(kBarLeft, kBarTop, kGaugeDesignWidth, kBarHeight);

    // The drawn gauge counts in whole percent: that is all it shows, and it redraws only when
    // the percentage changes.
    m_blockGauge->setObjectName(QStringLiteral("blockGauge"));
    m_blockGauge->SetMaxValue(100);
    m_blockGauge->setGeometry(kBarLeft, kBarTop, kGaugeDesignWidth, kBarHeight);
    m_blockGauge->hide();

    m_label->setObjectName(QStringLiteral("progressLabel"));
    m_label->move(kLabelDesignLeft, kLabelTop);
    m_label->setAttribute(Qt::WA_TranslucentBackground);

    hide();
}

void GaugeBar::SetInfoVisible(bool on) {
    m_labelShown = on;
    m_label->setVisible(on);
}

void GaugeBar::SetNewGauge(bool on) {
    m_newGauge = on;
    m_systemBar->setVisible(on);
    m_blockGauge->setVisible(!on);
}

void GaugeBar::ProgressStart(std::int64_t max, const std::string& label) {
    if (!m_gaugeVisible)
        return;
    m_model.Start(max);

    const StripLayout layout = LayoutStrip(m_clientWidth(), m_labelShown, kBarLeft);
    m_systemBar->resize(layout.barWidth, kBarHeight);
    if (m_labelShown) {
        m_label->move(layout.labelLeft, kLabelTop);
        m_label->setText(QString::fromStdString(label));
        m_label->adjustSize();
    }
    m_blockGauge->resize(m_systemBar->width(), kBarHeight);

    // The drawn gauge shows whole percents; the platform's bar moves by pixels, but redrawing
    // it more often than by whole percents shows nothing worth the time.
    m_model.SetDisplaySteps(m_newGauge ? std::min(m_systemBar->width(), kPercentSteps)
                                       : kPercentSteps);
    m_model.ShowingNow();
    if (m_newGauge) {
        m_systemBar->setRange(0, m_model.BarMaximum());
        m_systemBar->setValue(0);
    }
    m_blockGauge->SetProgress(0);

    m_statusBar->hide();
    show();
    ActivateLayouts(this);
    RepaintNow();
}

void GaugeBar::ProgressStep(std::int64_t amount) {
    if (isHidden())
        return;
    m_model.Step(amount);
    // Steps come once per line: most of them change nothing on the screen, and touching the
    // widgets for them (value, text, style, events) would cost more than reading the line.
    if (!m_model.DisplayBehind())
        return;
    m_model.ShowingNow();
    if (m_newGauge)
        m_systemBar->setValue(m_model.BarValue());
    else
        m_blockGauge->SetProgress(m_model.Percent());
    // Each step that changes what the strip shows is on the screen before the pass goes on.
    RepaintNow();
}

void GaugeBar::ProgressEnd() {
    if (isHidden())
        return;
    hide();
    if (m_statusWanted())
        m_statusBar->show();
    ActivateLayouts(m_statusBar);
}

void GaugeBar::RepaintNow() {
    if (isVisible())
        repaint();
}

} // namespace lh
