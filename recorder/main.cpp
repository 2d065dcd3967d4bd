#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "platform/message_box_dialogs.h"
#include "platform/shell.h"
#include "platform/window_platform.h"
#include "recorder/headless/headless_main.h"
#include "recorder/session/recorder_options.h"
#include "recorder/ui/recorder_window.h"

#include <cstdio>

namespace {

int runWindow(int& argc, char** argv) {
    vantor::GuardedApplication app(argc, argv);
    vantor::setApplicationTitle(vantor::recorderTitle());
    // Every window and box of the program, and the launcher a Wayland taskbar matches it to.
    app.setWindowIcon(vantor::applicationIcon());
    app.setDesktopFileName(QStringLiteral("VantorRecorder"));
    vantor::MessageBoxDialogs dialogs;
    vantor::DesktopShell shell;
    app.setDialogs(&dialogs);

    vantor::recorder::RecorderEnvironment env;
    env.dialogs = &dialogs;
    env.shell = &shell;
    env.journaled = true;
    vantor::recorder::RecorderWindow form(std::move(env));
    form.show();
    form.activateWindow();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    using vantor::recorder::RecorderOptions;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Decided before any application object exists: headless must never touch a display.
    const RecorderOptions options = vantor::recorder::parseRecorderArguments(arguments);
    switch (options.mode) {
    case RecorderOptions::Mode::Help:
        std::fputs(vantor::recorder::recorderHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case RecorderOptions::Mode::Invalid:
        std::fprintf(stderr, "VantorRecorder: %s\nTry \"VantorRecorder --help\".\n",
                     options.problem.toLocal8Bit().constData());
        return 2;
    case RecorderOptions::Mode::Window:
        if (!vantor::windowPlatformAvailable(argc, argv)) {
            std::fputs("No display: run VantorRecorder --headless, or set DISPLAY\n", stderr);
            return 1;
        }
        break;
    case RecorderOptions::Mode::Headless:
        return vantor::recorder::runHeadless(argc, argv, options);
    }
    return runWindow(argc, argv);
}
