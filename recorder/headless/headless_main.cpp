#include "headless_main.h"

#include "headless_recorder.h"
#include "qt_messages.h"
#include "stderr_dialogs.h"
#include "stop_signals.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "platform/report_failures.h"
#include "platform/service_manager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

// The one line systemctl shows for the recorder.
QByteArray serviceStatus(const RecorderSession& session) {
    const watch::RecorderStatus& s = session.watch().status();
    QString text = QStringLiteral("Recording into \"%1\"; ").arg(QDir::currentPath());
    text += s.lastGameId > 0 ? QStringLiteral("last game %1 at %2 (%3)")
                                   .arg(s.lastGameId)
                                   .arg(s.lastGameTime, fromCp1252(s.lastGameMap))
                             : QStringLiteral("no game recorded yet");
    return "STATUS=" + text.simplified().toUtf8();
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
    recorder.session().setSiteFolder(options.siteFolder);
    QObject::connect(stopSignals.get(), &StopSignals::stopRequested, &recorder, [&](int s) {
        if (recorder.session().isStopping())
            return;
        dialogs.note(QStringLiteral("%1: stopping once the game being recorded is written.")
                         .arg(signalName(s)));
        service_manager::notify("STOPPING=1");
        recorder.session().stop();
    });
    QObject::connect(&recorder.session(), &RecorderSession::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Twice in the manager's interval is enough; a tick comes every 3 s.
    const qint64 watchdogMs = service_manager::watchdogIntervalMs();
    QElapsedTimer sinceWatchdog;
    QObject::connect(&recorder.session(), &RecorderSession::ticked, &recorder, [&, watchdogMs] {
        if (watchdogMs <= 0 ||
            (sinceWatchdog.isValid() && sinceWatchdog.elapsed() < watchdogMs / 2))
            return;
        sinceWatchdog.start();
        service_manager::notify("WATCHDOG=1");
    });
    QObject::connect(&recorder.session(), &RecorderSession::gameRecorded, &recorder,
                     [&] { service_manager::notify(serviceStatus(recorder.session())); });
    QTimer::singleShot(0, &recorder, [&] {
        if (!recorder.start()) {
            // Exit code 1: a service manager shows the recorder as failed, with this line.
            dialogs.error(recorder.problem());
            service_manager::notify("STATUS=" + recorder.problem().simplified().toUtf8());
            app.exit(1);
            return;
        }
        service_manager::notify("READY=1\n" + serviceStatus(recorder.session()));
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
