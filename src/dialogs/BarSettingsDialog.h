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
    void AdvancePreviews();
    bool IsPreviewRunning() const { return m_previewTimer.isActive(); }

    void done(int result) override;

private:
    void BuildPage(QWidget* page);
    void BuildButtons();
    void LoadState();
    void StatusBarBoxToggled();
    void ProgressDisplayBoxToggled();
    void AcceptSettings();

    MainOptions& m_options;
    StatusBarHost& m_host;
    std::function<void(int)> m_showHelp;
    QTimer m_previewTimer;

    QCheckBox* m_statusBarBox = nullptr;
    QCheckBox* m_caretPanelBox = nullptr;
    // Always ticked and disabled: the hint panel cannot be switched off.
    QCheckBox* m_hintPanelBox = nullptr;
    QGroupBox* m_progressGroup = nullptr;
    QCheckBox* m_progressDisplayBox = nullptr;
    QCheckBox* m_progressLabelBox = nullptr; // the description beside the bar
    // The newer look (the platform's progress bar) or the older one (the drawn gauge).
    QRadioButton* m_systemBarButton = nullptr;
    QRadioButton* m_blockGaugeButton = nullptr;
    QProgressBar* m_systemBarPreview = nullptr;
    Gauge* m_blockGaugePreview = nullptr;
    QPushButton* m_helpButton = nullptr;
};

} // namespace lh
