#include "BarSettingsDialog.h"

#include "controls/Gauge.h"
#include "dialogs/FormFont.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SavedPlacement.h"
#include "util/SettingKeys.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>

namespace lh {

namespace {

template <typename Button>
Button* AddButton(QWidget* parent, const char* name, const char* caption, int x, int y) {
    auto* button = new Button(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->move(x, y);
    button->adjustSize();
    return button;
}

int Bit(bool on) {
    return on ? 1 : 0;
}

} // namespace

BarSettingsDialog::BarSettingsDialog(MainOptions& options, StatusBarHost& host, QWidget* parent)
    : QDialog(parent), m_options(options), m_host(host) {
    setObjectName(QStringLiteral("SetBarBox"));
    setWindowTitle(QStringLiteral("ｽﾃｰﾀｽﾊﾞｰの設定"));
    setFont(FormFont());
    setFixedSize(417, 288);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setGeometry(6, 6, 405, 243);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    BuildPage(page);
    pages->addTab(page, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ"));
    BuildButtons();

    m_timer.setInterval(kPreviewInterval);
    connect(&m_timer, &QTimer::timeout, this, &BarSettingsDialog::Timer1Timer);

    PlaceBySavedPosition(*this, keys::kSetBarPlacement);
    LoadState();
}

void BarSettingsDialog::BuildPage(QWidget* page) {
    m_checkBox4 = AddButton<QCheckBox>(page, "CheckBox4", "表示する(&V)", 12, 12);
    m_checkBox5 = AddButton<QCheckBox>(page, "CheckBox5", "ｷｬﾚｯﾄ(位置)(&P)", 32, 34);
    m_checkBox7 = AddButton<QCheckBox>(page, "CheckBox7", "説明(&I)", 32, 56);
    // The hint panel cannot be switched off; the box only says that it is there.
    m_checkBox7->setChecked(true);
    m_checkBox7->setEnabled(false);

    m_groupBox1 = new QGroupBox(QStringLiteral("状況表示ﾊﾞｰ(&P)"), page);
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_groupBox1->setGeometry(12, 82, 375, 126);
    m_checkBox8 = AddButton<QCheckBox>(m_groupBox1, "CheckBox8", "表示する(&S)", 12, 20);
    m_checkBox9 = AddButton<QCheckBox>(m_groupBox1, "CheckBox9", "説明(&F)", 32, 44);
    m_radioButton1 = AddButton<QRadioButton>(m_groupBox1, "RadioButton1", "Win95ﾗｲｸ(&9)", 32, 70);
    m_radioButton2 = AddButton<QRadioButton>(m_groupBox1, "RadioButton2", "Win3.1ﾗｲｸ(&3)", 32, 96);

    m_progressBar1 = new QProgressBar(m_groupBox1);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setGeometry(130, 70, 233, 17);
    m_progressBar1->setRange(0, 100);
    m_progressBar1->setValue(0);
    m_progressBar1->setTextVisible(false);

    m_gauge1 = new Gauge(m_groupBox1);
    m_gauge1->setObjectName(QStringLiteral("Gauge1"));
    m_gauge1->setGeometry(130, 96, 233, 17);

    m_checkBox4->setChecked(true);
    m_checkBox8->setChecked(true);
    connect(m_checkBox4, &QCheckBox::toggled, this, &BarSettingsDialog::CheckBox4Click);
    connect(m_checkBox8, &QCheckBox::toggled, this, &BarSettingsDialog::CheckBox8Click);
}

void BarSettingsDialog::BuildButtons() {
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(68, 256, 88, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &BarSettingsDialog::BitBtn1Click);

    auto* cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("ｷｬﾝｾﾙ(&N)"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setGeometry(164, 256, 88, 25);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_helpButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton),
                                   QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    m_helpButton->setObjectName(QStringLiteral("BitBtn3"));
    m_helpButton->setGeometry(260, 256, 88, 25);
    m_helpButton->setAutoDefault(false);
    m_helpButton->setEnabled(false);
    connect(m_helpButton, &QPushButton::clicked, this, [this] {
        if (m_showHelp)
            m_showHelp(kHelpTopic);
    });
}

void BarSettingsDialog::SetHelpHandler(std::function<void(int)> showHelp) {
    m_showHelp = std::move(showHelp);
    m_helpButton->setEnabled(static_cast<bool>(m_showHelp));
}

void BarSettingsDialog::LoadState() {
    m_checkBox5->setChecked(m_host.CaretPanelWidth() > 0);
    m_checkBox8->setChecked(m_options.gaugeVisible);
    m_checkBox9->setChecked(m_options.infoVisible);
    if (m_options.newGauge)
        m_radioButton1->setChecked(true);
    else
        m_radioButton2->setChecked(true);
    m_checkBox4->setChecked(m_host.IsStatusBarVisible());
    if (m_checkBox8->isChecked())
        m_timer.start();
    else
        m_timer.stop();
}

void BarSettingsDialog::CheckBox4Click() {
    m_checkBox5->setEnabled(m_checkBox4->isChecked());
}

void BarSettingsDialog::CheckBox8Click() {
    const bool on = m_checkBox8->isChecked();
    m_checkBox9->setEnabled(on);
    m_radioButton1->setEnabled(on);
    m_radioButton2->setEnabled(on);
    m_progressBar1->setValue(0);
    m_gauge1->SetProgress(0);
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

void BarSettingsDialog::Timer1Timer() {
    const int next = m_progressBar1->value() >= 100 ? 0 : m_progressBar1->value() + kPreviewStep;
    m_progressBar1->setValue(next);
    m_gauge1->SetProgress(next);
}

void BarSettingsDialog::BitBtn1Click() {
    const bool statusBar = m_checkBox4->isChecked();
    m_host.SetStatusBarWanted(statusBar);
    keys::kStatusVisible.Write(ProgramSettings(), Bit(statusBar));

    const int panelWidth = CaretPanelWidthFor(m_checkBox5->isChecked(), m_host.StatusBarHeight());
    m_host.SetCaretPanelWidth(panelWidth);
    keys::kPanelVisible1.Write(ProgramSettings(), panelWidth);

    m_options.gaugeVisible = m_checkBox8->isChecked();
    keys::kGaugeVisible.Write(ProgramSettings(), Bit(m_options.gaugeVisible));
    m_options.infoVisible = m_checkBox9->isChecked();
    keys::kInfoVisible.Write(ProgramSettings(), Bit(m_options.infoVisible));
    m_options.newGauge = !m_radioButton2->isChecked();
    keys::kNewGauge.Write(ProgramSettings(), Bit(m_options.newGauge));
    m_host.ProgressLookChanged();
    accept();
}

void BarSettingsDialog::done(int result) {
    m_timer.stop();
    StorePosition(*this, keys::kSetBarPlacement);
    QDialog::done(result);
}

} // namespace lh
