#pragma once

// The main window's status bar: the caret-position panel, the hint panel that also keeps the
// last scan's report, and whether the bar is wanted. The progress strip takes the bar's place
// while a pass runs.

#include "dialogs/StatusBarHost.h"

#include <QString>
#include <cstdint>

class QAction;
class QLabel;
class QStatusBar;

namespace lh {

class GaugeBar;
struct MainOptions;

class StatusBarPanels final : public StatusBarHost {
public:
    static constexpr int kHeight = 19;

    StatusBarPanels(QStatusBar* bar, MainOptions& options);

    // The progress strip and the menu item that toggles the bar exist after the panels.
    void Attach(GaugeBar* progress, QAction* toggle);

    QLabel* PositionPanel() const noexcept { return m_positionPanel; }
    QLabel* HintPanel() const noexcept { return m_hintPanel; }

    // The panel width stored for this bar's height, at creation.
    void RestoreCaretPanelWidth();
    // Widens the caret panel while the largest row number would not fit in the set width.
    void FitCaretPanel(int rowCount);
    // Width the caret panel needs for row numbers of `rowDigits` digits in its font.
    int CaretPanelWidthFor(int rowDigits) const;

    // A hint of what lies under the pointer; `idleHint` is the document's own. A scan's report
    // stays until a hint of something else takes its place.
    void ShowHint(const QString& longHint, const QString& idleHint);
    void ShowReport(const QString& text);
    void ForgetReport() { m_report.clear(); }
    QString HintText() const;

    // StatusBarHost: the status bar, its menu item and the progress display's look.
    bool IsStatusBarWanted() const override { return m_wanted; }
    void SetStatusBarWanted(bool on) override;
    bool IsStatusBarVisible() const override;
    int StatusBarHeight() const override;
    int CaretPanelWidth() const override;
    void SetCaretPanelWidth(int width) override;
    void ProgressLookChanged() override;

private:
    QStatusBar* m_bar;
    MainOptions& m_options;
    QLabel* m_positionPanel = nullptr;
    QLabel* m_hintPanel = nullptr;
    GaugeBar* m_progress = nullptr;
    QAction* m_toggle = nullptr;
    bool m_wanted = true;
    int m_caretPanelWidth = 65; // as set (the stored "PanelVisible1"); the panel may be wider
    int m_caretDigits = 0;      // digits of the row count the panel was fitted to
    int m_rowCount = 0;
    QString m_report; // what the last scan or drop did, shown while nothing else is
};

} // namespace lh
