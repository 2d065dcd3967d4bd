#include "status_check.h"

#include "alerts.h"
#include "recorder_status.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/error.h"
#include "history/journal/journal.h"
#include "platform/data_folder_lock.h"
#include "platform/recorder_lock.h"
#include "webhook/messages.h"
#include "webhook/webhook_address.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor::watch {

namespace {

struct HistoryState {
    bool exists = false;
    QString outOfStep; // why, or empty
    QString problem;   // it could not be read
};

HistoryState historyState(const QString& dataFolder) {
    HistoryState h;
    try {
        const std::unique_ptr<history::Journal> journal =
            history::Journal::openExisting(dataFolder);
        if (!journal)
            return h;
        h.exists = true;
        // Compared with the files only when nobody changes them at this moment; else the mark
        // the programs left is what is known.
        DataFolderLock lock(dataFolder);
        h.outOfStep = lock.tryLock() ? journal->checkFiles().reason : journal->outOfStepReason();
    } catch (const Error& e) {
        h.problem = e.message();
    }
    return h;
}

QString outcomeLine(const QString& what, const Outcome& o, const QString& success) {
    if (!o.known())
        return what + QStringLiteral(": none yet");
    QString line = what + QStringLiteral(": ") + o.time + u' ';
    line += o.ok ? success : QStringLiteral("failed");
    if (!o.server.isEmpty())
        line += QStringLiteral(" (") + o.server + u')';
    if (!o.ok && !o.detail.isEmpty())
        line += QStringLiteral(": ") + o.detail;
    return line;
}

QJsonObject outcomeObject(const Outcome& o) {
    if (!o.known())
        return {};
    return QJsonObject{{QStringLiteral("time"), o.time},
                       {QStringLiteral("ok"), o.ok},
                       {QStringLiteral("server"), o.server},
                       {QStringLiteral("detail"), o.detail}};
}

QStringList settingsProblems(const WebhookSettings& settings) {
    QStringList problems;
    for (const QString& url : webhook::splitUrls(settings.urls + u' ' + settings.alertUrls))
        if (const QString p = webhook::urlProblem(QUrl(url)); !p.isEmpty())
            problems << QStringLiteral("Webhook: ") + p;
    if (!webhook::formatNamed(settings.format))
        problems << QStringLiteral(
                        "Webhook: \"webhookformat\" holds \"%1\"; it must be \"discord\" "
                        "or \"json\".")
                        .arg(settings.format.left(40));
    if (!settings.problem.isEmpty())
        problems << QStringLiteral("Alerts: ") + settings.problem;
    return problems;
}

} // namespace

