#pragma once

#include <QProcess>

namespace vantor::test {

// Ends a server a test started: asked first, killed when it does not go within 3 s.
inline void stopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace vantor::test
