#include "guarded_application.h"

#include "message_box_dialogs.h"

namespace vantor {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    MessageBoxDialogs fallback;
    reportFailures(dialogs_ ? *dialogs_ : fallback,
                   [&] { result = QApplication::notify(receiver, event); });
    return result;
}

} // namespace vantor
