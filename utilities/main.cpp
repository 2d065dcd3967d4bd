#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "platform/message_box_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/window_platform.h"
#include "utilities/cli/command_line.h"
#include "utilities/ui/utilities_window.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int runCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const int status =
        vantor::utilities::cli::runCommandLine(app.arguments().mid(1), out, err, true);
    out.flush();
    err.flush();
    return status;
}

int runWindow(int& argc, char** argv) {
    vantor::GuardedApplication app(argc, argv);
    vantor::setApplicationTitle(vantor::utilitiesTitle());
    // Every window and box of the program, and the launcher a Wayland taskbar matches it to.
    app.setWindowIcon(vantor::applicationIcon());
    app.setDesktopFileName(QStringLiteral("VantorUtilities"));
    vantor::MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    vantor::DesktopShell shell;
    const vantor::SettingsStore settings(vantor::SettingsStore::defaultPath());
    vantor::utilities::UtilitiesWindow form(dialogs, shell, settings);
    form.setJournaled(true);
    form.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (vantor::utilities::cli::isCommandLine(arguments))
        return runCommand(argc, argv);
    if (!vantor::windowPlatformAvailable(argc, argv)) {
        QTextStream err(stderr);
        err << vantor::utilities::cli::noDisplayMessage();
        return 1;
    }
    return runWindow(argc, argv);
}
