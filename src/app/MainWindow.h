#pragma once

// The main window: it creates the grid, the progress strip, the status bar, the menus and the
// command objects, and wires them together. Its parts: CollectionGrid (the grid and its
// editing), StatusBarPanels (status bar), DisplayFontAndTitle (display font, document title,
// caption), StartupAndClose (start-up and close sequence), MainActions (the menus' commands, made
// in MainWindowMenus.cpp). The rest is split by subsystem: MainWindowEdit.cpp (record commands
// handed to the grid), MainWindowEvents.cpp (close request, Esc, pointer hints),
// MainWindowLaunch.cpp (access, browser view, help), MainWindowSettings.cpp (settings dialogs,
// about box), MainWindowScan.cpp (scan options and the grid after a scan), MainWindowDrop.cpp
// (files and links dropped on the window).

#include "ForwardingFileChooser.h"
#include "ForwardingMessageBox.h"
#include "MainActions.h"
#include "StartupAndClose.h"
#include "core/Document.h"
#include "core/DroppedLinks.h"
#include "core/ExchangeCommands.h"
#include "core/FileCommands.h"
#include "core/History.h"
#include "core/LaunchCommands.h"
#include "core/RecordFinder.h"
#include "core/ScanCommands.h"
#include "core/UserInterface.h"

#include <QKeySequence>
#include <QMainWindow>
#include <functional>
#include <memory>
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
class DisplayFontAndTitle;
class FindBar;
class GaugeBar;
class QtBusyCursor;
class QtFileChooser;
class QtMessageBox;
class StatusBarPanels;

class MainWindow : public QMainWindow, private DocumentView, private ScanFinisher {
    Q_OBJECT
public:
    // Designed client area below the menu bar.
    static constexpr int kClientWidth = 427;
    static constexpr int kClientHeight = 252;

    explicit MainWindow(StartedAs startedAs = StartedAs::FirstInstance, QWidget* parent = nullptr);
    ~MainWindow() override;

    Document& Doc() noexcept { return m_doc; }
    CollectionView* Grid() const noexcept { return m_grid; }
    CollectionModel* Model() const noexcept;
    CollectionGrid& GridEditing() const noexcept { return *m_collectionGrid; }
    FindBar* Finder() const noexcept { return m_findBar; }
    GaugeBar* Progress() const noexcept { return m_gaugeBar; }
    const MainActions& Actions() const noexcept { return m_actions; }
    QLabel* PositionPanel() const noexcept { return m_positionPanel; }
    StatusBarPanels& StatusPanels() noexcept { return *m_statusBar; }
    const StatusBarPanels& StatusPanels() const noexcept { return *m_statusBar; }
    DisplayFontAndTitle& FontAndTitle() noexcept { return *m_fontAndTitle; }
    const StartupAndClose& Lifecycle() const noexcept { return *m_lifecycle; }
    // A hint is "short|long": the long part is the status-bar text, the short one the tooltip.
    static void ApplyHint(QAction* item, const std::string& hint);

    // The ways core routines reach the user. Tests put scripted stand-ins in place.
    MessageBoxService& MessageBoxes() noexcept { return *m_messages; }
    void SetMessageBoxService(MessageBoxService* service) noexcept;
    void SetFileChooser(FileChooser* chooser) noexcept;
    ProgressSink& ProgressDisplay() noexcept;
    // Replaces how addresses and documents go to the desktop's handlers (tests record them).
    void SetOpener(LaunchCommands::Opener opener);

    FileCommands& Files() noexcept { return *m_files; }
    History& RecentFiles() noexcept { return m_history; }
    MainOptions& Options() noexcept { return m_options; }
    ExchangeCommands& Exchange() noexcept { return *m_exchange; }

    // Collection table.
    void MarkModified();
    void ClearTable();

    // Record editing.
    void DeleteRecord();
    void InsertRecord();
    // Records whose address repeats an earlier one's, as one undoable step, with a message.
    void RemoveDuplicates();

    // The command-line parameters after the program's name, as the platform's path strings (not
    // decoded, so a name in any encoding the file system holds reaches the start-up unchanged).
    void SetStartupParameters(std::vector<std::string> parameters) {
        m_startupParameters = std::move(parameters);
    }
    // The deferred start-up, run once by the one-shot timer as soon as the event loop runs.
    void DeferredStartup();

    // A refused start asked this window to come to the front.
    void ActivateFromAnotherStart();
    int ActivationCount() const noexcept { return m_activations; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a command first stores the text being typed into a cell.
    enum class OpenEditor { Commit, Leave };
    struct CommandText {
        const char* caption;
        const char* hint;                           // "short|long", or none
        QKeyCombination shortcut = Qt::Key_unknown; // none
    };
    // Makes a menu command with its texts and handler, connected to run through RunCommand.
    QAction* AddCommand(QMenu* menu, const CommandText& text, OpenEditor editor,
                        std::function<void()> handler);
    void RunCommand(OpenEditor editor, const std::function<void()>& command);
    void CreateGrid();
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateSettingsMenu();
    void CreateHelpMenu();
    // DocumentView: how the file commands reach the window.
    void ShowTable(bool visible) override;
    void TableReplaced() override;
    void UpdateReloadCommand(bool enabled) override;
    void HistoryChanged() override;
    // ScanFinisher: the grid and the status bar after a scan.
    void FinishScan() override;
    void ShowScanReport(const ScanOutcome& outcome) override;

    void FitCaretPanel();
    // Commands of the menus and the grid.
    void AccessRecord();
    void OpenCollectionPage();
    void ShowHelpTopic(int topic);
    void ShowBarSettings();
    void ShowOtherSettings();
    void ShowAbout();
    // Scan options of the Edit menu: each change is stored at once.
    void ToggleHttpsScan();
    void SetScanEncoding(EncodingChoice choice);
    void ShowScanOptions();
    // Files dropped are scanned for URLs in order; links become records.
    void DropFiles(const std::vector<std::string>& paths);
    void DropLinks(const std::vector<DroppedLink>& links);
    void ShowHintFor(QWidget* widget);
    // The find bar and the view's order (MainWindowFind.cpp).
    void CreateFindBar();
    void CreateFindCommands(QMenu* edit);
    void ShowFindBar();
    void CloseFindBar();
    void ApplyFind();
    void ShowFindCount();
    void StepToMatch(FindDirection direction);
    void ApplyViewOrder();

    Document m_doc;
    CollectionGrid* m_collectionGrid = nullptr;
    CollectionView* m_grid = nullptr; // the grid's view
    FindBar* m_findBar = nullptr;
    bool m_findCountPending = false;
    GaugeBar* m_gaugeBar = nullptr;
    // The status bar's caret-position panel, which the grid's handlers write.
    QLabel* m_positionPanel = nullptr;
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
    MainActions m_actions;
    std::unique_ptr<StatusBarPanels> m_statusBar;
    std::unique_ptr<DisplayFontAndTitle> m_fontAndTitle;
    std::unique_ptr<StartupAndClose> m_lifecycle;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<LaunchCommands> m_launch;
    std::unique_ptr<ScanCommands> m_scans;
    std::unique_ptr<ExchangeCommands> m_exchange;
    int m_activations = 0;
    bool m_hintsBound = false;
    std::vector<std::string> m_startupParameters;
};

} // namespace lh
