#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vantor {

// The service manager (systemd) that started the program, told through libsystemd. Without one
// (no NOTIFY_SOCKET) every call does nothing.
namespace service_manager {

// "READY=1", "STATUS=...", "STOPPING=1", ...: one or more lines of state.
void notify(const QByteArray& state);
// How often the manager expects "WATCHDOG=1" from this process at the latest, in
// milliseconds; 0 when it expects none.
qint64 watchdogIntervalMs();

} // namespace service_manager

} // namespace vantor
