#include "TerminationRequest.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace lh {

#ifdef Q_OS_UNIX

namespace {

// The handler may only write to a descriptor; the loop reads the other end.
int g_signalPair[2] = {-1, -1};

void OnTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_signalPair[0], &byte, 1);
    errno = saved;
}

} // namespace

TerminationRequest::TerminationRequest(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), m_onRequest(std::move(onRequest)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPair) != 0)
        return; // the process then ends on the signal as it always would
    m_notifier = new QSocketNotifier(g_signalPair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequest::Drain);
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

TerminationRequest::~TerminationRequest() {
    if (!m_notifier)
        return;
    ::signal(SIGTERM, SIG_DFL);
    delete m_notifier;
    ::close(g_signalPair[0]);
    ::close(g_signalPair[1]);
    g_signalPair[0] = g_signalPair[1] = -1;
}

void TerminationRequest::Drain() {
    char bytes[16];
    bool requested = false;
    while (::read(g_signalPair[1], bytes, sizeof bytes) > 0)
        requested = true;
    if (requested && m_onRequest)
        m_onRequest();
}

#else

// Windows ends a process with a window through the window's own close message.
TerminationRequest::TerminationRequest(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), m_onRequest(std::move(onRequest)) {}

TerminationRequest::~TerminationRequest() = default;

void TerminationRequest::Drain() {}

#endif

} // namespace lh
