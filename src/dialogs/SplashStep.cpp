#include "SplashStep.h"

#include "core/UsageRecord.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SplashWindow.h"
#include "platform/InstanceGuard.h"
#include "util/SettingKeys.h"

#include <QCoreApplication>
#include <QPointer>

namespace lh {

namespace {

QPointer<SplashWindow> g_splashWindow;

void RecordStart(const SplashHooks& hooks) {
    if (hooks.recordStart)
        hooks.recordStart();
    else
        ProcessUsageRecord().RecordStart();
}

} // namespace

bool ShowSplash(const SplashHooks& hooks) {
    const bool guardExists =
        hooks.guardExists ? hooks.guardExists() : platform::InstanceGuard::Exists();
    if (guardExists) {
        if (keys::k2ndStart.Read(ProgramSettings()) == 1)
            RecordStart(hooks);
        return false;
    }
    RecordStart(hooks);
    if (!keys::kSplashVisible.IsOn(ProgramSettings()) || g_splashWindow)
        return false;
    g_splashWindow = new SplashWindow;
    g_splashWindow->show();
    g_splashWindow->raise();
    g_splashWindow->repaint();
    // The main window does not exist yet and the loop has not started: let the window system
    // map and draw the splash now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

SplashWindow* ActiveSplash() {
    return g_splashWindow.data();
}

void ReleaseSplash() {
    // Released whenever one exists: a setting changed meanwhile, or another instance that
    // started in between, must never leave an always-on-top window nobody can close.
    if (g_splashWindow) {
        g_splashWindow->deleteLater();
        g_splashWindow = nullptr;
    }
}

} // namespace lh
