#include "ActivationChannel.h"

#include "platform/InstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

namespace lh {

namespace {
constexpr qsizetype kMaxRequest = 64;
} // namespace

ActivationServer::ActivationServer(std::function<void()> activate,
                                   std::function<QByteArray()> describe,
                                   std::function<QByteArray()> caption, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_activate(std::move(activate)),
      m_describe(std::move(describe)), m_caption(std::move(caption)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ActivationServer::OnNewConnection);
}

ActivationServer::~ActivationServer() {
    m_server->close();
}

bool ActivationServer::Listen() {
    const QString name = QString::fromStdString(platform::MainWindowServerName());
    if (name.isEmpty())
        return false;
    // A file of our own name can only be left by an earlier process with the same id.
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

QString ActivationServer::ServerName() const {
    return m_server->fullServerName();
}

void ActivationServer::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QByteArray request = socket->readLine(kMaxRequest).trimmed();
            QByteArray answer;
            if (request == kActivateRequest) {
                m_activate();
                answer = QByteArrayLiteral("ok");
            } else if (request == kStatusRequest) {
                answer = m_describe();
            } else if (request == kCaptionRequest) {
                // One line whatever the file name holds.
                answer = m_caption().replace('\n', ' ').replace('\r', ' ');
            } else {
                answer = QByteArrayLiteral("unknown");
            }
            socket->write(answer + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

QByteArray SendActivationRequest(const QString& serverName, const QByteArray& request,
                                 int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        // Nobody listens any more (the window's process ended without closing): tidy up.
        if (socket.error() == QLocalSocket::ConnectionRefusedError &&
            QDir::isAbsolutePath(serverName))
            QFile::remove(serverName);
        return {};
    }
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return {};
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return {};
    return socket.readLine(kMaxRequest).trimmed();
}

bool ActivateRunningInstance(int timeoutMs) {
    platform::AllowActivationByOtherInstance();
    for (const std::string& name : platform::MainWindowServerNames())
        if (SendActivationRequest(QString::fromStdString(name), kActivateRequest, timeoutMs) ==
            "ok")
            return true;
    return false;
}

} // namespace lh
