#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "platform/message_box_dialogs.h"
#include "platform/shell.h"
#include "ui/main_form.h"

int main(int argc, char** argv) {
    vantor::GuardedApplication app(argc, argv);
    vantor::setApplicationTitle(QStringLiteral("Vantor Recorder 3.7.03"));
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
