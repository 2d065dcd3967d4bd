#include "ftp/ftp_client.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace vantor {

FtpClient::FtpClient(QObject* parent) : AsyncFtpClient(parent) {
    clock_.start();
    connect(this, &AsyncFtpClient::aboutToSendBlock, this,
            [this] { deadline_ = clock_.elapsed() + qint64(Timeout) * 1000; });
    connect(this, &AsyncFtpClient::batchStepDone, this,
            [this] { deadline_ = clock_.elapsed() + qint64(Timeout) * 1000; });
}

bool FtpClient::Transmit() {
    if (!startUpload())
        return false;
    deadline_ = clock_.elapsed() + qint64(Timeout) * 1000;
    QPointer<FtpClient> self(this);
    for (;;) {
        if (State() == FtpState::Ready)
            return ErrorCode() == 0;
        if (!QCoreApplication::instance() || QCoreApplication::closingDown())
            break;
        if (Timeout > 0 && clock_.elapsed() >= deadline_)
            break;
        const bool woken = waitForProgress();
        if (!self)
            return false;
        if (!woken && State() != FtpState::Ready)
            break;
    }
    abort();
    timedOut();
    return false;
}

bool FtpClient::waitForProgress() {
    QEventLoop loop;
    bool woken = false;
    connect(this, &AsyncFtpClient::requestDone, &loop, [&] {
        woken = true;
        loop.quit();
    });
    QTimer timer;
    if (Timeout > 0) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, [&] {
            woken = true;
            loop.quit();
        });
        timer.start(std::max<qint64>(0, deadline_ - clock_.elapsed()));
    }
    // The operation may have ended while the timer was set up.
    if (State() == FtpState::Ready)
        return true;
    loop.exec(MultiThreaded ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    return woken;
}

} // namespace vantor
