#include "dialogs/OtherSettingsDialog.h"

#include "WidgetTestSupport.h"
#include "core/MainOptions.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace lh {
namespace {

using test::Child;

class OtherSettingsDialogTest : public test::SettingsTest {
protected:
    MainOptions m_options;
    bool m_historyEmpty = true;
    int m_clears = 0;

    std::unique_ptr<OtherSettingsDialog> Open() {
        return std::make_unique<OtherSettingsDialog>(m_options, m_historyEmpty,
                                                     [this] { ++m_clears; });
    }
};

TEST_F(OtherSettingsDialogTest, opening_absent2ndStartShowsUnticked_emptyHistoryNoClearButton) {
    auto box = Open();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("その他の設定"));
    EXPECT_FALSE(Child<QCheckBox>(*box, "multipleInstancesBox")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(*box, "splashBox")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(*box, "rememberPlacementBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "confirmExitBox")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(*box, "reopenLastFileBox")->isChecked());
    EXPECT_EQ(Child<QTabWidget>(*box, "pages")->currentIndex(), 0);
    // An empty history leaves nothing to clear.
    EXPECT_FALSE(Child<QPushButton>(*box, "clearHistoryButton")->isEnabled());
}

TEST_F(OtherSettingsDialogTest, backupBox_enablesTheRadioButtons) {
    const struct {
        int backFile;
        bool ticked;
        bool bak;
    } cases[] = {{0, false, true}, {1, true, true}, {2, true, false}, {5, true, true}};
    for (const auto& c : cases) {
        m_options.backFile = c.backFile;
        auto box = Open();
        auto* backup = Child<QCheckBox>(*box, "backupBox");
        auto* bak = Child<QRadioButton>(*box, "bakBackupButton");
        auto* tilde = Child<QRadioButton>(*box, "tildeBackupButton");
        EXPECT_EQ(backup->isChecked(), c.ticked) << c.backFile;
        EXPECT_EQ(bak->isEnabled(), c.ticked) << c.backFile;
        EXPECT_EQ(tilde->isEnabled(), c.ticked) << c.backFile;
        EXPECT_EQ(bak->isChecked(), c.bak) << c.backFile;
        backup->click();
        EXPECT_EQ(bak->isEnabled(), !c.ticked) << c.backFile;
    }
}

TEST_F(OtherSettingsDialogTest, ok_changesMainOptionsAtOnce) {
    m_options.backFile = 0;
    auto box = Open();
    Child<QCheckBox>(*box, "shareFileDialogsBox")->setChecked(true);
    Child<QCheckBox>(*box, "exitOnEscBox")->setChecked(true);
    Child<QCheckBox>(*box, "backupBox")->setChecked(true);
    Child<QCheckBox>(*box, "rememberOpenedBox")->setChecked(false);
    Child<QPushButton>(*box, "okButton")->click();
    EXPECT_EQ(box->result(), QDialog::Accepted);
    EXPECT_TRUE(m_options.openToSave);
    EXPECT_TRUE(m_options.escToClose);
    EXPECT_EQ(m_options.backFile, 1);
    EXPECT_FALSE(m_options.fileHistOpen);
    EXPECT_TRUE(m_options.fileHistSave);
}

TEST_F(OtherSettingsDialogTest, ok_untickedBackupForgetsTheRadioChoice) {
    m_options.backFile = 1;
    auto box = Open();
    Child<QRadioButton>(*box, "tildeBackupButton")->setChecked(true);
    Child<QCheckBox>(*box, "backupBox")->setChecked(false);
    Child<QPushButton>(*box, "okButton")->click();
    EXPECT_EQ(m_options.backFile, 0);
}

TEST_F(OtherSettingsDialogTest, cancel_keepsOptions_butClearedHistoryStaysCleared) {
    m_historyEmpty = false;
    m_options.backFile = 2;
    const MainOptions before = m_options;
    auto box = Open();
    auto* clear = Child<QPushButton>(*box, "clearHistoryButton");
    EXPECT_TRUE(clear->isEnabled());
    Child<QCheckBox>(*box, "exitOnEscBox")->setChecked(true);
    Child<QCheckBox>(*box, "backupBox")->setChecked(false);
    clear->click();
    EXPECT_EQ(m_clears, 1);
    EXPECT_FALSE(clear->isEnabled());
    Child<QPushButton>(*box, "cancelButton")->click();
    EXPECT_EQ(box->result(), QDialog::Rejected);
    EXPECT_EQ(m_options.escToClose, before.escToClose);
    EXPECT_EQ(m_options.backFile, 2);
}

TEST_F(OtherSettingsDialogTest, ok_storesEveryBoxAsOneOrZero) {
    keys::kEndMsg.Write(ProgramSettings(), 1);
    keys::kSplashVisible.Write(ProgramSettings(), 2); // only 1 counts as on
    auto box = Open();
    EXPECT_TRUE(Child<QCheckBox>(*box, "confirmExitBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "splashBox")->isChecked());
    Child<QCheckBox>(*box, "rememberPlacementBox")->setChecked(false);
    Child<QCheckBox>(*box, "rememberSavedBox")->setChecked(false);
    Child<QPushButton>(*box, "okButton")->click();
    // An untouched absent "2ndStart" is stored as 0.
    EXPECT_EQ(keys::k2ndStart.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kSplashVisible.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kPositionMemory.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kEndMsg.Read(ProgramSettings()), 1);
    EXPECT_EQ(keys::kEndFileOpen.Read(ProgramSettings()), 1);
    EXPECT_EQ(keys::kOpenToSave.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kEscToClose.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kBackFile.Read(ProgramSettings()), 0);
    EXPECT_EQ(keys::kFileHistOpen.Read(ProgramSettings()), 1);
    EXPECT_EQ(keys::kFileHistSave.Read(ProgramSettings()), 0);
}

TEST_F(OtherSettingsDialogTest, cancel_storesNothingButPlacementAndPage) {
    auto box = Open();
    Child<QCheckBox>(*box, "multipleInstancesBox")->setChecked(true);
    Child<QTabWidget>(*box, "pages")->setCurrentIndex(2);
    box->move(40, 50);
    Child<QPushButton>(*box, "cancelButton")->click();
    EXPECT_EQ(keys::k2ndStart.ReadOr(ProgramSettings(), -5), -5);
    EXPECT_EQ(keys::kSetOtherTab.Read(ProgramSettings()), 3);
    EXPECT_EQ(keys::kSetOtherTop.Read(ProgramSettings()), 50);
    EXPECT_EQ(keys::kSetOtherLeft.Read(ProgramSettings()), 40);
    // The next opening comes up on that page and place.
    auto again = Open();
    EXPECT_EQ(Child<QTabWidget>(*again, "pages")->currentIndex(), 2);
    EXPECT_EQ(again->pos(), QPoint(40, 50));
}

TEST_F(OtherSettingsDialogTest, storedPage_outsideOneToThreeOpensPageOne) {
    for (const int stored : {7, 0, -1}) {
        keys::kSetOtherTab.Write(ProgramSettings(), stored);
        auto box = Open();
        EXPECT_EQ(Child<QTabWidget>(*box, "pages")->currentIndex(), 0) << stored;
        Child<QTabWidget>(*box, "pages")->setCurrentIndex(1);
        box->reject();
        EXPECT_EQ(keys::kSetOtherTab.Read(ProgramSettings()), 2) << stored;
    }
}

TEST_F(OtherSettingsDialogTest, escape_closesAndStoresPlacement) {
    auto box = Open();
    box->show();
    box->move(12, 34);
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(keys::kSetOtherTop.Read(ProgramSettings()), 34);
    EXPECT_EQ(keys::kSetOtherLeft.Read(ProgramSettings()), 12);
}

} // namespace
} // namespace lh
