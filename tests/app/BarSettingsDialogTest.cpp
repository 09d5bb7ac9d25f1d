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

class SetBarBoxTest : public test::SettingsTest {
protected:
    MainOptions m_options;
    FakeStatusBar m_host;

    std::unique_ptr<BarSettingsDialog> Open() {
        return std::make_unique<BarSettingsDialog>(m_options, m_host);
    }
};

TEST_F(SetBarBoxTest, opening_reflectsTheMainWindow) {
    m_host.visible = m_host.wanted = false;
    m_host.panelWidth = 0;
    m_options.gaugeVisible = false;
    m_options.infoVisible = false;
    m_options.newGauge = false;
    auto box = Open();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ｽﾃｰﾀｽﾊﾞｰの設定"));
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox4")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox5")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox5")->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(*box, "CheckBox7")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox7")->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox8")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox9")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(*box, "CheckBox9")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(*box, "RadioButton1")->isEnabled());
    EXPECT_TRUE(Child<QRadioButton>(*box, "RadioButton2")->isChecked());
    EXPECT_FALSE(box->IsPreviewRunning());
}

TEST_F(SetBarBoxTest, previews_cycleInStepsOfFiveWhileDisplayIsTicked) {
    auto box = Open();
    auto* bar = Child<QProgressBar>(*box, "ProgressBar1");
    auto* gauge = Child<Gauge>(*box, "Gauge1");
    EXPECT_TRUE(box->IsPreviewRunning());
    EXPECT_TRUE(Child<QRadioButton>(*box, "RadioButton1")->isChecked());
    for (int i = 0; i < 20; ++i)
        box->Timer1Timer();
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(gauge->Progress(), 100);
    box->Timer1Timer();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(gauge->Progress(), 0);
    box->Timer1Timer();
    box->Timer1Timer();
    EXPECT_EQ(bar->value(), 10);

    auto* display = Child<QCheckBox>(*box, "CheckBox8");
    display->setChecked(false);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(gauge->Progress(), 0);
    EXPECT_FALSE(box->IsPreviewRunning());
    display->setChecked(true);
    EXPECT_TRUE(box->IsPreviewRunning());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(SetBarBoxTest, ok_appliesEverySwitchAtOnce) {
    auto box = Open();
    Child<QCheckBox>(*box, "CheckBox4")->setChecked(false);
    Child<QCheckBox>(*box, "CheckBox9")->setChecked(false);
    Child<QRadioButton>(*box, "RadioButton2")->setChecked(true);
    Child<QPushButton>(*box, "BitBtn1")->click();
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

TEST_F(SetBarBoxTest, caretPanelWidth_scalesWithTheStatusBarHeight) {
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
        Child<QCheckBox>(*box, "CheckBox5")->setChecked(c.ticked);
        Child<QPushButton>(*box, "BitBtn1")->click();
        EXPECT_EQ(m_host.panelWidth, c.width) << c.height;
    }
}

TEST_F(SetBarBoxTest, cancel_changesNothing) {
    auto box = Open();
    Child<QCheckBox>(*box, "CheckBox4")->setChecked(false);
    Child<QCheckBox>(*box, "CheckBox8")->setChecked(false);
    Child<QPushButton>(*box, "BitBtn2")->click();
    EXPECT_TRUE(m_host.visible);
    EXPECT_TRUE(m_options.gaugeVisible);
    EXPECT_FALSE(box->IsPreviewRunning());
    EXPECT_EQ(m_host.lookChanges, 0);
}

TEST_F(SetBarBoxTest, ok_storesTheStatusBarKeys) {
    m_host.height = 22;
    auto box = Open();
    Child<QCheckBox>(*box, "CheckBox9")->setChecked(false);
    Child<QRadioButton>(*box, "RadioButton2")->setChecked(true);
    box->move(70, 80);
    Child<QPushButton>(*box, "BitBtn1")->click();
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 1);
    EXPECT_EQ(keys::kPanelVisible1.ReadOr(ProgramSettings(), -1), 75);
    EXPECT_EQ(keys::kGaugeVisible.ReadOr(ProgramSettings(), -1), 1);
    EXPECT_EQ(keys::kInfoVisible.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kNewGauge.ReadOr(ProgramSettings(), -1), 0);
    EXPECT_EQ(keys::kSetBarTop.Read(ProgramSettings()), 80);
    EXPECT_EQ(keys::kSetBarLeft.Read(ProgramSettings()), 70);
}

TEST_F(SetBarBoxTest, cancel_storesOnlyThePlacement) {
    auto box = Open();
    box->move(5, 6);
    box->reject();
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), -1);
    EXPECT_EQ(keys::kNewGauge.ReadOr(ProgramSettings(), -1), -1);
    EXPECT_EQ(keys::kSetBarTop.Read(ProgramSettings()), 6);
    EXPECT_EQ(keys::kSetBarLeft.Read(ProgramSettings()), 5);
}

TEST_F(SetBarBoxTest, statusToggle_flipsTheBarAndStoresIt) {
    ToggleStatusBar(m_host);
    EXPECT_FALSE(m_host.wanted);
    EXPECT_FALSE(m_host.visible);
    ToggleStatusBar(m_host);
    EXPECT_TRUE(m_host.wanted);
    EXPECT_TRUE(m_host.visible);
}

TEST_F(SetBarBoxTest, statusToggle_storesVisible) {
    ToggleStatusBar(m_host);
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 0);
    ToggleStatusBar(m_host);
    EXPECT_EQ(keys::kStatusVisible.ReadOr(ProgramSettings(), -1), 1);
}

} // namespace
} // namespace lh
