#include "headless_main.h"

#include "headless_recorder.h"
#include "stderr_dialogs.h"
#include "stop_signals.h"

#include "common/error.h"
#include "platform/report_failures.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTimer>
#include <csignal>
#include <memory>

namespace vantor::recorder {

namespace {
// Whatever an event handler throws is reported and the recorder goes on, as the window does.
class GuardedCoreApplication : public QCoreApplication {
public:
    GuardedCoreApplication(int& argc, char** argv, Dialogs& dialogs)
        : QCoreApplication(argc, argv), dialogs_(dialogs) {}
    bool notify(QObject* receiver, QEvent* event) override {
        bool result = false;
        reportFailures(dialogs_, [&] { result = QCoreApplication::notify(receiver, event); });
        return result;
    }

private:
    Dialogs& dialogs_;
};

StderrDialogs* messageSink = nullptr;

// Qt's own warnings (no audio device, say) get the time stamp of every other line.
void timeStampQtMessages(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (messageSink)
        messageSink->note(text);
}

QString signalName(int signalNumber) {
    return signalNumber == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}
} // namespace

int runHeadless(int& argc, char** argv, const RecorderOptions& options) {
    // A reader of standard error that goes away must not end the recorder in the middle of a
    // game; the messages are lost, the data is not.
    std::signal(SIGPIPE, SIG_IGN);
    StderrDialogs dialogs;
    messageSink = &dialogs;
    qInstallMessageHandler(timeStampQtMessages);
    const auto restore = qScopeGuard([] {
        qInstallMessageHandler(nullptr);
        messageSink = nullptr;
    });
    GuardedCoreApplication app(argc, argv, dialogs);

    std::unique_ptr<StopSignals> stopSignals;
    try {
        stopSignals = std::make_unique<StopSignals>();
    } catch (const Error& e) {
        dialogs.error(e.message());
        return 1;
    }

    HeadlessRecorder recorder(
        dialogs, SettingsStore(SettingsStore::defaultPath()),
        [](const SettingsStore& s) { return readGameKey(s); }, options.liveStats);
    QObject::connect(stopSignals.get(), &StopSignals::stopRequested, &recorder, [&](int s) {
        if (recorder.isStopping())
            return;
        dialogs.note(QStringLiteral("%1: stopping once the game being recorded is written.")
                         .arg(signalName(s)));
        recorder.stop();
    });
    QObject::connect(&recorder, &HeadlessRecorder::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &recorder, [&] {
        recorder.start();
        if (recorder.refused()) {
            QCoreApplication::exit(1);
            return;
        }
        if (recorder.isStopping())
            return;
        dialogs.note(QStringLiteral("Recording the games of \"%1\" into \"%2\"; live stats %3.")
                         .arg(recorder.activation().gameFolder(), QDir::currentPath(),
                              recorder.liveStats() ? QStringLiteral("on") : QStringLiteral("off")));
    });

    const int code = app.exec();
    dialogs.note(QStringLiteral("Stopped."));
    return code;
}

} // namespace vantor::recorder