StatusCheck checkStatus(const QString& dataFolder, const WebhookSettings& settings,
                        const QDateTime& now) {
    StatusCheck c;
    const QDir folder(dataFolder);
    const bool recording = RecorderLock::heldElsewhere(dataFolder);

    RecorderStatus status;
    bool kept = false;
    try {
        if (const auto read = readRecorderStatus(dataFolder)) {
            status = *read;
            kept = true;
        }
    } catch (const Error& e) {
        c.problems << e.message();
    }
    const HistoryState history = historyState(dataFolder);
    QStringList recovery;
    for (const QString& name : {kClaimedLogFile, kUndoJournalFile})
        if (QFileInfo::exists(folder.filePath(name)))
            recovery << name;

    c.lines << QStringLiteral("Data folder: ") + folder.absolutePath();
    c.lines << (recording ? QStringLiteral("Recorder: recording") +
                                (status.recordingSince.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" since ") + status.recordingSince)
                          : QStringLiteral("Recorder: not recording"));
    if (!recording && !status.recordingSince.isEmpty())
        c.problems << QStringLiteral(
                          "The recorder stopped without being asked to (it was recording "
                          "since %1).")
                          .arg(status.recordingSince);
    c.lines << (status.lastGameId > 0
                    ? QStringLiteral("Last game: %1 at %2 (%3)")
                          .arg(status.lastGameId)
                          .arg(status.lastGameTime, fromCp1252(status.lastGameMap))
                    : QStringLiteral("Last game: none recorded"));
    if (!kept)
        c.lines << QStringLiteral("No recorder has kept a status here yet.");

    c.lines << outcomeLine(QStringLiteral("Live page"), status.livePage, QStringLiteral("written"));
    if (status.livePage.known() && !status.livePage.ok)
        c.problems << QStringLiteral("The live stats page could not be written at %1: %2")
                          .arg(status.livePage.time, status.livePage.detail);
    c.lines << outcomeLine(QStringLiteral("Live page upload"), status.liveUpload,
                           QStringLiteral("uploaded"));
    if (status.liveUpload.known() && !status.liveUpload.ok)
        c.problems << QStringLiteral("The live stats page upload failed at %1 (%2 in a row): %3")
                          .arg(status.liveUpload.time)
                          .arg(status.uploadFailuresInARow)
                          .arg(status.liveUpload.detail);
    std::map<QString, Outcome> uploads;
    try {
        uploads = readUploads(dataFolder);
    } catch (const Error& e) {
        c.problems << e.message();
    }
    for (const auto& [kind, upload] : uploads) {
        const QString what = kind == QLatin1String("site") ? QStringLiteral("Site upload")
                                                           : QStringLiteral("Page upload");
        c.lines << outcomeLine(what, upload, QStringLiteral("uploaded"));
        if (upload.known() && !upload.ok)
            c.problems << QStringLiteral("The %1 failed at %2 (%3): %4")
                              .arg(what.toLower(), upload.time, upload.server, upload.detail);
    }
    c.lines << outcomeLine(QStringLiteral("Webhook"), status.webhook, QStringLiteral("delivered"));
    if (status.webhook.known() && !status.webhook.ok)
        c.problems << QStringLiteral("The last webhook message failed at %1: %2")
                          .arg(status.webhook.time, status.webhook.detail);

    QString historyLine = QStringLiteral("History: ");
    if (!history.problem.isEmpty()) {
        historyLine += QStringLiteral("cannot be read");
        c.problems << QStringLiteral("The game history cannot be read: ") + history.problem;
    } else if (!history.exists) {
        historyLine += QStringLiteral("none yet");
    } else if (history.outOfStep.isEmpty()) {
        historyLine += QStringLiteral("in step with the stats files");
    } else {
        historyLine += QStringLiteral("out of step");
        c.problems << QStringLiteral("The game history is out of step with the stats files: ") +
                          history.outOfStep;
    }
    c.lines << historyLine;

    c.lines << QStringLiteral("Recovery files: ") + (recovery.isEmpty()
                                                         ? QStringLiteral("none")
                                                         : recovery.join(QStringLiteral(", ")));
    // While a recorder runs they belong to the game it is recording.
    if (!recovery.isEmpty() && !recording)
        c.problems << QStringLiteral(
                          "A game was left half recorded (%1); the recorder puts it back "
                          "when it starts.")
                          .arg(recovery.join(QStringLiteral(", ")));
    c.lines << QStringLiteral("Logs set aside as malformed since the last game: %1")
                   .arg(status.setAside.size());
    if (!status.setAside.isEmpty())
        c.problems << QStringLiteral(
                          "%1 result log(s) set aside as malformed since the last game: %2")
                          .arg(status.setAside.size())
                          .arg(status.setAside.join(QStringLiteral(", ")));

    // The days without a game, as the alert counts them, only while someone records.
    RecorderStatus probe = status;
    probe.alerts.clear();
    probe.uploadFailuresInARow = 0;
    probe.setAside.clear();
    probe.historyOutOfStep.clear();
    if (!recording)
        probe.recordingSince.clear();
    for (const AlertChange& change :
         updateAlerts(probe, AlertLimits{settings.uploadFailures, settings.daysWithoutGame}, now))
        if (change.condition == kNoGames)
            c.problems << change.text.mid(QStringLiteral("Alert: ").size());
    c.problems << settingsProblems(settings);

    QJsonObject o;
    o.insert(QStringLiteral("dataFolder"), folder.absolutePath());
    o.insert(QStringLiteral("recording"), recording);
    o.insert(QStringLiteral("recordingSince"), status.recordingSince);
    if (status.lastGameId > 0)
        o.insert(QStringLiteral("lastGame"),
                 QJsonObject{{QStringLiteral("id"), status.lastGameId},
                             {QStringLiteral("time"), status.lastGameTime},
                             {QStringLiteral("map"), fromCp1252(status.lastGameMap)}});
    o.insert(QStringLiteral("livePage"), outcomeObject(status.livePage));
    o.insert(QStringLiteral("liveUpload"), outcomeObject(status.liveUpload));
    o.insert(QStringLiteral("uploadFailuresInARow"), status.uploadFailuresInARow);
    o.insert(QStringLiteral("webhook"), outcomeObject(status.webhook));
    for (const auto& [kind, upload] : uploads)
        o.insert(kind + QStringLiteral("Upload"), outcomeObject(upload));
    o.insert(QStringLiteral("history"),
             QJsonObject{{QStringLiteral("exists"), history.exists},
                         {QStringLiteral("inStep"), history.exists && history.problem.isEmpty() &&
                                                        history.outOfStep.isEmpty()},
                         {QStringLiteral("reason"), history.outOfStep + history.problem}});
    o.insert(QStringLiteral("recoveryFiles"), QJsonArray::fromStringList(recovery));
    o.insert(QStringLiteral("setAside"), QJsonArray::fromStringList(status.setAside));
    o.insert(QStringLiteral("alerts"), QJsonArray::fromStringList(status.alerts));
    o.insert(QStringLiteral("problems"), QJsonArray::fromStringList(c.problems));
    o.insert(QStringLiteral("healthy"), c.healthy());
    c.json = QJsonDocument(o).toJson(QJsonDocument::Indented);
    return c;
}

} // namespace vantor::watch
