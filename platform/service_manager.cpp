#include "service_manager.h"

#include <systemd/sd-daemon.h>

namespace vantor::service_manager {

void notify(const QByteArray& state) {
    // The environment stays: the recorder tells the manager more than once.
    sd_notify(0, state.constData());
}

bool watchdogExpected() {
    return sd_watchdog_enabled(0, nullptr) > 0;
}

} // namespace vantor::service_manager
