#pragma once

#include <QByteArray>

namespace vantor {

// The service manager (systemd) that started the program, told through libsystemd. Without one
// (no NOTIFY_SOCKET) every call does nothing.
namespace service_manager {

// "READY=1", "STATUS=...", "STOPPING=1", ...: one or more lines of state.
void notify(const QByteArray& state);
// Whether the manager expects "WATCHDOG=1" from this process.
bool watchdogExpected();

} // namespace service_manager

} // namespace vantor
