#include "platform/app_title.h"
#include "platform/guarded_application.h"
#include "ui/main_form.h"

int main(int argc, char** argv) {
    vantor::GuardedApplication app(argc, argv);
    vantor::setApplicationTitle(QStringLiteral("Vantor v3.7.03"));
    vantor::utilities::TForm1 form;
    form.show();
    return app.exec();
}
