#include "CollectionView.h"
#include "MainWindow.h"
#include "core/CloseSettings.h"
#include "core/UsageRecord.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace lh {

namespace {
constexpr const char* kExitQuestion = "プログラムを終了してもよろしいですか？";
} // namespace

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close asked for while the check is already asking (a second request arriving during
    // its message box) is answered by the check that runs.
    if (m_closeChecking) {
        event->ignore();
        return;
    }
    // Until the deferred start-up has finished the window holds defaults, not the user's
    // settings; closing then would overwrite the stored ones with them. The close waits for it.
    if (!m_startupDone) {
        m_closePending = true;
        event->ignore();
        return;
    }
    const QScopedValueRollback<bool> checking(m_closeChecking, true);
    event->setAccepted(ConfirmClose());
}

bool MainWindow::ConfirmClose() {
    // The change prompt must see what is being typed into a cell.
    m_grid->FinishEditing();
    if (!m_files->OfferToSaveChanges())
        return false;
    if (keys::kEndMsg.IsOn(ProgramSettings()) &&
        m_messages->ShowMessageBox(kExitQuestion, std::string(), kConfirmStyle) != Answer::Yes)
        return false;

    CloseState state;
    for (int column = 0; column < TableStore::kColumnCount; ++column)
        state.columnWidths[static_cast<std::size_t>(column)] = m_grid->ColumnWidth(column);
    state.windowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    // Only the normal state's placement is stored, and then the geometry is the normal one.
    const QRect placement = geometry();
    state.top = placement.top();
    state.left = placement.left();
    state.height = placement.height();
    state.width = placement.width();
    state.historySlots = m_history.HistorySlots();
    state.openDialog = {m_files->OpenDialog().dir, m_files->OpenDialog().filterIndex};
    state.saveDialog = {m_files->SaveDialog().dir, m_files->SaveDialog().filterIndex};
    state.addDialog = {m_options.addDir, m_options.addFilter};
    state.currentFile = m_doc.CurrentFile();
    WriteCloseSettings(ProgramSettings(), state, ProcessUsageRecord(), *m_messages);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    QWidget* widget = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
    const bool inThisWindow = widget && widget->window() == this;
    switch (event->type()) {
    case QEvent::KeyPress:
        // Seen before the focused control, so Esc closes even from a cell's editor.
        if (inThisWindow && m_options.escToClose &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (!m_showHints)
            return true;
        break;
    case QEvent::Enter:
        if (inThisWindow)
            ShowHintFor(widget);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ShowHintFor(QWidget* widget) {
    // A control without a hint of its own shows its parent's; the table has none, so over it
    // the window's own hint (the loaded file) is shown.
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == this) {
            DisplayHint(QString::fromStdString(m_doc.Hint()));
            return;
        }
        if (!w->statusTip().isEmpty()) {
            DisplayHint(w->statusTip());
            return;
        }
    }
}

} // namespace lh
