#include "MainWindow.h"

#include "ActivationChannel.h"
#include "CollectionDelegate.h"
#include "CollectionModel.h"
#include "CollectionView.h"
#include "GaugeBar.h"
#include "QtBusyCursor.h"
#include "QtFileChooser.h"
#include "QtMessageBox.h"
#include "core/ProcessState.h"
#include "core/RecordCommands.h"
#include "core/TableLayout.h"
#include "dialogs/FormFont.h"
#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace lh {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_ownMessages(std::make_unique<QtMessageBox>(this)),
      m_fileChooser(std::make_unique<QtFileChooser>(this)),
      m_busyCursor(std::make_unique<QtBusyCursor>()), m_messages(m_ownMessages.get()),
      m_chooser(m_fileChooser.get()) {
    setObjectName(QStringLiteral("LinkhiveMainForm"));
    setFont(FormFont(12));

    CreateStatusBar();
    CreateGrid();
    SetCaretPanelWidth(m_caretPanelWidth);
    setAcceptDrops(true);
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
    CreateMenus();
    ConnectScanCommands();
    ConnectLaunchCommands();
    ConnectSettingsCommands();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    m_doc.SetCaptionListener([this](const std::string& caption) { ApplyCaption(caption); });

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName(QStringLiteral("Timer1"));
    m_startupTimer->setSingleShot(true);
    m_startupTimer->setInterval(1);
    connect(m_startupTimer, &QTimer::timeout, this, &MainWindow::DeferredStartup);
    m_startupTimer->start();

    m_activation = new ActivationServer(
        [this] { ActivateFromAnotherStart(); },
        [this] {
            return QByteArray("activations=") + QByteArray::number(m_activations) +
                   QByteArray(" minimized=") + QByteArray(isMinimized() ? "1" : "0") +
                   QByteArray(" second=") + QByteArray(SecondInstance ? "1" : "0");
        },
        [this] { return windowTitle().toUtf8(); }, this);
    m_activation->Listen();

    RestoreWindowState();
}

MainWindow::~MainWindow() {
    QCoreApplication::instance()->removeEventFilter(this);
    // The model stops observing before the document's table goes away with this object.
    delete m_grid;
    m_grid = nullptr;
    delete m_model;
    m_model = nullptr;
}

void MainWindow::CreateGrid() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setBackgroundRole(QPalette::Dark); // the application work-space colour
    client->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_model = new CollectionModel(m_doc.Table(), this);
    m_grid = new CollectionView(client);
    m_grid->setModel(m_model);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MainWindow::FitCaretPanel);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &MainWindow::FitCaretPanel);
    connect(m_model, &QAbstractItemModel::modelReset, this, &MainWindow::FitCaretPanel);
    m_delegate = new CollectionDelegate(m_grid);
    m_grid->setItemDelegate(m_delegate);
    m_grid->hide();
    layout->addWidget(m_grid, 1);
    layout->addStretch(0);

    m_gaugeBar = new GaugeBar(
        client, statusBar(), [this] { return width(); }, [this] { return m_statusWanted; });
    layout->addWidget(m_gaugeBar);
    setCentralWidget(client);

    connect(m_delegate, &CollectionDelegate::EditTextLoaded, this,
            [this](const QModelIndex& index, const QString& text) {
                BeginCellEdit(CollectionModel::GridColumn(index), CollectionModel::GridRow(index),
                              text);
            });
    connect(m_delegate, &CollectionDelegate::EditTextChanged, this,
            [this](const QModelIndex& index, const QString& text, QLineEdit* editor, bool) {
                CommitCellText(CollectionModel::GridColumn(index), CollectionModel::GridRow(index),
                               text, editor);
            });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid())
                    return;
                m_selectedOnce = true;
                SelectCell(CollectionModel::GridColumn(current), CollectionModel::GridRow(current));
            });
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(kStatusBarHeight);
    bar->setStatusTip(QStringLiteral("ここに（行:列）（説明）が表示されます"));

    m_positionPanel = new QLabel(QStringLiteral("    0:    0"), bar);
    m_positionPanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_positionPanel->setAlignment(Qt::AlignCenter);
    m_positionPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(m_positionPanel);

    m_hintPanel = new QLabel(bar);
    m_hintPanel->setObjectName(QStringLiteral("StatusPanel1"));
    m_hintPanel->setMinimumWidth(50);
    m_hintPanel->setFrameStyle(QFrame::NoFrame);
    bar->addWidget(m_hintPanel, 1);
}

