#pragma once

// The main window: the collection grid over the document's table store, the progress strip,
// the status bar with its two panels, and the menus. Split by subsystem: MainWindow.cpp (layout,
// caption), MainWindowMenus.cpp (menus), MainWindowEdit.cpp (record editing, done by the grid),
// MainWindowStartup.cpp (creation and deferred start-up), MainWindowClose.cpp (close check, Esc,
// pointer hints), MainWindowFont.cpp (display font and document title), MainWindowLaunch.cpp
// (access, browser view, help), MainWindowSettings.cpp (status bar, settings dialogs, about box),
// MainWindowScan.cpp (filling the table from a file, scan options), MainWindowDrop.cpp (files and
// links dropped on the window), MainWindowExchange.cpp (import and export).

#include "ForwardingFileChooser.h"
#include "ForwardingMessageBox.h"
#include "core/Document.h"
#include "core/DroppedLinks.h"
#include "core/ExchangeCommands.h"
#include "core/FileCommands.h"
#include "core/History.h"
#include "core/LaunchCommands.h"
#include "core/ScanCommands.h"
#include "core/UserInterface.h"
#include "dialogs/StatusBarHost.h"

#include <QFont>
#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;

namespace lh {

class ActivationServer;
class CollectionGrid;
class CollectionModel;
class CollectionView;
class GaugeBar;
class QtBusyCursor;
class QtFileChooser;
class QtMessageBox;

class MainWindow : public QMainWindow,
                   public StatusBarHost,
                   private DocumentView,
                   private ScanFinisher {
    Q_OBJECT
public:
    // Designed client area below the menu bar.
    static constexpr int kClientWidth = 427;
    static constexpr int kClientHeight = 252;
    static constexpr int kStatusBarHeight = 19;

    explicit MainWindow(QWidget* parent = nullptr);
    // Placement of a window whose size and place are left to the system, on the screen area
    // `available` (the screen without panels and docks).
    static QRect SystemChosenGeometry(const QRect& available);
    ~MainWindow() override;

    Document& Doc() noexcept { return m_doc; }
    CollectionView* Grid() const noexcept { return m_grid; }
    CollectionModel* Model() const noexcept;
    CollectionGrid& GridEditing() const noexcept { return *m_collectionGrid; }
    GaugeBar* Progress() const noexcept { return m_gaugeBar; }
    QLabel* PositionPanel() const noexcept { return m_positionPanel; }
    QLabel* HintPanel() const noexcept { return m_hintPanel; }
    QAction* Item(const char* name) const;
    // A hint is "short|long": the long part is the status-bar text, the short one the tooltip.
    static void ApplyHint(QAction* item, const std::string& hint);

    // The ways core routines reach the user. Tests put scripted stand-ins in place.
    MessageBoxService& MessageBoxes() noexcept { return *m_messages; }
    void SetMessageBoxService(MessageBoxService* service) noexcept;
    FileChooser& FileDialogs() noexcept;
    void SetFileChooser(FileChooser* chooser) noexcept;
    BusyCursor& Busy() noexcept;
    ProgressSink& ProgressDisplay() noexcept;

    FileCommands& Files() noexcept { return *m_files; }
    History& RecentFiles() noexcept { return m_history; }
    MainOptions& Options() noexcept { return m_options; }

    // Collection table.
    void MarkModified();
    void ClearTable();
    void UpdateReloadCommand();
    // Font, row height, title, column widths; the grid stays hidden until a document is set up.
    void TableSetup(const QFont& displayFont);
    // A new, empty collection after the change prompt, as the New command does it.
    void NewDocument();

    // Record editing.
    void DeleteRecord();
    void InsertRecord();

    // The deferred start-up, run once by the one-shot timer as soon as the event loop runs.
    void DeferredStartup();

    // A refused start asked this window to come to the front.
    void ActivateFromAnotherStart();
    int ActivationCount() const noexcept { return m_activations; }

    void SetHelpFile(const QString& path) { m_helpFile = path; }
    const QString& HelpFile() const noexcept { return m_helpFile; }

    // Start-up, close and display commands.
    // The command-line parameters after the program's name, as the platform's path strings (not
    // decoded, so a name in any encoding the file system holds reaches the start-up unchanged).
    void SetStartupParameters(std::vector<std::string> parameters) {
        m_startupParameters = std::move(parameters);
    }
    void ChooseFont();
    void EditTitle();
    // The font the font dialog starts with, which is the grid's font.
    const QFont& DisplayFont() const noexcept { return m_displayFont; }
    bool PopupHintsShown() const noexcept { return m_showHints; }
    // The font dialog and the input box; tests put scripted stand-ins in place.
    using FontChooser = std::function<std::optional<QFont>(const QFont& current)>;
    using TextInput = std::function<std::optional<QString>(
        const QString& caption, const QString& prompt, const QString& text, int maxLength)>;
    void SetFontChooser(FontChooser chooser) { m_fontChooser = std::move(chooser); }
    void SetTextInput(TextInput input) { m_textInput = std::move(input); }

    // Filling the table from a file, and the grid's steps after it.
    void ScanFileForUrls();
    void ScanFileForEmails();
    void FinishScan() override;
    void ShowScanReport(const ScanOutcome& outcome) override;
    // Scan options of the Edit menu: each change is stored at once.
    void ToggleHttpsScan();
    void SetScanEncoding(EncodingChoice choice);
    // What the status bar's text panel says after a scan or a drop.
    QString StatusReport() const;

    // Records in from bookmark, CSV and JSON files, and out to them.
    void ImportFromFile();
    void ExportToFile();
    ExchangeCommands& Exchange() noexcept { return *m_exchange; }

    // Launching, settings and about commands.
    void AccessRecord();
    void OpenCollectionPage();
    void ToggleStatusBar();
    void ShowBarSettings();
    void ShowOtherSettings();
    void ShowAbout();
    // The help document's part for a dialog's help topic.
    void ShowHelpTopic(int topic);
    // Replaces how addresses and documents go to the desktop's handlers (tests record them).
    void SetOpener(LaunchCommands::Opener opener);

    // StatusBarHost: the status bar, its menu item and the progress display's look.
    bool IsStatusBarWanted() const override { return m_statusWanted; }
    void SetStatusBarWanted(bool on) override;
    bool IsStatusBarVisible() const override;
    int StatusBarHeight() const override;
    int CaretPanelWidth() const override;
    void SetCaretPanelWidth(int width) override;
    // Width the caret panel needs for row numbers of `rowDigits` digits in its font.
    int CaretPanelWidthFor(int rowDigits) const;
    void ProgressLookChanged() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RestoreWindowState();
    void CreateGrid();
    void CreateStatusBar();
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateSettingsMenu();
    void CreateHelpMenu();
    void ConnectScanCommands();
    void ConnectLaunchCommands();
    void ConnectSettingsCommands();
    // DocumentView: how the file commands reach the window.
    void ShowTable(bool visible) override;
    void TableReplaced() override;
    void UpdateReloadCommand(bool enabled) override;
    void HistoryChanged() override;

    // Runs a file command with the grid's editor closed first.
    void RunFileCommand(void (FileCommands::*command)());
    void DisplayHint(const QString& longHint);
    void ApplyCaption(const std::string& caption);
    // Start-up and close.
    void RestoreOptions();
    void RestoreScanOptions();
    void ShowScanOptions();
    void ShowStatusReport(const QString& text);
    // Files dropped are scanned for URLs in order; links become records.
    void DropFiles(const std::vector<std::string>& paths);
    void DropLinks(const std::vector<DroppedLink>& links);
    void RestoreDisplayFont();
    void ApplyFontColor();
    void ApplyStartupWindowState();
    bool ConfirmClose();
    void ShowHintFor(QWidget* widget);
    // Widens the caret panel while the largest row number would not fit in the set width.
    void FitCaretPanel();

    Document m_doc;
    CollectionGrid* m_collectionGrid = nullptr;
    CollectionView* m_grid = nullptr; // the grid's view
    GaugeBar* m_gaugeBar = nullptr;
    QLabel* m_positionPanel = nullptr;
    QLabel* m_hintPanel = nullptr;
    QTimer* m_startupTimer = nullptr;
    ActivationServer* m_activation = nullptr;
    std::unique_ptr<QtMessageBox> m_ownMessages;
    std::unique_ptr<QtFileChooser> m_fileChooser;
    std::unique_ptr<QtBusyCursor> m_busyCursor;
    MessageBoxService* m_messages = nullptr;
    // Core routines keep the reference they were given; these follow the Set… calls.
    ForwardingMessageBox m_forwardingMessages{&m_messages};
    FileChooser* m_chooser = nullptr;
    ForwardingFileChooser m_forwardingChooser{&m_chooser};
    History m_history;
    MainOptions m_options;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<LaunchCommands> m_launch;
    std::unique_ptr<ScanCommands> m_scans;
    std::unique_ptr<ExchangeCommands> m_exchange;
    bool m_statusWanted = true;
    int m_caretPanelWidth = 65; // as set (the stored "PanelVisible1"); the panel may be wider
    int m_caretDigits = 0;      // digits of the row count the panel was fitted to
    QString m_helpFile;
    QString m_statusReport; // what the last scan or drop did, shown while nothing else is
    int m_activations = 0;
    bool m_startedUp = false;
    // Start-up, close and display state.
    std::vector<std::string> m_startupParameters;
    QFont m_displayFont;
    std::int32_t m_fontColor = 0;
    std::string m_fontName; // as stored: "System" stands for the toolkit's default face
    FontChooser m_fontChooser;
    TextInput m_textInput;
    bool m_hintsBound = false;
    bool m_showHints = true;
    bool m_startupDone = false;
    bool m_closeChecking = false;
    bool m_closePending = false;
};

} // namespace lh
