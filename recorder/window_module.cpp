// The recorder's window and its headless mode, in the module the program loads for either.
#include "history/journal/change_note.h"
#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "platform/message_box_dialogs.h"
#include "platform/shell.h"
#include "recorder/headless/headless_main.h"
#include "recorder/session/recorder_options.h"
#include "recorder/ui/main_form.h"

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
    vantor::recorder::TForm1 form(std::move(env));
    form.show();
    form.activateWindow();
    return app.exec();
}

} // namespace

// The program has checked the arguments already: they ask for the window or headless mode.
extern "C" __attribute__((visibility("default"))) int vantorRecorderModule(int* argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < *argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto options = vantor::recorder::parseRecorderArguments(arguments);
    // The module holds its own copy of the history's switches.
    vantor::history::setJournalEnabled(true);
    if (options.mode == vantor::recorder::RecorderOptions::Mode::Headless)
        return vantor::recorder::runHeadless(*argc, argv, options);
    return runWindow(*argc, argv);
}
