#include "ActivationChannel.h"
#include "JapaneseTranslator.h"
#include "MainWindow.h"
#include "PlatformPath.h"
#include "TerminationRequest.h"
#include "controls/ProgramPicture.h"
#include "core/UserInterface.h"
#include "dialogs/ProgramSettings.h"
#include "dialogs/SplashStep.h"
#include "platform/Console.h"
#include "platform/InstanceGuard.h"
#include "util/SettingKeys.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The platform's words (UTF-16 command line on Windows, so a name in any script arrives
    // whole), paired with argv before the toolkit takes out its own options.
    const std::vector<std::string> words = lh::platform::ProgramArguments(argc, argv);
    const std::vector<char*> originalArgv(argv, argv + argc);

    // 1. The toolkit.
    QApplication app(argc, argv);
    // The toolkit's own dialogs in the program's language, whatever the locale.
    lh::JapaneseTranslator::Install(app);
    app.setWindowIcon(lh::ProgramIcon());
    // Lets the desktop match the windows to the installed menu entry (linkhive.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("linkhive"));

    // 2. The splash step: the start entry of the usage record and, for a first instance, the
    //    splash window. It does not decide whether the process goes on.
    lh::ShowSplash();

    // 3. The single-instance guard. Only a stored 0 refuses a further instance; the refused
    //    start brings a running window to the front and ends without showing or storing
    //    anything.
    lh::platform::InstanceGuard guard;
    const bool guardExisted = lh::platform::InstanceGuard::Exists();
    if (guardExisted && lh::keys::k2ndStart.Read(lh::ProgramSettings()) == 0) {
        lh::ActivateRunningInstance();
        return 0;
    }
    guard.Acquire();

    // A request to end the process is a close request like the close box: it runs the close
    // check and stores the settings. Taken from here on; one that comes before the window exists
    // waits in the loop, and the window holds it until its start-up has run.
    lh::MainWindow* mainWindow = nullptr;
    lh::TerminationRequest termination([&mainWindow] {
        if (mainWindow)
            mainWindow->close();
    });

    // 4. The main window; its creation restores caption and placement.
    lh::MainWindow window(guardExisted ? lh::StartedAs::SecondInstance
                                       : lh::StartedAs::FirstInstance);
    mainWindow = &window;
    // What the toolkit left of argv; on Linux the bytes as given, not decoded.
    window.SetStartupParameters(lh::ArgumentsLeftByToolkit(originalArgv, words, argc, argv));

    // 5. The application title.
    QApplication::setApplicationName(QString::fromUtf8(lh::kApplicationTitle));

    // 6. The main window is a top-level window of its own, with its own taskbar entry; the
    //    toolkit needs no hidden owner window.

    // 7. The loop; the window's one-shot timer runs the deferred start-up.
    window.show();
    const int status = QApplication::exec();

    // 8. Let go of the guard.
    guard.Release();
    return status;
}