QAction* MainWindow::Item(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void MainWindow::SetMessageBoxService(MessageBoxService* service) noexcept {
    m_messages = service ? service : m_ownMessages.get();
}

FileChooser& MainWindow::FileDialogs() noexcept {
    return *m_chooser;
}

void MainWindow::SetFileChooser(FileChooser* chooser) noexcept {
    m_chooser = chooser ? chooser : m_fileChooser.get();
}

BusyCursor& MainWindow::Busy() noexcept {
    return *m_busyCursor;
}

ProgressSink& MainWindow::ProgressDisplay() noexcept {
    return *m_gaugeBar;
}

void MainWindow::ApplyCaption(const std::string& caption) {
    // "[*]" is the toolkit's placeholder for its own modified mark; a file name may hold it.
    QString title = QString::fromStdString(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title);
}

void MainWindow::MarkModified() {
    m_doc.MarkModified();
}

void MainWindow::ClearTable() {
    m_grid->FinishEditing();
    m_doc.Table().Clear();
}

void MainWindow::UpdateReloadCommand() {
    m_files->UpdateReloadCommand();
}

void MainWindow::UpdateReloadCommand(bool enabled) {
    if (QAction* reload = Item("FileOpenReItem"))
        reload->setEnabled(enabled);
}

void MainWindow::TableSetup(const QFont& displayFont) {
    m_grid->setFont(displayFont);
    m_grid->horizontalHeader()->setFont(displayFont);
    m_grid->verticalHeader()->setFont(displayFont);
    const int size = displayFont.pointSize() > 0 ? displayFont.pointSize() : keys::kFontSize.def;
    m_grid->SetDefaultRowHeight(RowHeightForFont(size));
    m_doc.SetDocumentTitle(Document::kDefaultTitle);
    m_grid->SetCornerText(CollectionModel::ToDisplay(TableStore::Heading(0)));
    for (int column = 0; column < TableStore::kColumnCount; ++column)
        m_grid->SetColumnWidth(
            column, ColumnWidthFor(column, keys::kCell[column].Read(ProgramSettings()), size));
}

void MainWindow::ShowTable(bool visible) {
    m_grid->setVisible(visible);
}

void MainWindow::TableReplaced() {
    m_statusReport.clear(); // it told of the document that is gone
    // Row 1, column 1 becomes current. Before the user has selected anything the position
    // panel keeps its initial text; afterwards it follows.
    const QModelIndex first = m_model->IndexAt(1, 1);
    {
        const QSignalBlocker quiet(m_grid->selectionModel());
        m_grid->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
    }
    m_grid->viewport()->update();
    // The first data row and the first data column come to the top left.
    m_grid->scrollToTop();
    m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->minimum());
    if (m_selectedOnce)
        SelectCell(1, 1);
    if (m_grid->isVisible())
        m_grid->setFocus();
}

void MainWindow::HistoryChanged() {
    const History::MenuState& menu = m_history.Menu();
    if (QAction* separator = Item("N2"))
        separator->setVisible(menu.separatorVisible);
    static constexpr const char* kNames[History::kSlotCount] = {
        "File1Item", "File2Item", "File3Item", "File4Item", "File5Item"};
    for (int slot = 0; slot < History::kSlotCount; ++slot) {
        QAction* item = Item(kNames[slot]);
        if (!item)
            continue;
        const History::MenuItem& state = menu.items[static_cast<std::size_t>(slot)];
        item->setText(QString::fromStdString(state.caption));
        ApplyHint(item, state.hint);
        item->setVisible(state.visible);
    }
}

void MainWindow::NewDocument() {
    RunFileCommand(&FileCommands::NewCollection);
}

void MainWindow::RunFileCommand(void (FileCommands::*command)()) {
    m_grid->FinishEditing();
    ((*m_files).*command)();
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

void MainWindow::DisplayHint(const QString& longHint) {
    // A scan's report stays until a hint of something else takes its place: the idle hints
    // (none, or the document's own) bring it back.
    if (!m_statusReport.isEmpty() &&
        (longHint.isEmpty() || longHint == QString::fromStdString(m_doc.Hint()))) {
        m_hintPanel->setText(m_statusReport);
        return;
    }
    m_hintPanel->setText(longHint);
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // Taken here in every case: the toolkit's own handling would cover the panels.
        if (m_hintsBound)
            DisplayHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

} // namespace lh
