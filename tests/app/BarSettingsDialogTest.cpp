#include "dialogs/BarSettingsDialog.h"

#include "WidgetTestSupport.h"
#include "controls/Gauge.h"
#include "core/MainOptions.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/StatusBarHost.h"
#include "util/SettingKeys.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace lh {
namespace {

using test::Child;

class FakeStatusBar final : public StatusBarHost {
public:
    bool IsStatusBarWanted() const override { return wanted; }
    void SetStatusBarWanted(bool on) override { wanted = visible = on; }
    bool IsStatusBarVisible() const override { return visible; }
    int StatusBarHeight() const override { return height; }
    int CaretPanelWidth() const override { return panelWidth; }
    void SetCaretPanelWidth(int width) override { panelWidth = width; }
    void ProgressLookChanged() override { ++lookChanges; }

    bool wanted = true;
    bool visible = true;
    int height = 19;
    int panelWidth = 65;
    int lookChanges = 0;
};

class BarSettingsDialogTest : public test::SettingsTest {
protected:
    MainOptions m_options;
    FakeStatusBar m_host;

    std::unique_ptr<BarSettingsDialog> Open() {
        return std::make_unique<BarSettingsDialog>(m_options, m_host);
    }
};

TEST_F(BarSettingsDialogTest, opening_reflectsTheMainWindow) {
    m_host.visible = m_host.wanted = false;
    m_host.panelWidth = 0;
    m_options.gaugeVisible = false;
    m_options.infoVisible = false;
    m_options.newGauge = false;
    auto box = Open();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ｽﾃｰﾀｽﾊﾞｰの設定"));
    EXPECT_FALSE(Child<QCheckBox>(*box, "statusBarBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "caretPanelBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "caretPanelBox")->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(*box, "hintPanelBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "hintPanelBox")->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(*box, "progressDisplayBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "progressLabelBox")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "progressLabelBox")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(*box, "systemBarButton")->isEnabled());
    EXPECT_TRUE(Child<QRadioButton>(*box, "blockGaugeButton")->isChecked());
    EXPECT_FALSE(box->IsPreviewRunning());
}

TEST_F(BarSettingsDialogTest, previews_cycleInStepsOfFiveWhileDisplayIsTicked) {
    auto box = Open();
    auto* bar = Child<QProgressBar>(*box, "systemBarPreview");
    auto* gauge = Child<Gauge>(*box, "blockGaugePreview");
    EXPECT_TRUE(box->IsPreviewRunning());
    EXPECT_TRUE(Child<QRadioButton>(*box, "systemBarButton")->isChecked());
    for (int i = 0; i < 20; ++i)
        box->AdvancePreviews();
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(gauge->Progress(), 100);
    box->AdvancePreviews();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(gauge->Progress(), 0);
    box->AdvancePreviews();
    box->AdvancePreviews();
    EXPECT_EQ(bar->value(), 10);

    auto* display = Child<QCheckBox>(*box, "progressDisplayBox");
    display->setChecked(false);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(gauge->Progress(), 0);
    EXPECT_FALSE(box->IsPreviewRunning());
    display->setChecked(true);
    EXPECT_TRUE(box->IsPreviewRunning());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(BarSettingsDialogTest, ok_appliesEverySwitchAtOnce) {
    auto box = Open();
    Child<QCheckBox>(*box, "statusBarBox")->setChecked(false);
    Child<QCheckBox>(*box, "progressLabelBox")->setChecked(false);
    Child<QRadioButton>(*box, "blockGaugeButton")->setChecked(true);
    Child<QPushButton>(*box, "okButton")->click();
    EXPECT_EQ(box->result(), QDialog::Accepted);
    EXPECT_FALSE(m_host.wanted);
    EXPECT_FALSE(m_host.visible);
    // The disabled caret box is applied with the tick it shows.
    EXPECT_EQ(m_host.panelWidth, 65);
    EXPECT_TRUE(m_options.gaugeVisible);
    EXPECT_FALSE(m_options.infoVisible);
    EXPECT_FALSE(m_options.newGauge);
    EXPECT_EQ(m_host.lookChanges, 1);
}

TEST_F(BarSettingsDialogTest, caretPanelWidth_scalesWithTheStatusBarHeight) {
    const struct {
        bool ticked;
        int height;
        int width;
    } cases[] = {{true, 19, 65}, {true, 25, 85}, {true, 20, 68}, {false, 19, 0}, {true, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CaretPanelWidthFor(c.ticked, c.height), c.width) << c.height;
        m_host.height = c.height;
        m_host.panelWidth = 65;
        auto box = Open();
        Child<QCheckBox>(*box, "caretPanelBox")->setChecked(c.ticked);
        Child<QPushButton>(*box, "okButton")->click();
        EXPECT_EQ(m_host.panelWidth, c.width) << c.height;
    }
}

TEST_F(BarSettingsDialogTest, cancel_changesNothing) {
    auto box = Open();
    Child<QCheckBox>(*box, "statusBarBox")->setChecked(false);
    Child<QCheckBox>(*box, "progressDisplayBox")->setChecked(false);
    Child<QPushButton>(*box, "cancelButton")->click();
    EXPECT_TRUE(m_host.visible);
    EXPECT_TRUE(m_options.gaugeVisible);
    EXPECT_FALSE(box->IsPreviewRunning());
    EXPECT_EQ(m_host.lookChanges, 0);
}

TEST_F(BarSettingsDialogTest, ok_storesTheStatusBarKeys) {
    m_host.height = 22;
    auto box = Open();
    Child<QCheckBox>(*box, "progressLabelBox")->setChecked(false);
    Child<QRadioButton>(*box, "blockGaugeButton")->setChecked(true);
    box->move(70, 80);
    Child<QPushButton>(*box, "okButton")->click();
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 1);
    EXPECT_EQ(keys::kPanelVisible1.ReadOr(ProgramSettings(), -1), 75);
    EXPECT_EQ(keys::kGaugeVisible.ReadOr(ProgramSettings(), -1), 1);
    EXPECT_EQ(keys::kInfoVisible.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kNewGauge.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kSetBarTop.Read(ProgramSettings()), 80);
    EXPECT_EQ(keys::kSetBarLeft.Read(ProgramSettings()), 70);
}

TEST_F(BarSettingsDialogTest, cancel_storesOnlyThePlacement) {
    auto box = Open();
    box->move(5, 6);
    box->reject();
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), -1);
    EXPECT_EQ(keys::kNewGauge.ReadOr(ProgramSettings(), -1), -1);
    EXPECT_EQ(keys::kSetBarTop.Read(ProgramSettings()), 6);
    EXPECT_EQ(keys::kSetBarLeft.Read(ProgramSettings()), 5);
}

TEST_F(BarSettingsDialogTest, statusToggle_flipsTheBarAndStoresIt) {
    ToggleStatusBar(m_host);
    EXPECT_FALSE(m_host.wanted);
    EXPECT_FALSE(m_host.visible);
    ToggleStatusBar(m_host);
    EXPECT_TRUE(m_host.wanted);
    EXPECT_TRUE(m_host.visible);
}

TEST_F(BarSettingsDialogTest, statusToggle_storesVisible) {
    ToggleStatusBar(m_host);
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 0);
    ToggleStatusBar(m_host);
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 1);
}

} // namespace
} // namespace lh
