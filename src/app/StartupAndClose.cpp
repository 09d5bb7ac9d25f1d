#include "StartupAndClose.h"

#include "CollectionView.h"
#include "DisplayFontAndTitle.h"
#include "GaugeBar.h"
#include "core/CloseSettings.h"
#include "core/Document.h"
#include "core/ExchangeCommands.h"
#include "core/FileCommands.h"
#include "core/History.h"
#include "core/MainOptions.h"
#include "core/StartupRules.h"
#include "core/TableLayout.h"
#include "core/UsageRecord.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SplashStep.h"
#include "util/SettingKeys.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScopedValueRollback>
#include <QScreen>

namespace lh {

namespace {
constexpr const char* kExitQuestion = "プログラムを終了してもよろしいですか？";
} // namespace

StartupAndClose::StartupAndClose(Parts parts, StartedAs startedAs)
    : m_parts(parts), m_startedAs(startedAs) {}

QRect StartupAndClose::SystemChosenGeometry(const QRect& available) {
    // What the desktop gives a new window of a program that leaves its size to the system:
    // three quarters of the width and two thirds of the height of the free screen area, centred.
    const QSize size(available.width() * 3 / 4, available.height() * 2 / 3);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(available.center());
    return placed;
}

void StartupAndClose::RestorePlacement() {
    // The stored values are the client geometry the toolkit places (what the close writes
    // back), so a window comes back exactly where it was, frame or none.
    QMainWindow& window = m_parts.window;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    const MainPlacement placement = RestoreMainPlacement(
        ProgramSettings(), m_startedAs == StartedAs::SecondInstance, screenSize.width(),
        screenSize.height(), window.width(), window.height());
    if (!placement.systemChooses)
        window.setGeometry(placement.left, placement.top, placement.width, placement.height);
    else if (screen)
        window.setGeometry(SystemChosenGeometry(screen->availableGeometry()));
}

bool StartupAndClose::BeginStartup() {
    if (m_startedUp)
        return false;
    m_startedUp = true;
    return true;
}

void StartupAndClose::RestoreSettings() {
    MainOptions& options = m_parts.options;
    FileCommands& files = m_parts.files;
    RestoreOptions();
    m_parts.history.LoadFromSettings(ProgramSettings());
    files.OpenDialog() = {keys::kOpenDir.Read(ProgramSettings()),
                          keys::kOpenFilter.Read(ProgramSettings())};
    files.SaveDialog() = {keys::kSaveDir.Read(ProgramSettings()),
                          keys::kSaveFilter.Read(ProgramSettings())};
    options.addDir = keys::kAddDir.Read(ProgramSettings());
    options.addFilter = keys::kAddFilter.Read(ProgramSettings());
    m_parts.exchange.ImportDialog() = {keys::kImportDir.Read(ProgramSettings()),
                                       keys::kImportFilter.Read(ProgramSettings())};
    m_parts.exchange.ExportDialog() = {keys::kExportDir.Read(ProgramSettings()),
                                       keys::kExportFilter.Read(ProgramSettings())};
    options.scan.encoding = EncodingChoiceNamed(keys::kScanEncoding.Read(ProgramSettings()))
                                .value_or(EncodingChoice::Auto);
    options.scan.https = keys::kScanHttps.IsOn(ProgramSettings());
    files.RebuildHistoryMenu();

    options.gaugeVisible = keys::kGaugeVisible.IsOn(ProgramSettings());
    options.infoVisible = keys::kInfoVisible.IsOn(ProgramSettings());
    options.newGauge = keys::kNewGauge.IsNotOff(ProgramSettings());
    m_parts.progress.SetGaugeVisible(options.gaugeVisible);
    m_parts.progress.SetInfoVisible(options.infoVisible);
    m_parts.progress.SetNewGauge(options.newGauge);

    m_parts.fontAndTitle.RestoreDisplayFont();
    m_parts.fontAndTitle.SetUpTable();
}

void StartupAndClose::RestoreOptions() {
    MainOptions& options = m_parts.options;
    options.escToClose = keys::kEscToClose.IsOn(ProgramSettings());
    options.openToSave = keys::kOpenToSave.IsOn(ProgramSettings());
    options.backFile = keys::kBackFile.Read(ProgramSettings());
    // Pop-up hints stay on unless switched off with exactly 0.
    m_showHints = keys::kShowHint.IsNotOff(ProgramSettings());
    options.fileHistOpen = keys::kFileHistOpen.IsOn(ProgramSettings());
    options.fileHistSave = keys::kFileHistSave.IsOn(ProgramSettings());
}

void StartupAndClose::OpenStartupDocument(const std::vector<std::string>& parameters) {
    m_parts.files.OpenStartupDocument(
        StartupDocument(ProgramSettings(), StartupFileName(parameters)));

    ReleaseSplash();
    ApplyStartupWindowState();

    // A close asked for before the start-up had finished (the start-up file's prompts let the
    // loop run) waited for it.
    m_startupDone = true;
    if (m_closePending) {
        m_closePending = false;
        m_parts.window.close();
    }
}

void StartupAndClose::ApplyStartupWindowState() {
    QMainWindow& window = m_parts.window;
    // How the launcher or the window system brought the window up, in the stored codes.
    const int launchState = window.isMinimized() ? 1 : window.isMaximized() ? 2 : 0;
    switch (StartupWindowState(ProgramSettings(), launchState)) {
    case 1:
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
        break;
    case 2:
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

bool StartupAndClose::CloseRequested() {
    if (m_closeChecking)
        return false;
    // Until the deferred start-up has finished the window holds defaults, not the user's
    // settings; closing then would overwrite the stored ones with them. The close waits for it.
    if (!m_startupDone) {
        m_closePending = true;
        return false;
    }
    const QScopedValueRollback<bool> checking(m_closeChecking, true);
    return ConfirmClose();
}

bool StartupAndClose::ConfirmClose() {
    // The change prompt must see what is being typed into a cell.
    m_parts.grid.FinishEditing();
    FileCommands& files = m_parts.files;
    if (!files.OfferToSaveChanges())
        return false;
    if (keys::kEndMsg.IsOn(ProgramSettings()) &&
        m_parts.messages.ShowMessageBox(kExitQuestion, std::string(), kConfirmStyle) != Answer::Yes)
        return false;

    const QMainWindow& window = m_parts.window;
    CloseState state;
    for (int column = 0; column < kGridColumnCount; ++column)
        state.columnWidths[static_cast<std::size_t>(column)] = m_parts.grid.ColumnWidth(column);
    state.windowState = window.isMinimized() ? 1 : window.isMaximized() ? 2 : 0;
    // Only the normal state's placement is stored, and then the geometry is the normal one.
    const QRect placement = window.geometry();
    state.top = placement.top();
    state.left = placement.left();
    state.height = placement.height();
    state.width = placement.width();
    state.historySlots = m_parts.history.HistorySlots();
    state.openDialog = {files.OpenDialog().dir, files.OpenDialog().filterIndex};
    state.saveDialog = {files.SaveDialog().dir, files.SaveDialog().filterIndex};
    state.addDialog = {m_parts.options.addDir, m_parts.options.addFilter};
    ExchangeCommands& exchange = m_parts.exchange;
    state.importDialog = {exchange.ImportDialog().dir, exchange.ImportDialog().filterIndex};
    state.exportDialog = {exchange.ExportDialog().dir, exchange.ExportDialog().filterIndex};
    state.currentFile = m_parts.doc.CurrentFile();
    WriteCloseSettings(ProgramSettings(), state, ProcessUsageRecord(), m_parts.messages);
    return true;
}

} // namespace lh
