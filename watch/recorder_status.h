#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace vantor::watch {

// How one thing went the last time: when ("YYYY-MM-DD HH:MM:SS", local), whether it worked,
// where to (a server, URLs masked) and why not.
struct Outcome {
    QString time;
    bool ok = false;
    QString server;
    QString detail;
    bool known() const { return !time.isEmpty(); }
};

// What the recorder keeps for `status` in the data folder ("status file").
struct RecorderStatus {
    qint64 lastGameId = 0; // 0: none recorded since the status was first kept
    QString lastGameTime;
    QByteArray lastGameMap; // code page 1252
    // When recording started; empty once it stopped as asked.
    QString recordingSince;
    Outcome livePage;
    Outcome liveUpload;
    Outcome webhook;
    int uploadFailuresInARow = 0;
    // Result logs set aside as malformed since the last game: their new names.
    QStringList setAside;
    QString historyOutOfStep;
    // The alert conditions raised and not yet cleared.
    QStringList alerts;
};

QByteArray statusJson(const RecorderStatus& status);
// Values of the wrong type read as absent; a document that is no JSON object throws
// vantor::Error.
RecorderStatus statusFromJson(const QByteArray& json);

// The status file of dataFolder; nullopt when there is none. Throws vantor::Error when it cannot
// be read or is damaged (a link, too large, no JSON object).
std::optional<RecorderStatus> readRecorderStatus(const QString& dataFolder);
// Replaces the status file whole; throws vantor::Error when it cannot.
void writeRecorderStatus(const QString& dataFolder, const RecorderStatus& status);

// The utilities' last upload of a page ("page") or of the site ("site"), kept for `status`
// beside the recorder's file. Never throws: an upload's outcome must not turn on its record.
void recordUpload(const QString& dataFolder, const QString& kind, const Outcome& outcome);
// The uploads kept, by kind; none when there is no file. Throws vantor::Error as the above.
std::map<QString, Outcome> readUploads(const QString& dataFolder);

// The local time as the status file and the history write it.
QString timeText(const QDateTime& when);

} // namespace vantor::watch
