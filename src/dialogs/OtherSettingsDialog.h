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
    void CheckBox10Click();
    void Button1Click();
    void BitBtn1Click();

    MainOptions& m_options;
    bool m_historyEmpty;
    std::function<void()> m_clearHistory;
    std::function<void(int)> m_showHelp;

    QTabWidget* m_pages = nullptr;
    QCheckBox* m_checkBox1 = nullptr;
    QCheckBox* m_checkBox2 = nullptr;
    QCheckBox* m_checkBox3 = nullptr;
    QCheckBox* m_checkBox4 = nullptr;
    QCheckBox* m_checkBox5 = nullptr;
    QCheckBox* m_checkBox7 = nullptr;
    QCheckBox* m_checkBox9 = nullptr;
    QCheckBox* m_checkBox10 = nullptr;
    QRadioButton* m_radioButton1 = nullptr;
    QRadioButton* m_radioButton2 = nullptr;
    QCheckBox* m_checkBox11 = nullptr;
    QCheckBox* m_checkBox12 = nullptr;
    QPushButton* m_button1 = nullptr;
    QPushButton* m_helpButton = nullptr;
};

} // namespace lh
