#pragma once

// The real program started in a process of its own, for the tests that need its whole life.

#include "TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <csignal>

namespace lh::test {

// Each test gets a runtime folder of its own, so guards and sockets of other tests (and of
// any real instance) are out of sight.
class ScopedRuntimeDir {
public:
    ScopedRuntimeDir() : m_previous(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_dir.Path().string()));
    }
    ~ScopedRuntimeDir() { qputenv("XDG_RUNTIME_DIR", m_previous); }
    QString Path() const { return QString::fromStdString(m_dir.Path().string()); }

private:
    TempDir m_dir;
    QByteArray m_previous;
};

// A running program, ended when the test ends.
class Program {
public:
    explicit Program(const QStringList& arguments = {}) {
        m_process.setProgram(QStringLiteral(LINKHIVE_PROGRAM));
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
        return m_process.waitForStarted(10000);
    }
    QProcess& Process() { return m_process; }
    // The socket the program's main window listens on, once it is there.
    QString WaitForWindow(const ScopedRuntimeDir& dir) {
        const QString name = dir.Path() + QStringLiteral("/TLinkhiveMainForm.") +
                             QString::number(m_process.processId());
        for (int i = 0; i < 400 && !QFileInfo::exists(name); ++i)
            QTest::qWait(25);
        return QFileInfo::exists(name) ? name : QString();
    }
    // Asks the program to end the way the system does and waits for it; true when it closed
    // its window normally and ended with status 0.
    bool Terminate() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

} // namespace lh::test
