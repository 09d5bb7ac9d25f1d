#pragma once

// A label whose caption blinks: shown for one BlinkRate period, hidden for the next. The caption
// is drawn on one line, with an optional shadow copy underneath (TextShadow).

#include "controls/TextShadow.h"

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace lh {

class BlinkLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(unsigned BlinkRate READ BlinkRate WRITE SetBlinkRate)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(lh::TextShadow* Shadow READ Shadow CONSTANT)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    static constexpr unsigned kDefaultBlinkRate = 500;
    static constexpr unsigned kMinimumBlinkRate = 100;

    explicit BlinkLabel(QWidget* parent = nullptr);
    explicit BlinkLabel(const QString& caption, QWidget* parent = nullptr);

    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    unsigned BlinkRate() const { return m_blinkRate; }
    // 0 keeps the caption shown; 1 to 99 would only flicker, so they become 100.
    void SetBlinkRate(unsigned rate);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    // Background; the palette's window colour until set.
    QColor Color() const;
    void SetColor(const QColor& color);
    // Text colour; the palette's window-text colour until set.
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
    TextShadow* Shadow() const { return m_shadow; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);

    // Whether the caption is in its shown phase.
    bool IsTextShown() const { return m_textShown; }
    bool IsBlinkTimerRunning() const { return m_timer.isActive(); }
    // One blink step; the label's own timer calls it, owners may too.
    void TimerTick();

    // Left edge of the text for a caption of textWidth in a label of labelWidth.
    static int TextLeft(Qt::Alignment alignment, int labelWidth, int textWidth,
                        const TextShadow& shadow);
    static int TextTop(const TextShadow& shadow);

    QSize sizeHint() const override;

signals:
    void OnClick();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FitToText();

    TextShadow* m_shadow;
    QTimer m_timer;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSize = true;
    unsigned m_blinkRate = kDefaultBlinkRate;
    QString m_caption;
    QColor m_color;
    QColor m_fontColor;
    bool m_transparent = false;
    bool m_textShown = true;
};

} // namespace lh
