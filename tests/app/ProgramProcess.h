#pragma once

// The real program started in a process of its own, for the tests that need its whole life.

#include "Portable.h"
#include "TestEnvironment.h"
#include "platform/InstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace lh::test {

// Each test gets a runtime folder of its own, so guards and sockets of other tests (and of
// any real instance) are out of sight. Windows keeps them per session instead (named mutex and
// pipes); there a running program of the user's would take part in the test.
class ScopedRuntimeDir {
public:
    ScopedRuntimeDir() : m_previous(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_dir.Path().string()));
    }
    ~ScopedRuntimeDir() { qputenv("XDG_RUNTIME_DIR", m_previous); }
    QString Path() const { return QString::fromStdString(m_dir.Path().string()); }
    // True when a program outside the test already holds the single-instance guard.
    static bool SharedWithARunningProgram() { return platform::InstanceGuard::Exists(); }

private:
    TempDir m_dir;
    QByteArray m_previous;
};

// A running program, ended when the test ends.
class Program {
public:
    explicit Program(const QStringList& arguments = {}) {
        // A bare name is the test program's neighbour.
        m_process.setProgram(QDir(QCoreApplication::applicationDirPath())
                                 .absoluteFilePath(QStringLiteral(LINKHIVE_PROGRAM)));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Program() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    bool Start() {
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        m_processId = m_process.processId();
        return true;
    }
    QProcess& Process() { return m_process; }
    // The name the program's main window listens on (a socket in the runtime folder, or a
    // pipe), once it answers there.
    QString WaitForWindow() {
        for (int i = 0; i < 800; ++i) {
            if (Listening())
                return ServerName();
            if (m_process.state() == QProcess::NotRunning)
                break;
            QTest::qWait(25);
        }
        return {};
    }
    // The program's name is this process's with the program's id: not every system lists the
    // names in use (wine lists no pipes).
    QString ServerName() const {
        std::string name = platform::MainWindowServerName();
        const std::string own = "." + std::to_string(QCoreApplication::applicationPid());
        name.replace(name.size() - own.size(), own.size(), "." + std::to_string(m_processId));
        return QString::fromStdString(name);
    }
    // True when a window of the program takes connections.
    bool Listening() const {
        QLocalSocket socket;
        socket.connectToServer(ServerName());
        const bool connected = socket.waitForConnected(1000);
        socket.abort();
        return connected;
    }
    // Asks the program to end the way the system does and waits for it; true when it closed
    // its window normally and ended with status 0.
    bool Terminate() {
        if (!AskProgramToEnd(m_processId))
            return false;
        return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    qint64 m_processId = 0;
};

} // namespace lh::test
