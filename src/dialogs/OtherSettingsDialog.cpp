#include "OtherSettingsDialog.h"

#include "dialogs/FormFont.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SavedPlacement.h"
#include "util/SettingKeys.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>

namespace lh {

namespace {

constexpr int kRowHeight = 22;

QCheckBox* AddCheckBox(QWidget* page, const char* name, const char* caption, int row) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), page);
    box->setObjectName(QString::fromUtf8(name));
    box->move(12, 12 + row * kRowHeight);
    box->adjustSize();
    return box;
}

int Bit(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

} // namespace

OtherSettingsDialog::OtherSettingsDialog(MainOptions& options, bool historyEmpty,
                                         std::function<void()> clearHistory, QWidget* parent)
    : QDialog(parent), m_options(options), m_historyEmpty(historyEmpty),
      m_clearHistory(std::move(clearHistory)) {
    setObjectName(QStringLiteral("OtherSettingsDialog"));
    setWindowTitle(QStringLiteral("その他の設定"));
    setFont(FormFont());
    setFixedSize(328, 208);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setGeometry(6, 6, 315, 163);
    BuildStartPage();
    BuildFilePage();
    BuildHistoryPage();
    BuildButtons();

    PlaceBySavedPosition(*this, keys::kSetOtherPlacement);
    const int tab = keys::kSetOtherTab.Read(ProgramSettings());
    m_pages->setCurrentIndex(tab == 2 || tab == 3 ? tab - 1 : 0);
    LoadState();
}

void OtherSettingsDialog::BuildStartPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("startPage"));
    m_multipleInstancesBox = AddCheckBox(page, "multipleInstancesBox", "複数起動する(&O)", 0);
    m_splashBox = AddCheckBox(page, "splashBox", "ｽﾌﾟﾗｯｼｭｳｨﾝﾄﾞｳ(ﾀｲﾄﾙﾛｺﾞ)を表示する(&S)", 1);
    m_rememberPlacementBox = AddCheckBox(page, "rememberPlacementBox", "表示位置を記憶する(&P)", 2);
    m_confirmExitBox = AddCheckBox(page, "confirmExitBox", "終了時にﾒｯｾｰｼﾞを表示する(&M)", 3);
    m_reopenLastFileBox =
        AddCheckBox(page, "reopenLastFileBox", "終了時に開いていたﾌｧｲﾙを次の起動時に開く(&F)", 4);
    m_pages->addTab(page, QStringLiteral("起動"));
}

void OtherSettingsDialog::BuildFilePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("filePage"));
    m_shareFileDialogsBox = AddCheckBox(page, "shareFileDialogsBox",
                                        "OpenﾀﾞｲｱﾛｸﾞとSaveﾀﾞｲｱﾛｸﾞの情報を同じにする(&I)", 0);
    m_exitOnEscBox = AddCheckBox(page, "exitOnEscBox", "[ESC]でﾌﾟﾛｸﾞﾗﾑ終了(&E)", 1);
    m_backupBox = AddCheckBox(page, "backupBox", "ﾊﾞｯｸﾌｧｲﾙを残す(&B)", 2);
    // The backup choice stands in the same row, after the box that enables it.
    const int y = m_backupBox->y();
    int x = m_backupBox->x() + m_backupBox->width() + 16;
    m_bakBackupButton = new QRadioButton(QStringLiteral("BAK"), page);
    m_bakBackupButton->setObjectName(QStringLiteral("bakBackupButton"));
    m_bakBackupButton->move(x, y);
    m_bakBackupButton->adjustSize();
    x += m_bakBackupButton->width() + 12;
    m_tildeBackupButton = new QRadioButton(QStringLiteral("~**"), page);
    m_tildeBackupButton->setObjectName(QStringLiteral("tildeBackupButton"));
    m_tildeBackupButton->move(x, y);
    m_tildeBackupButton->adjustSize();

    m_backupBox->setChecked(true);
    m_bakBackupButton->setChecked(true);
    connect(m_backupBox, &QCheckBox::toggled, this, &OtherSettingsDialog::BackupBoxToggled);
    m_pages->addTab(page, QStringLiteral("ﾌｧｲﾙ"));
}

void OtherSettingsDialog::BuildHistoryPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("historyPage"));
    m_rememberOpenedBox = AddCheckBox(page, "rememberOpenedBox", "開いたﾌｧｲﾙを記憶する(&O)", 0);
    m_rememberSavedBox = AddCheckBox(page, "rememberSavedBox", "保存したﾌｧｲﾙを記憶する(&S)", 1);
    m_clearHistoryButton = new QPushButton(QStringLiteral("すべて削除(&D)"), page);
    m_clearHistoryButton->setObjectName(QStringLiteral("clearHistoryButton"));
    m_clearHistoryButton->setAutoDefault(false);
    m_clearHistoryButton->setGeometry(12, 12 + 3 * kRowHeight, 120, 25);
    connect(m_clearHistoryButton, &QPushButton::clicked, this, &OtherSettingsDialog::ClearHistory);
    m_pages->addTab(page, QStringLiteral("ﾋｽﾄﾘｰ"));
}

