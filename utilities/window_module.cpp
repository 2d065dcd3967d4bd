// The utilities' window, in the module the program loads when it is started without a command.
#include "history/journal/change_note.h"
#include "platform/app_icon.h"
#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "platform/message_box_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "utilities/ui/main_form.h"

extern "C" __attribute__((visibility("default"))) int vantorUtilitiesWindow(int* argc,
                                                                            char** argv) {
    vantor::GuardedApplication app(*argc, argv);
    vantor::setApplicationTitle(vantor::utilitiesTitle());
    // Every window and box of the program, and the launcher a Wayland taskbar matches it to.
    app.setWindowIcon(vantor::applicationIcon());
    app.setDesktopFileName(QStringLiteral("VantorUtilities"));
    vantor::MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    // The module holds its own copy of the history's switches.
    vantor::history::setJournalEnabled(true);
    vantor::history::setWarningSink([&dialogs](const QString& text) { dialogs.error(text); });
    vantor::DesktopShell shell;
    const vantor::SettingsStore settings(vantor::SettingsStore::defaultPath());
    vantor::utilities::TForm1 form(dialogs, shell, settings);
    form.show();
    return app.exec();
}
