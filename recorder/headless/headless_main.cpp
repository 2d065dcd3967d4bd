#include "headless_main.h"

#include "headless_recorder.h"
#include "qt_messages.h"
#include "stderr_dialogs.h"
#include "stop_signals.h"

#include "common/error.h"
#include "platform/report_failures.h"

#include <QCoreApplication>
#include <QDir>
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

QString signalName(int signalNumber) {
    return signalNumber == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}
} // namespace

int runHeadless(int& argc, char** argv, const RecorderOptions& options) {
    // A reader of standard error that goes away must not end the recorder in the middle of a
    // game; the messages are lost, the data is not.
    std::signal(SIGPIPE, SIG_IGN);
    StderrDialogs dialogs;
    const QtMessagesTo qtMessages(dialogs);
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
    recorder.session().setJournaled(true);
    QObject::connect(stopSignals.get(), &StopSignals::stopRequested, &recorder, [&](int s) {
        if (recorder.session().isStopping())
            return;
        dialogs.note(QStringLiteral("%1: stopping once the game being recorded is written.")
                         .arg(signalName(s)));
        recorder.session().stop();
    });
    QObject::connect(&recorder.session(), &RecorderSession::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &recorder, [&] {
        if (!recorder.start()) {
            // Exit code 1: a service manager shows the recorder as failed, with this line.
            dialogs.error(recorder.problem());
            app.exit(1);
            return;
        }
        if (recorder.session().isStopping())
            return;
        dialogs.note(QStringLiteral("Recording the games of \"%1\" into \"%2\"; live stats %3.")
                         .arg(recorder.session().activation().gameFolder(), QDir::currentPath(),
                              recorder.liveStats() ? QStringLiteral("on") : QStringLiteral("off")));
    });

    const int code = app.exec();
    dialogs.note(QStringLiteral("Stopped."));
    return code;
}

} // namespace vantor::recorder
