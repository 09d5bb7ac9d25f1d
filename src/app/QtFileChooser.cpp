#include "QtFileChooser.h"

#include "PlatformPath.h"
#include "QtMessageBox.h"
#include "platform/FileSystem.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

namespace lh {

namespace {

void PrepareDialog(QFileDialog& dialog, const FileDialogRequest& request, QStringList& filters) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!request.title.empty())
        dialog.setWindowTitle(QString::fromStdString(request.title));
    filters = QtFileChooser::ToNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                              ? request.filterIndex
                              : 1;
        dialog.selectNameFilter(filters.at(index - 1));
    }
    if (!request.initialDir.empty())
        dialog.setDirectory(FromPlatformPath(request.initialDir));
    if (!request.fileName.empty())
        dialog.selectFile(FromPlatformPath(request.fileName));
    // The toolkit's default size cuts the size, type and date columns of the list to a few
    // letters in Japanese; open wide enough, in the dialog's own font, to read them.
    const QFontMetrics metrics(dialog.font());
    const int letter = metrics.averageCharWidth();
    dialog.resize(dialog.sizeHint().expandedTo(QSize(letter * 136, metrics.height() * 32)));
    if (auto* list = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = list->header();
        const int widths[] = {letter * 42, letter * 13, letter * 22, letter * 19};
        for (int column = 0; column < header->count() && column < 4; ++column)
            header->resizeSection(column, widths[column]);
    }
    if (auto* splitter = dialog.findChild<QSplitter*>(); splitter && splitter->count() == 2)
        splitter->setSizes({letter * 24, letter * 112});
}

int SelectedIndex(const QFileDialog& dialog, const QStringList& filters, int fallback) {
    const int i = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return i >= 0 ? i + 1 : fallback;
}

} // namespace

QStringList QtFileChooser::ToNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (patterns.isEmpty())
            continue;
        // "*.*" means every file, as the label says; the toolkit would pass over names without a
        // dot (logs, mail boxes), so it gets the pattern that matches them too.
        for (QString& pattern : patterns)
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        // The label may carry its own "(*.x)"; the toolkit reads the last parenthesised list.
        result.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    return result;
}

std::optional<FileDialogResult> QtFileChooser::ChooseOpenFile(const FileDialogRequest& request,
                                                              int* lastIndex) {
    QFileDialog dialog(m_owner);
    QStringList filters;
    PrepareDialog(dialog, request, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    QCheckBox* readOnly = nullptr;
    if (request.showReadOnlyBox) {
        // The toolkit's dialog has no read-only box of its own: add one below its controls.
        readOnly = new QCheckBox(QStringLiteral("読み取り専用で開く(&R)"), &dialog);
        readOnly->setObjectName(QStringLiteral("ReadOnlyBox"));
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(readOnly, grid->rowCount(), 0, 1, grid->columnCount());
    }

    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    const int index = SelectedIndex(dialog, filters, request.filterIndex);
    if (lastIndex)
        *lastIndex = index;
    if (!accepted)
        return std::nullopt;
    FileDialogResult result;
    result.path = ToPlatformPath(dialog.selectedFiles().constFirst());
    result.filterIndex = index;
    result.readOnlyTicked = readOnly && readOnly->isChecked();
    return result;
}

std::optional<FileDialogResult> QtFileChooser::ChooseSaveFile(const FileDialogRequest& request) {
    QFileDialog dialog(m_owner);
    QStringList filters;
    PrepareDialog(dialog, request, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString()); // a typed name is taken as it is

    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const std::string path = ToPlatformPath(dialog.selectedFiles().constFirst());
        platform::FileStat st;
        // A file the user may not write cannot be replaced: ask for another name.
        if (platform::StatFile(path, st) && st.attributes.readOnly && !st.attributes.directory) {
            QtMessageBox(&dialog).ShowMessageBox("「" + path +
                                                     "」\nこのファイルは読み取り専用です。" +
                                                     "\n別の名前を指定してください。",
                                                 "", kWarningStyle);
            continue;
        }
        FileDialogResult result;
        result.path = path;
        result.filterIndex = SelectedIndex(dialog, filters, request.filterIndex);
        return result;
    }
}

} // namespace lh