void OtherSettingsDialog::BuildButtons() {
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(24, 176, 88, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &OtherSettingsDialog::AcceptSettings);

    auto* cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("ｷｬﾝｾﾙ(&N)"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(120, 176, 88, 25);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_helpButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton),
                                   QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    m_helpButton->setObjectName(QStringLiteral("helpButton"));
    m_helpButton->setGeometry(216, 176, 88, 25);
    m_helpButton->setAutoDefault(false);
    m_helpButton->setEnabled(false);
    connect(m_helpButton, &QPushButton::clicked, this, [this] {
        if (m_showHelp)
            m_showHelp(kHelpTopic);
    });
}

void OtherSettingsDialog::SetHelpHandler(std::function<void(int)> showHelp) {
    m_showHelp = std::move(showHelp);
    m_helpButton->setEnabled(static_cast<bool>(m_showHelp));
}

void OtherSettingsDialog::LoadState() {
    // "2ndStart" counts as on only when stored as 1: an absent value shows unticked here even
    // though the start-up lets further instances run then.
    m_multipleInstancesBox->setChecked(keys::k2ndStartBox.IsOn(ProgramSettings()));
    m_splashBox->setChecked(keys::kSplashVisible.IsOn(ProgramSettings()));
    m_rememberPlacementBox->setChecked(keys::kPositionMemory.IsOn(ProgramSettings()));
    m_confirmExitBox->setChecked(keys::kEndMsg.IsOn(ProgramSettings()));
    m_reopenLastFileBox->setChecked(keys::kEndFileOpen.IsOn(ProgramSettings()));

    m_shareFileDialogsBox->setChecked(m_options.openToSave);
    m_exitOnEscBox->setChecked(m_options.escToClose);
    m_backupBox->setChecked(m_options.backFile != 0);
    if (m_options.backFile == 1)
        m_bakBackupButton->setChecked(true);
    else if (m_options.backFile == 2)
        m_tildeBackupButton->setChecked(true);

    m_rememberOpenedBox->setChecked(m_options.fileHistOpen);
    m_rememberSavedBox->setChecked(m_options.fileHistSave);
    m_clearHistoryButton->setEnabled(!m_historyEmpty);
}

void OtherSettingsDialog::BackupBoxToggled() {
    const bool on = m_backupBox->isChecked();
    m_bakBackupButton->setEnabled(on);
    m_tildeBackupButton->setEnabled(on);
}

void OtherSettingsDialog::ClearHistory() {
    m_clearHistoryButton->setEnabled(false);
    if (m_clearHistory)
        m_clearHistory();
}

void OtherSettingsDialog::AcceptSettings() {
    keys::k2ndStart.Write(ProgramSettings(), Bit(m_multipleInstancesBox));
    keys::kSplashVisible.Write(ProgramSettings(), Bit(m_splashBox));
    keys::kPositionMemory.Write(ProgramSettings(), Bit(m_rememberPlacementBox));
    keys::kEndMsg.Write(ProgramSettings(), Bit(m_confirmExitBox));
    keys::kEndFileOpen.Write(ProgramSettings(), Bit(m_reopenLastFileBox));

    m_options.openToSave = m_shareFileDialogsBox->isChecked();
    keys::kOpenToSave.Write(ProgramSettings(), Bit(m_shareFileDialogsBox));
    m_options.escToClose = m_exitOnEscBox->isChecked();
    keys::kEscToClose.Write(ProgramSettings(), Bit(m_exitOnEscBox));

    if (!m_backupBox->isChecked())
        m_options.backFile = 0;
    else
        m_options.backFile = m_tildeBackupButton->isChecked() ? 2 : 1;
    keys::kBackFile.Write(ProgramSettings(), m_options.backFile);

    m_options.fileHistOpen = m_rememberOpenedBox->isChecked();
    keys::kFileHistOpen.Write(ProgramSettings(), Bit(m_rememberOpenedBox));
    m_options.fileHistSave = m_rememberSavedBox->isChecked();
    keys::kFileHistSave.Write(ProgramSettings(), Bit(m_rememberSavedBox));
    accept();
}

void OtherSettingsDialog::done(int result) {
    // Every way of closing passes here: OK, Cancel, Esc and the close box.
    StorePosition(*this, keys::kSetOtherPlacement);
    keys::kSetOtherTab.Write(ProgramSettings(), m_pages->currentIndex() + 1);
    QDialog::done(result);
}

} // namespace lh
