#include "guarded_application.h"

#include "common/error.h"
#include "message_box_dialogs.h"

namespace vantor {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool reportFailures(Dialogs& dialogs, const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const Error& e) {
        dialogs.error(e.message());
    } catch (const std::exception& e) {
        dialogs.error(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    MessageBoxDialogs fallback;
    reportFailures(dialogs_ ? *dialogs_ : fallback,
                   [&] { result = QApplication::notify(receiver, event); });
    return result;
}

} // namespace vantor
