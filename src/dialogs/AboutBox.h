#pragma once

// "ﾊﾞｰｼﾞｮﾝ情報": name and version in animated labels, the blinking picture and the scrolling
// line. Double clicks reveal a feedback note (picture) and the usage statistics (name).

#include <QDialog>
#include <QTimer>
#include <string>

class QLabel;

namespace lh {

class MessageBoxService;
class BlinkLabel;
class MarqueeLabel;

struct AboutBoxContext {
    // This run's start as date-time text (UTF-8), as AboutBox::ThisRunStartText() gives it;
    // empty when the start was not recorded.
    std::string startTimeText;
    // Where the hidden messages go; null shows them in message boxes owned by the dialog.
    MessageBoxService* messages = nullptr;
};

class AboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kAnimationInterval = 500;

    explicit AboutBox(AboutBoxContext context, QWidget* parent = nullptr);

    // This run's recorded start as date-time text, empty when the start was not recorded.
    static std::string ThisRunStartText();

    // The statistics message: the usage record's stored values and this run's start, one per
    // line, "不明" where a value is missing.
    static std::string UsageStatisticsText(const std::string& startTimeText);

    // One tick of the dialog's timer: blink the picture, ask the scrolling line for a pass.
    void AnimationTick();
    // The hidden messages behind a double click on the picture and on the program name.
    void ShowFeedbackNote();
    void ShowUsageStatistics();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowInformation(const std::string& text, const std::string& caption);

    AboutBoxContext m_context;
    QTimer m_animationTimer;
    QLabel* m_picture = nullptr;
    // An empty picture in the same place; showing it instead of the real one makes it blink.
    QLabel* m_blankPicture = nullptr;
    BlinkLabel* m_titleLabel = nullptr;
    BlinkLabel* m_versionLabel = nullptr;
    MarqueeLabel* m_scrollingLine = nullptr;
};

} // namespace lh
