#include "report_failures.h"

#include "common/error.h"
#include "dialogs.h"

namespace vantor {

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

} // namespace vantor
