#include "MainWindow.h"

#include "ActivationChannel.h"
#include "CollectionGrid.h"
#include "CollectionModel.h"
#include "CollectionView.h"
#include "DisplayFontAndTitle.h"
#include "GaugeBar.h"
#include "QtBusyCursor.h"
#include "QtFileChooser.h"
#include "QtMessageBox.h"
#include "StatusBarPanels.h"
#include "dialogs/FormFont.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace lh {

MainWindow::MainWindow(StartedAs startedAs, QWidget* parent)
    : QMainWindow(parent), m_ownMessages(std::make_unique<QtMessageBox>(this)),
      m_fileChooser(std::make_unique<QtFileChooser>(this)),
      m_busyCursor(std::make_unique<QtBusyCursor>()), m_messages(m_ownMessages.get()),
      m_chooser(m_fileChooser.get()) {
    setObjectName(QStringLiteral("MainWindow"));
    setFont(FormFont(12));

    m_statusBar = std::make_unique<StatusBarPanels>(statusBar(), m_options);
    m_positionPanel = m_statusBar->PositionPanel();
    CreateGrid();
    CreateFindBar();
    FitCaretPanel();
    setAcceptDrops(true);
    m_fontAndTitle =
        std::make_unique<DisplayFontAndTitle>(*this, *m_grid, m_doc, m_forwardingMessages);
    m_files = std::make_unique<FileCommands>(m_doc, m_options, m_forwardingMessages,
                                             m_forwardingChooser, *m_gaugeBar, m_busyCursor.get(),
                                             m_history, static_cast<DocumentView&>(*this));
    m_launch = std::make_unique<LaunchCommands>(m_doc, LaunchCommands::Opener{},
                                                LaunchCommands::TimeText{}, &m_forwardingMessages);
    m_scans = std::make_unique<ScanCommands>(m_doc, m_forwardingChooser, m_forwardingMessages,
                                             *m_gaugeBar, m_busyCursor.get(),
                                             static_cast<ScanFinisher&>(*this), m_options);
    m_exchange = std::make_unique<ExchangeCommands>(m_doc, m_forwardingChooser,
                                                    m_forwardingMessages, *m_gaugeBar,
                                                    m_busyCursor.get(), [this] { FinishScan(); });
    m_lifecycle = std::make_unique<StartupAndClose>(
        StartupAndClose::Parts{*this, m_doc, m_options, m_history, *m_files, *m_exchange,
                               *m_gaugeBar, *m_grid, *m_fontAndTitle, m_forwardingMessages},
        startedAs);
    CreateMenus();
    m_statusBar->Attach(m_gaugeBar, m_actions.statusBarShown);
    // Header cells are no items: a double click there never reaches this signal.
    connect(m_grid, &QAbstractItemView::doubleClicked, this,
            [this] { RunCommand(OpenEditor::Commit, [this] { AccessRecord(); }); });
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    m_doc.AddStateObserver([this] { m_fontAndTitle->ApplyCaption(m_doc.Caption()); });

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName(QStringLiteral("StartupTimer"));
    m_startupTimer->setSingleShot(true);
    m_startupTimer->setInterval(1);
    connect(m_startupTimer, &QTimer::timeout, this, &MainWindow::DeferredStartup);
    m_startupTimer->start();

    const bool second = startedAs == StartedAs::SecondInstance;
    m_activation = new ActivationServer(
        [this] { ActivateFromAnotherStart(); },
        [this, second] {
            return QByteArray("activations=") + QByteArray::number(m_activations) +
                   QByteArray(" minimized=") + QByteArray(isMinimized() ? "1" : "0") +
                   QByteArray(" second=") + QByteArray(second ? "1" : "0");
        },
        [this] { return windowTitle().toUtf8(); }, this);
    m_activation->Listen();

    m_fontAndTitle->ApplyCaption(m_doc.Caption());
    m_lifecycle->RestorePlacement();
    m_statusBar->RestoreCaretPanelWidth();
}

