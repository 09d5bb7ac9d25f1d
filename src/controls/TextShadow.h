#pragma once

// Shadow description of the animated labels: colour and offset of the second, offset copy of
// the caption. A label owns one and repaints whenever OnChange fires.

#include <QColor>
#include <QObject>

class QPainter;
class QString;

namespace lh {

class TextShadow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE SetColor NOTIFY OnChange)
    Q_PROPERTY(int OffsetLeft READ OffsetLeft WRITE SetOffsetLeft NOTIFY OnChange)
    Q_PROPERTY(int OffsetTop READ OffsetTop WRITE SetOffsetTop NOTIFY OnChange)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible NOTIFY OnChange)

public:
    static constexpr QRgb kDefaultColor = 0x808080;
    static constexpr int kDefaultOffset = 10;

    explicit TextShadow(QObject* parent = nullptr);

    QColor Color() const { return m_color; }
    int OffsetLeft() const { return m_offsetLeft; }
    int OffsetTop() const { return m_offsetTop; }
    bool Visible() const { return m_visible; }

    // Each setter ignores an unchanged value, so OnChange means a real change.
    void SetColor(const QColor& color);
    void SetOffsetLeft(int offset);
    void SetOffsetTop(int offset);
    void SetVisible(bool visible);

    // Offsets that matter for drawing: zero while the shadow is hidden.
    int EffectiveOffsetLeft() const { return m_visible ? m_offsetLeft : 0; }
    int EffectiveOffsetTop() const { return m_visible ? m_offsetTop : 0; }

    // Draws a one-line caption whose text box starts at (x, y): the shadow first, when visible,
    // then the text itself. Plain text: an ampersand is drawn as it is, nothing wraps.
    void DrawCaption(QPainter& painter, int x, int y, const QString& caption,
                     const QColor& textColor) const;

signals:
    void OnChange();

private:
    QColor m_color{QColor::fromRgb(kDefaultColor)};
    int m_offsetLeft = kDefaultOffset;
    int m_offsetTop = kDefaultOffset;
    bool m_visible = true;
};

} // namespace lh
