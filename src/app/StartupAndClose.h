#pragma once

// The main window's start-up and close sequence: placement restored at creation, the deferred
// start-up (settings, history, font, the start-up document), and the close check that stores
// the placement, the column widths, the dialogs' places and the usage record.

#include <QRect>
#include <string>
#include <vector>

class QMainWindow;

namespace lh {

class CollectionView;
class DisplayFontAndTitle;
class Document;
class ExchangeCommands;
class FileCommands;
class GaugeBar;
class History;
class MessageBoxService;
struct MainOptions;

// Whether another instance held the single-instance guard when this one started.
enum class StartedAs { FirstInstance, SecondInstance };

class StartupAndClose final {
public:
    struct Parts {
        QMainWindow& window;
        Document& doc;
        MainOptions& options;
        History& history;
        FileCommands& files;
        ExchangeCommands& exchange;
        GaugeBar& progress;
        CollectionView& grid;
        DisplayFontAndTitle& fontAndTitle;
        MessageBoxService& messages;
    };

    StartupAndClose(Parts parts, StartedAs startedAs);

    // Placement of a window whose size and place are left to the system, on the screen area
    // `available` (the screen without panels and docks).
    static QRect SystemChosenGeometry(const QRect& available);

    // The stored placement, or the system's choice; at creation.
    void RestorePlacement();

    // The deferred start-up in its steps. BeginStartup is true only the first time.
    bool BeginStartup();
    void RestoreSettings();
    void OpenStartupDocument(const std::vector<std::string>& parameters);
    bool PopupHintsShown() const noexcept { return m_showHints; }

    // A close request: whether the window may close now. One that comes during the start-up
    // waits for it; one that comes while the check asks is answered by that check.
    bool CloseRequested();

private:
    void RestoreOptions();
    void ApplyStartupWindowState();
    bool ConfirmClose();

    Parts m_parts;
    StartedAs m_startedAs;
    bool m_startedUp = false;
    bool m_startupDone = false;
    bool m_closeChecking = false;
    bool m_closePending = false;
    bool m_showHints = true;
};

} // namespace lh
