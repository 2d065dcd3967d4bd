#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantor::recorder {

// SIGINT and SIGTERM as a Qt signal from the event loop. The handler itself only writes a byte
// to a pipe, so a signal never interrupts a write of a data file halfway; SA_RESTART lets any
// system call it lands in carry on. One instance at a time; the default handlers come back
// when it is destroyed.
class StopSignals : public QObject {
    Q_OBJECT
public:
    // Throws vantor::Error when the handlers cannot be installed.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested(int signalNumber);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vantor::recorder
