#include "MainWindow.h"
#include "PlatformPath.h"
#include "StatusBarPanels.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace lh {

namespace {

constexpr const char* kMozUrl = "text/x-moz-url";

// Browsers write "text/x-moz-url" in UTF-16 (Firefox) or UTF-8.
std::string MozUrlText(const QByteArray& data) {
    if (data.size() % 2 == 0 && data.contains('\0'))
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()),
                                  data.size() / 2)
            .toStdString();
    return data.toStdString();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() || mime->hasFormat(QString::fromLatin1(kMozUrl)) || mime->hasText())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    std::vector<std::string> files;
    std::vector<DroppedLink> links;
    if (mime->hasFormat(QString::fromLatin1(kMozUrl))) {
        links = ParseMozUrl(MozUrlText(mime->data(QString::fromLatin1(kMozUrl))));
    } else if (mime->hasUrls()) {
        for (const QUrl& url : mime->urls()) {
            if (url.isLocalFile())
                files.push_back(ToPlatformPath(url.toLocalFile()));
            else
                for (DroppedLink& link :
                     ParseUriList(url.toString(QUrl::FullyEncoded).toStdString()))
                    links.push_back(std::move(link));
        }
    } else if (mime->hasText()) {
        links = ParsePlainTextLink(mime->text().toStdString());
    }
    if (files.empty() && links.empty())
        return;
    event->acceptProposedAction();
    // The drop ends before the scans run: a program-file question or a long scan must not keep
    // the dragging application waiting.
    QMetaObject::invokeMethod(
        this,
        [this, files = std::move(files), links = std::move(links)] {
            RunCommand(OpenEditor::Commit, [&] {
                // Whatever one drop brought is undone at once.
                m_doc.BeginStepGroup(kDropStepName);
                DropFiles(files);
                DropLinks(links);
                m_doc.EndStepGroup();
            });
        },
        Qt::QueuedConnection);
}

void MainWindow::DropFiles(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    for (const std::string& path : paths)
        m_scans->ScanDroppedFile(AddressKind::Url, path);
}

void MainWindow::DropLinks(const std::vector<DroppedLink>& links) {
    if (links.empty())
        return;
    QString report;
    for (const DroppedLink& link : links)
        report = QString::fromStdString(DropResultText(AddDroppedLink(m_doc, link), link));
    FinishScan();
    m_statusBar->ShowReport(report);
}

} // namespace lh
