#pragma once

// Turns the system's request to end the process (SIGTERM where there is one) into an ordinary
// close request on the event loop, so the close check and the settings writes run as they do
// for the close box.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace lh {

class TerminationRequest final : public QObject {
    Q_OBJECT
public:
    // `onRequest` runs on the event loop after requests arrive (several pending ones count once).
    // Only one object may exist at a time.
    explicit TerminationRequest(std::function<void()> onRequest, QObject* parent = nullptr);
    ~TerminationRequest() override;

private:
    void Drain();

    std::function<void()> m_onRequest;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace lh
