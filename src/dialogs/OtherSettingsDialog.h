#pragma once

// "その他の設定": start-up, file and history options. Start-up options live only in the
// store; the others mirror the main window's MainOptions, which OK changes at once.

#include "core/MainOptions.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace lh {

class OtherSettingsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpTopic = 80;

    // clearHistory empties the main window's recent-file history (slots and menu) at once.
    // `historyEmpty` disables "すべて削除(&D)" when there is nothing to clear.
    OtherSettingsDialog(MainOptions& options, bool historyEmpty, std::function<void()> clearHistory,
                        QWidget* parent = nullptr);

    // Shows a topic of the help document; without one the help button is disabled.
    void SetHelpHandler(std::function<void(int topic)> showHelp);

    void done(int result) override;

private:
    void BuildStartPage();
    void BuildFilePage();
    void BuildHistoryPage();
    void BuildButtons();
    void LoadState();
    void BackupBoxToggled();
    void ClearHistory();
    void AcceptSettings();

    MainOptions& m_options;
    bool m_historyEmpty;
    std::function<void()> m_clearHistory;
    std::function<void(int)> m_showHelp;

    QTabWidget* m_pages = nullptr;
    QCheckBox* m_multipleInstancesBox = nullptr;
    QCheckBox* m_splashBox = nullptr;
    QCheckBox* m_rememberPlacementBox = nullptr;
    QCheckBox* m_confirmExitBox = nullptr;
    QCheckBox* m_reopenLastFileBox = nullptr;
    // The open and save dialogs share one folder and filter.
    QCheckBox* m_shareFileDialogsBox = nullptr;
    QCheckBox* m_exitOnEscBox = nullptr;
    QCheckBox* m_backupBox = nullptr;
    // Backup extension ".bak", or one beginning with ".~".
    QRadioButton* m_bakBackupButton = nullptr;
    QRadioButton* m_tildeBackupButton = nullptr;
    QCheckBox* m_rememberOpenedBox = nullptr;
    QCheckBox* m_rememberSavedBox = nullptr;
    QPushButton* m_clearHistoryButton = nullptr;
    QPushButton* m_helpButton = nullptr;
};

} // namespace lh
