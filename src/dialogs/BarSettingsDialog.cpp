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
    setObjectName(QStringLiteral("BarSettingsDialog"));
    setWindowTitle(QStringLiteral("ｽﾃｰﾀｽﾊﾞｰの設定"));
    setFont(FormFont());
    setFixedSize(417, 288);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setGeometry(6, 6, 405, 243);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("statusBarPage"));
    BuildPage(page);
    pages->addTab(page, QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ"));
    BuildButtons();

    m_previewTimer.setInterval(kPreviewInterval);
    connect(&m_previewTimer, &QTimer::timeout, this, &BarSettingsDialog::AdvancePreviews);

    PlaceBySavedPosition(*this, keys::kSetBarPlacement);
    LoadState();
}

void BarSettingsDialog::BuildPage(QWidget* page) {
    m_statusBarBox = AddButton<QCheckBox>(page, "statusBarBox", "表示する(&V)", 12, 12);
    m_caretPanelBox = AddButton<QCheckBox>(page, "caretPanelBox", "ｷｬﾚｯﾄ(位置)(&P)", 32, 34);
    m_hintPanelBox = AddButton<QCheckBox>(page, "hintPanelBox", "説明(&I)", 32, 56);
    // The hint panel cannot be switched off; the box only says that it is there.
    m_hintPanelBox->setChecked(true);
    m_hintPanelBox->setEnabled(false);

    m_progressGroup = new QGroupBox(QStringLiteral("状況表示ﾊﾞｰ(&P)"), page);
    m_progressGroup->setObjectName(QStringLiteral("progressGroup"));
    m_progressGroup->setGeometry(12, 82, 375, 126);
    m_progressDisplayBox =
        AddButton<QCheckBox>(m_progressGroup, "progressDisplayBox", "表示する(&S)", 12, 20);
    m_progressLabelBox =
        AddButton<QCheckBox>(m_progressGroup, "progressLabelBox", "説明(&F)", 32, 44);
    m_systemBarButton =
        AddButton<QRadioButton>(m_progressGroup, "systemBarButton", "Win95ﾗｲｸ(&9)", 32, 70);
    m_blockGaugeButton =
        AddButton<QRadioButton>(m_progressGroup, "blockGaugeButton", "Win3.1ﾗｲｸ(&3)", 32, 96);

    m_systemBarPreview = new QProgressBar(m_progressGroup);
    m_systemBarPreview->setObjectName(QStringLiteral("systemBarPreview"));
    m_systemBarPreview->setGeometry(130, 70, 233, 17);
    m_systemBarPreview->setRange(0, 100);
    m_systemBarPreview->setValue(0);
    m_systemBarPreview->setTextVisible(false);

    m_blockGaugePreview = new Gauge(m_progressGroup);
    m_blockGaugePreview->setObjectName(QStringLiteral("blockGaugePreview"));
    m_blockGaugePreview->setGeometry(130, 96, 233, 17);

    m_statusBarBox->setChecked(true);
    m_progressDisplayBox->setChecked(true);
    connect(m_statusBarBox, &QCheckBox::toggled, this, &BarSettingsDialog::StatusBarBoxToggled);
    connect(m_progressDisplayBox, &QCheckBox::toggled, this,
            &BarSettingsDialog::ProgressDisplayBoxToggled);
}

void BarSettingsDialog::BuildButtons() {
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK(&Y)"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(68, 256, 88, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &BarSettingsDialog::AcceptSettings);

    auto* cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("ｷｬﾝｾﾙ(&N)"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(164, 256, 88, 25);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_helpButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton),
                                   QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    m_helpButton->setObjectName(QStringLiteral("helpButton"));
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
    m_caretPanelBox->setChecked(m_host.CaretPanelWidth() > 0);
    m_progressDisplayBox->setChecked(m_options.gaugeVisible);
    m_progressLabelBox->setChecked(m_options.infoVisible);
    if (m_options.newGauge)
        m_systemBarButton->setChecked(true);
    else
        m_blockGaugeButton->setChecked(true);
    m_statusBarBox->setChecked(m_host.IsStatusBarVisible());
    if (m_progressDisplayBox->isChecked())
        m_previewTimer.start();
    else
        m_previewTimer.stop();
}

void BarSettingsDialog::StatusBarBoxToggled() {
    m_caretPanelBox->setEnabled(m_statusBarBox->isChecked());
}

void BarSettingsDialog::ProgressDisplayBoxToggled() {
    const bool on = m_progressDisplayBox->isChecked();
    m_progressLabelBox->setEnabled(on);
    m_systemBarButton->setEnabled(on);
    m_blockGaugeButton->setEnabled(on);
    m_systemBarPreview->setValue(0);
    m_blockGaugePreview->SetProgress(0);
    if (on)
        m_previewTimer.start();
    else
        m_previewTimer.stop();
}

void BarSettingsDialog::AdvancePreviews() {
    const int next =
        m_systemBarPreview->value() >= 100 ? 0 : m_systemBarPreview->value() + kPreviewStep;
    m_systemBarPreview->setValue(next);
    m_blockGaugePreview->SetProgress(next);
}

void BarSettingsDialog::AcceptSettings() {
    const bool statusBar = m_statusBarBox->isChecked();
    m_host.SetStatusBarWanted(statusBar);
    keys::kStatusVisible.Write(ProgramSettings(), Bit(statusBar));

    const int panelWidth =
        CaretPanelWidthFor(m_caretPanelBox->isChecked(), m_host.StatusBarHeight());
    m_host.SetCaretPanelWidth(panelWidth);
    keys::kPanelVisible1.Write(ProgramSettings(), panelWidth);

    m_options.gaugeVisible = m_progressDisplayBox->isChecked();
    keys::kGaugeVisible.Write(ProgramSettings(), Bit(m_options.gaugeVisible));
    m_options.infoVisible = m_progressLabelBox->isChecked();
    keys::kInfoVisible.Write(ProgramSettings(), Bit(m_options.infoVisible));
    m_options.newGauge = !m_blockGaugeButton->isChecked();
    keys::kNewGauge.Write(ProgramSettings(), Bit(m_options.newGauge));
    m_host.ProgressLookChanged();
    accept();
}

void BarSettingsDialog::done(int result) {
    m_previewTimer.stop();
    StorePosition(*this, keys::kSetBarPlacement);
    QDialog::done(result);
}

} // namespace lh
