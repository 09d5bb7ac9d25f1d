#pragma once

// A label whose caption crosses it in Steps steps of Speed ms each, one pass per Start. At rest
// only the background shows. Frames are drawn off-screen and copied in one go, so nothing
// flickers.

#include "controls/TextShadow.h"

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace lh {

class MarqueeLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(ScrollDirection Direction READ Direction WRITE SetDirection)
    Q_PROPERTY(lh::TextShadow* Shadow READ Shadow CONSTANT)
    Q_PROPERTY(int Speed READ Speed WRITE SetSpeed)
    Q_PROPERTY(int Steps READ Steps WRITE SetSteps)

public:
    enum ScrollDirection { RightToLeft = 0, LeftToRight = 1 };
    Q_ENUM(ScrollDirection)

    static constexpr int kDefaultSpeed = 100;
    static constexpr int kMinimumSpeed = 1;
    static constexpr int kMaximumSpeed = 1000;
    static constexpr int kDefaultSteps = 50;

    explicit MarqueeLabel(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    QColor Color() const;
    void SetColor(const QColor& color);
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
    ScrollDirection Direction() const { return m_direction; }
    void SetDirection(ScrollDirection direction);
    TextShadow* Shadow() const { return m_shadow; }
    int Speed() const { return m_speed; }
    // Milliseconds per step, kept within 1 to 1000.
    void SetSpeed(int speed);
    int Steps() const { return m_steps; }
    // Steps per pass, at least 1.
    void SetSteps(int steps);

    // Starts a pass at firstStep (0 when outside 0..Steps, so a negative value means "from the
    // beginning"). Ignored while a pass runs.
    void Start(int firstStep);
    bool IsRunning() const { return m_timer.isActive(); }
    int CurrentStep() const { return m_step; }
    // One step of a running pass; the label's own timer calls it, owners may too.
    void TimerTick();

    // Left edge of the text at `step` of `steps` in a label `labelWidth` wide, for a text of
    // `textWidth` (shadow width included). Rounds half to even.
    static int TextLeft(ScrollDirection direction, int step, int steps, int labelWidth,
                        int textWidth, const TextShadow& shadow);
    // Top edge of a text `textHeight` high in a label `labelHeight` high.
    static int TextTop(int labelHeight, int textHeight, const TextShadow& shadow);

signals:
    void OnBegin();
    void OnStep();
    void OnEnd();
    void OnClick();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TextShadow* m_shadow;
    QTimer m_timer;
    QString m_caption;
    QColor m_color;
    QColor m_fontColor;
    ScrollDirection m_direction = RightToLeft;
    int m_speed = kDefaultSpeed;
    int m_steps = kDefaultSteps;
    int m_step = 0;
};

} // namespace lh
