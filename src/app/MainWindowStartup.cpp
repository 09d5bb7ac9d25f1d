#include "CollectionView.h"
#include "GaugeBar.h"
#include "MainWindow.h"
#include "PlatformPath.h"
#include "core/ProcessState.h"
#include "core/StartupRules.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SplashStep.h"
#include "platform/FileSystem.h"
#include "util/SettingKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace lh {

QRect MainWindow::SystemChosenGeometry(const QRect& available) {
    // What the desktop gives a new window of a program that leaves its size to the system:
    // three quarters of the width and two thirds of the height of the free screen area, centred.
    const QSize size(available.width() * 3 / 4, available.height() * 2 / 3);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(available.center());
    return placed;
}

void MainWindow::RestoreWindowState() {
    ApplyCaption(m_doc.Caption());

    // Placement. The stored values are the client geometry the toolkit places (what the close
    // writes back), so a window comes back exactly where it was, frame or none.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    const MainPlacement placement =
        RestoreMainPlacement(ProgramSettings(), SecondInstance, screenSize.width(),
                             screenSize.height(), width(), height());
    if (!placement.systemChooses)
        setGeometry(placement.left, placement.top, placement.width, placement.height);
    else if (screen)
        setGeometry(SystemChosenGeometry(screen->availableGeometry()));

    const int panelWidth = lh::CaretPanelWidth(ProgramSettings(), statusBar()->height());
    if (panelWidth >= 0)
        SetCaretPanelWidth(panelWidth);

    // The display commands live with this file's neighbours; wired here, beside their restore.
    connect(Item("SetFontItem"), &QAction::triggered, this, &MainWindow::ChooseFont);
    connect(Item("SetTitleItem"), &QAction::triggered, this, &MainWindow::EditTitle);
}

void MainWindow::DeferredStartup() {
    m_startupTimer->stop();
    if (m_startedUp)
        return;
    m_startedUp = true;

    const QString helpName = m_helpFile.isEmpty() ? QStringLiteral("Linkhive.hlp") : m_helpFile;
    SetHelpFile(
        FromPlatformPath(platform::JoinPath(platform::ProgramDir(), ToPlatformPath(helpName))));

    // Hints of what lies under the pointer or is highlighted go to the status bar from now on;
    // the same filter sees Esc before the focused control does.
    QCoreApplication::instance()->installEventFilter(this);
    m_hintsBound = true;

    RestoreOptions();
    m_history.LoadFromSettings(ProgramSettings());
    m_files->OpenDialog() = {keys::kOpenDir.Read(ProgramSettings()),
                             keys::kOpenFilter.Read(ProgramSettings())};
    m_files->SaveDialog() = {keys::kSaveDir.Read(ProgramSettings()),
                             keys::kSaveFilter.Read(ProgramSettings())};
    m_options.addDir = keys::kAddDir.Read(ProgramSettings());
    m_options.addFilter = keys::kAddFilter.Read(ProgramSettings());
    RestoreScanOptions();
    m_files->RebuildHistoryMenu();

    m_options.gaugeVisible = keys::kGaugeVisible.IsOn(ProgramSettings());
    m_options.infoVisible = keys::kInfoVisible.IsOn(ProgramSettings());
    m_options.newGauge = keys::kNewGauge.IsNotOff(ProgramSettings());
    m_gaugeBar->SetGaugeVisible(m_options.gaugeVisible);
    m_gaugeBar->SetInfoVisible(m_options.infoVisible);
    m_gaugeBar->SetNewGauge(m_options.newGauge);

    RestoreDisplayFont();
    TableSetup(m_displayFont);

    m_files->OpenStartupDocument(
        StartupDocument(ProgramSettings(), StartupFileName(m_startupParameters)));

    ReleaseSplash();
    ApplyStartupWindowState();

    // A close asked for before the start-up had finished (the start-up file's prompts let the
    // loop run) waited for it.
    m_startupDone = true;
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void MainWindow::RestoreOptions() {
    m_options.escToClose = keys::kEscToClose.IsOn(ProgramSettings());
    m_options.openToSave = keys::kOpenToSave.IsOn(ProgramSettings());
    m_options.backFile = keys::kBackFile.Read(ProgramSettings());
    // Pop-up hints stay on unless switched off with exactly 0.
    m_showHints = keys::kShowHint.IsNotOff(ProgramSettings());
    m_options.fileHistOpen = keys::kFileHistOpen.IsOn(ProgramSettings());
    m_options.fileHistSave = keys::kFileHistSave.IsOn(ProgramSettings());
}

void MainWindow::ApplyStartupWindowState() {
    // How the launcher or the window system brought the window up, in the stored codes.
    const int launchState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    switch (StartupWindowState(ProgramSettings(), launchState)) {
    case 1:
        setWindowState(windowState() | Qt::WindowMinimized);
        break;
    case 2:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

} // namespace lh
