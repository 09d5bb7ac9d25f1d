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
    setObjectName(QStringLiteral("SetOtherBox"));
    setWindowTitle(QStringLiteral("その他の設定"));
    setFont(FormFont());
    setFixedSize(328, 208);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
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
    page->setObjectName(QStringLiteral("TabSheet1"));
    m_checkBox1 = AddCheckBox(page, "CheckBox1", "複数起動する(&O)", 0);
    m_checkBox2 = AddCheckBox(page, "CheckBox2", "ｽﾌﾟﾗｯｼｭｳｨﾝﾄﾞｳ(ﾀｲﾄﾙﾛｺﾞ)を表示する(&S)", 1);
    m_checkBox3 = AddCheckBox(page, "CheckBox3", "表示位置を記憶する(&P)", 2);
    m_checkBox4 = AddCheckBox(page, "CheckBox4", "終了時にﾒｯｾｰｼﾞを表示する(&M)", 3);
    m_checkBox5 = AddCheckBox(page, "CheckBox5", "終了時に開いていたﾌｧｲﾙを次の起動時に開く(&F)", 4);
    m_pages->addTab(page, QStringLiteral("起動"));
}

void OtherSettingsDialog::BuildFilePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    m_checkBox7 =
        AddCheckBox(page, "CheckBox7", "OpenﾀﾞｲｱﾛｸﾞとSaveﾀﾞｲｱﾛｸﾞの情報を同じにする(&I)", 0);
    m_checkBox9 = AddCheckBox(page, "CheckBox9", "[ESC]でﾌﾟﾛｸﾞﾗﾑ終了(&E)", 1);
    m_checkBox10 = AddCheckBox(page, "CheckBox10", "ﾊﾞｯｸﾌｧｲﾙを残す(&B)", 2);
    // The backup choice stands in the same row, after the box that enables it.
    const int y = m_checkBox10->y();
    int x = m_checkBox10->x() + m_checkBox10->width() + 16;
    m_radioButton1 = new QRadioButton(QStringLiteral("BAK"), page);
    m_radioButton1->setObjectName(QStringLiteral("RadioButton1"));
    m_radioButton1->move(x, y);
    m_radioButton1->adjustSize();
    x += m_radioButton1->width() + 12;
    m_radioButton2 = new QRadioButton(QStringLiteral("~**"), page);
    m_radioButton2->setObjectName(QStringLiteral("RadioButton2"));
    m_radioButton2->move(x, y);
    m_radioButton2->adjustSize();

    m_checkBox10->setChecked(true);
    m_radioButton1->setChecked(true);
    connect(m_checkBox10, &QCheckBox::toggled, this, &OtherSettingsDialog::CheckBox10Click);
    m_pages->addTab(page, QStringLiteral("ﾌｧｲﾙ"));
}

void OtherSettingsDialog::BuildHistoryPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    m_checkBox11 = AddCheckBox(page, "CheckBox11", "開いたﾌｧｲﾙを記憶する(&O)", 0);
    m_checkBox12 = AddCheckBox(page, "CheckBox12", "保存したﾌｧｲﾙを記憶する(&S)", 1);
    m_button1 = new QPushButton(QStringLiteral("すべて削除(&D)"), page);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setAutoDefault(false);
    m_button1->setGeometry(12, 12 + 3 * kRowHeight, 120, 25);
    connect(m_button1, &QPushButton::clicked, this, &OtherSettingsDialog::Button1Click);
    m_pages->addTab(page, QStringLiteral("ﾋｽﾄﾘｰ"));
}

void OtherSettingsDialog::BuildButtons() {
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(24, 176, 88, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &OtherSettingsDialog::BitBtn1Click);

    auto* cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("ｷｬﾝｾﾙ(&N)"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setGeometry(120, 176, 88, 25);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_helpButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton),
                                   QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    m_helpButton->setObjectName(QStringLiteral("BitBtn3"));
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
    m_checkBox1->setChecked(keys::k2ndStartBox.IsOn(ProgramSettings()));
    m_checkBox2->setChecked(keys::kSplashVisible.IsOn(ProgramSettings()));
    m_checkBox3->setChecked(keys::kPositionMemory.IsOn(ProgramSettings()));
    m_checkBox4->setChecked(keys::kEndMsg.IsOn(ProgramSettings()));
    m_checkBox5->setChecked(keys::kEndFileOpen.IsOn(ProgramSettings()));

    m_checkBox7->setChecked(m_options.openToSave);
    m_checkBox9->setChecked(m_options.escToClose);
    m_checkBox10->setChecked(m_options.backFile != 0);
    if (m_options.backFile == 1)
        m_radioButton1->setChecked(true);
    else if (m_options.backFile == 2)
        m_radioButton2->setChecked(true);

    m_checkBox11->setChecked(m_options.fileHistOpen);
    m_checkBox12->setChecked(m_options.fileHistSave);
    m_button1->setEnabled(!m_historyEmpty);
}

void OtherSettingsDialog::CheckBox10Click() {
    const bool on = m_checkBox10->isChecked();
    m_radioButton1->setEnabled(on);
    m_radioButton2->setEnabled(on);
}

void OtherSettingsDialog::Button1Click() {
    m_button1->setEnabled(false);
    if (m_clearHistory)
        m_clearHistory();
}

void OtherSettingsDialog::BitBtn1Click() {
    keys::k2ndStart.Write(ProgramSettings(), Bit(m_checkBox1));
    keys::kSplashVisible.Write(ProgramSettings(), Bit(m_checkBox2));
    keys::kPositionMemory.Write(ProgramSettings(), Bit(m_checkBox3));
    keys::kEndMsg.Write(ProgramSettings(), Bit(m_checkBox4));
    keys::kEndFileOpen.Write(ProgramSettings(), Bit(m_checkBox5));

    m_options.openToSave = m_checkBox7->isChecked();
    keys::kOpenToSave.Write(ProgramSettings(), Bit(m_checkBox7));
    m_options.escToClose = m_checkBox9->isChecked();
    keys::kEscToClose.Write(ProgramSettings(), Bit(m_checkBox9));

    if (!m_checkBox10->isChecked())
        m_options.backFile = 0;
    else
        m_options.backFile = m_radioButton2->isChecked() ? 2 : 1;
    keys::kBackFile.Write(ProgramSettings(), m_options.backFile);

    m_options.fileHistOpen = m_checkBox11->isChecked();
    keys::kFileHistOpen.Write(ProgramSettings(), Bit(m_checkBox11));
    m_options.fileHistSave = m_checkBox12->isChecked();
    keys::kFileHistSave.Write(ProgramSettings(), Bit(m_checkBox12));
    accept();
}

void OtherSettingsDialog::done(int result) {
    // Every way of closing passes here: OK, Cancel, Esc and the close box.
    StorePosition(*this, keys::kSetOtherPlacement);
    keys::kSetOtherTab.Write(ProgramSettings(), m_pages->currentIndex() + 1);
    QDialog::done(result);
}

} // namespace lh
