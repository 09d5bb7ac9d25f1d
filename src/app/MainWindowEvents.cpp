#include "CollectionView.h"
#include "FindBar.h"
#include "MainWindow.h"
#include "StatusBarPanels.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QStatusTipEvent>

namespace lh {

void MainWindow::closeEvent(QCloseEvent* event) {
    event->setAccepted(m_lifecycle->CloseRequested());
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // Taken here in every case: the toolkit's own handling would cover the panels.
        if (m_hintsBound)
            m_statusBar->ShowHint(static_cast<QStatusTipEvent*>(event)->tip(),
                                  QString::fromStdString(m_doc.Hint()));
        return true;
    }
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    QWidget* widget = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
    const bool inThisWindow = widget && widget->window() == this;
    switch (event->type()) {
    case QEvent::KeyPress:
        // Seen before the focused control. In the find bar Esc closes the bar, in a cell's
        // editor it cancels the edit; elsewhere it closes the window when so set.
        if (inThisWindow && m_options.escToClose &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !(m_findBar && m_findBar->isAncestorOf(widget)) && !EditingCell(widget)) {
            close();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (!m_lifecycle->PopupHintsShown())
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

bool MainWindow::EditingCell(const QWidget* widget) const {
    return m_grid->IsEditing() && m_grid->isAncestorOf(widget);
}

void MainWindow::ShowHintFor(QWidget* widget) {
    // A control without a hint of its own shows its parent's; the table has none, so over it
    // the window's own hint (the loaded file) is shown.
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const QString idle = QString::fromStdString(m_doc.Hint());
        if (w == this) {
            m_statusBar->ShowHint(idle, idle);
            return;
        }
        if (!w->statusTip().isEmpty()) {
            m_statusBar->ShowHint(w->statusTip(), idle);
            return;
        }
    }
}

} // namespace lh