MainWindow::~MainWindow() {
    QCoreApplication::instance()->removeEventFilter(this);
    // The model stops observing before the document's table goes away with this object.
    delete m_collectionGrid;
    m_collectionGrid = nullptr;
    m_grid = nullptr;
}

void MainWindow::CreateGrid() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setBackgroundRole(QPalette::Dark); // the application work-space colour
    client->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_collectionGrid = new CollectionGrid(m_doc, m_forwardingMessages, client, this);
    m_grid = m_collectionGrid->View();
    const CollectionModel* model = m_collectionGrid->Model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &MainWindow::FitCaretPanel);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &MainWindow::FitCaretPanel);
    connect(model, &QAbstractItemModel::modelReset, this, &MainWindow::FitCaretPanel);
    connect(m_collectionGrid, &CollectionGrid::PositionChanged, m_positionPanel, &QLabel::setText);
    m_grid->hide();
    layout->addWidget(m_grid, 1);
    layout->addStretch(0);

    m_gaugeBar = new GaugeBar(
        client, statusBar(), [this] { return width(); },
        [this] { return m_statusBar->IsStatusBarWanted(); });
    layout->addWidget(m_gaugeBar);
    setCentralWidget(client);
}

CollectionModel* MainWindow::Model() const noexcept {
    return m_collectionGrid->Model();
}

void MainWindow::SetMessageBoxService(MessageBoxService* service) noexcept {
    m_messages = service ? service : m_ownMessages.get();
}

void MainWindow::SetFileChooser(FileChooser* chooser) noexcept {
    m_chooser = chooser ? chooser : m_fileChooser.get();
}

ProgressSink& MainWindow::ProgressDisplay() noexcept {
    return *m_gaugeBar;
}

void MainWindow::MarkModified() {
    m_doc.MarkModified();
}

void MainWindow::ClearTable() {
    m_grid->FinishEditing();
    m_doc.Table().Clear();
    // The steps were made on records that are gone.
    m_doc.ClearHistory();
}

void MainWindow::UpdateReloadCommand(bool enabled) {
    m_actions.reopen->setEnabled(enabled);
}

void MainWindow::ShowTable(bool visible) {
    m_grid->setVisible(visible);
}

void MainWindow::TableReplaced() {
    m_statusBar->ForgetReport(); // it told of the document that is gone
    m_collectionGrid->ShowFirstCell();
}

void MainWindow::HistoryChanged() {
    const History::MenuState& menu = m_history.Menu();
    m_actions.historySeparator->setVisible(menu.separatorVisible);
    static_assert(MainActions::kHistorySlots == History::kSlotCount);
    for (std::size_t slot = 0; slot < MainActions::kHistorySlots; ++slot) {
        QAction* item = m_actions.history[slot];
        const History::MenuItem& state = menu.items[slot];
        item->setText(QString::fromStdString(state.caption));
        ApplyHint(item, state.hint);
        item->setVisible(state.visible);
    }
}

void MainWindow::ApplyHint(QAction* item, const std::string& hint) {
    // A hint without "|" is both texts.
    const QString text = QString::fromStdString(hint);
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    item->setToolTip(bar < 0 ? text : text.left(bar));
    item->setStatusTip(bar < 0 ? text : text.mid(bar + 1));
}

void MainWindow::ActivateFromAnotherStart() {
    ++m_activations;
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void MainWindow::DeferredStartup() {
    m_startupTimer->stop();
    if (!m_lifecycle->BeginStartup())
        return;
    // Hints of what lies under the pointer or is highlighted go to the status bar from now on;
    // the same filter sees Esc before the focused control does.
    QCoreApplication::instance()->installEventFilter(this);
    m_hintsBound = true;
    m_lifecycle->RestoreSettings();
    ShowScanOptions();
    m_lifecycle->OpenStartupDocument(m_startupParameters);
}

void MainWindow::FitCaretPanel() {
    m_statusBar->FitCaretPanel(m_collectionGrid ? Model()->rowCount() : 0);
}

} // namespace lh
