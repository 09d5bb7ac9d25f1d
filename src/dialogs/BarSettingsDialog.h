#pragma once

// "ｽﾃｰﾀｽﾊﾞｰの設定": the status bar and the progress display. Opens on the main window's
// current state and applies OK to it at once; two previews show the bar looks moving.

#include "core/MainOptions.h"
#include "dialogs/StatusBarHost.h"

#include <QDialog>
#include <QTimer>
#include <functional>

class QCheckBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace lh {

class Gauge;

class BarSettingsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpTopic = 40;
    static constexpr int kPreviewInterval = 1000;
    static constexpr int kPreviewStep = 5;

    BarSettingsDialog(MainOptions& options, StatusBarHost& host, QWidget* parent = nullptr);

    void SetHelpHandler(std::function<void(int topic)> showHelp);

    // One preview step; the dialog's timer calls it once a second while previews run.
    void Timer1Timer();
    bool IsPreviewRunning() const { return m_timer.isActive(); }

    void done(int result) override;

private:
    void BuildPage(QWidget* page);
    void BuildButtons();
    void LoadState();
    void CheckBox4Click();
    void CheckBox8Click();
    void BitBtn1Click();

    MainOptions& m_options;
    StatusBarHost& m_host;
    std::function<void(int)> m_showHelp;
    QTimer m_timer;

    QCheckBox* m_checkBox4 = nullptr;
    QCheckBox* m_checkBox5 = nullptr;
    QCheckBox* m_checkBox7 = nullptr;
    QGroupBox* m_groupBox1 = nullptr;
    QCheckBox* m_checkBox8 = nullptr;
    QCheckBox* m_checkBox9 = nullptr;
    QRadioButton* m_radioButton1 = nullptr;
    QRadioButton* m_radioButton2 = nullptr;
    QProgressBar* m_progressBar1 = nullptr;
    Gauge* m_gauge1 = nullptr;
    QPushButton* m_helpButton = nullptr;
};

} // namespace lh
