#pragma once

// How a refused start reaches a running main window: each main window listens on a local
// socket of its own; a refused start asks one of them to restore and raise itself.

#include <QByteArray>
#include <QObject>
#include <functional>

class QLocalServer;

namespace lh {

class ActivationServer final : public QObject {
    Q_OBJECT
public:
    // `activate` brings the window to the front; `describe` answers a status query, `caption`
    // a caption query (the window's caption in UTF-8).
    ActivationServer(std::function<void()> activate, std::function<QByteArray()> describe,
                     std::function<QByteArray()> caption, QObject* parent = nullptr);
    ~ActivationServer() override;

    // Starts listening on this process's name; false when the socket cannot be made.
    bool Listen();
    QString ServerName() const;

private:
    void OnNewConnection();

    QLocalServer* m_server;
    std::function<void()> m_activate;
    std::function<QByteArray()> m_describe;
    std::function<QByteArray()> m_caption;
};

// Asks one running main window to come to the front. False when none answered.
bool ActivateRunningInstance(int timeoutMs = 2000);

// Sends one request line to the window listening on `serverName` and returns its answer line
// (empty when nothing answered).
QByteArray SendActivationRequest(const QString& serverName, const QByteArray& request,
                                 int timeoutMs);

inline constexpr const char* kActivateRequest = "activate";
inline constexpr const char* kStatusRequest = "status";
// Answered once the window is back in its event loop: a caption that names the file means the
// start-up's load is done (what the opening benchmark waits for).
inline constexpr const char* kCaptionRequest = "caption";

} // namespace lh
