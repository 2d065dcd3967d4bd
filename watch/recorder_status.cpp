#include "recorder_status.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/plain_file.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor::watch {

namespace {

// Far more than the recorder ever writes; anything larger was not written by it.
constexpr qint64 kStatusFileLimit = 256 * 1024;
// The set-aside logs kept by name; more are counted by the newest ones.
constexpr int kSetAsideKept = 20;

// The recorder's own small file, read whole; nullopt when there is none.
std::optional<QByteArray> readStatusFile(const QString& path) {
    if (!entryExists(path))
        return std::nullopt;
    return readPlainFile(path, kStatusFileLimit);
}

QJsonObject outcomeJson(const Outcome& o) {
    return QJsonObject{{QStringLiteral("time"), o.time},
                       {QStringLiteral("ok"), o.ok},
                       {QStringLiteral("server"), o.server},
                       {QStringLiteral("detail"), o.detail}};
}

Outcome outcomeFrom(const QJsonValue& value) {
    const QJsonObject o = value.toObject();
    return Outcome{
        o.value(QStringLiteral("time")).toString(), o.value(QStringLiteral("ok")).toBool(),
        o.value(QStringLiteral("server")).toString(), o.value(QStringLiteral("detail")).toString()};
}

QStringList stringsFrom(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& v : value.toArray())
        if (v.isString())
            list << v.toString();
    return list;
}

} // namespace

std::map<QString, Outcome> readUploads(const QString& dataFolder) {
    const QString path = QDir(dataFolder).filePath(kUploadStatusFile);
    const std::optional<QByteArray> bytes = readStatusFile(path);
    std::map<QString, Outcome> uploads;
    if (!bytes)
        return uploads;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes);
    if (!doc.isObject())
        throw Error(QStringLiteral("The status file \"%1\" is damaged.").arg(kUploadStatusFile));
    const QJsonObject o = doc.object();
    for (auto it = o.begin(); it != o.end(); ++it)
        uploads[it.key()] = outcomeFrom(it.value());
    return uploads;
}

void recordUpload(const QString& dataFolder, const QString& kind, const Outcome& outcome) {
    try {
        std::map<QString, Outcome> uploads;
        try {
            uploads = readUploads(dataFolder);
        } catch (const Error&) {
            // A damaged record is replaced by this one.
        }
        uploads[kind] = outcome;
        QJsonObject o;
        for (const auto& [name, upload] : uploads)
            o.insert(name, outcomeJson(upload));
        const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Indented);
        const QDir folder(dataFolder);
        replaceFileWith(folder.filePath(kUploadStatusFile),
                        std::string_view(bytes.data(), bytes.size()),
                        folder.filePath(kUploadStatusWorkFile), 0644);
    } catch (const Error&) {
        // `status` then shows the upload before; the upload itself has said how it went.
    }
}

QString timeText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QByteArray statusJson(const RecorderStatus& s) {
    QJsonObject o;
    o.insert(QStringLiteral("lastGameId"), s.lastGameId);
    o.insert(QStringLiteral("lastGameTime"), s.lastGameTime);
    o.insert(QStringLiteral("lastGameMap"), fromCp1252(s.lastGameMap));
    o.insert(QStringLiteral("recordingSince"), s.recordingSince);
    o.insert(QStringLiteral("livePage"), outcomeJson(s.livePage));
    o.insert(QStringLiteral("liveUpload"), outcomeJson(s.liveUpload));
    o.insert(QStringLiteral("webhook"), outcomeJson(s.webhook));
    o.insert(QStringLiteral("uploadFailuresInARow"), s.uploadFailuresInARow);
    o.insert(QStringLiteral("setAside"),
             QJsonArray::fromStringList(
                 s.setAside.mid(std::max<qsizetype>(0, s.setAside.size() - kSetAsideKept))));
    o.insert(QStringLiteral("historyOutOfStep"), s.historyOutOfStep);
    o.insert(QStringLiteral("alerts"), QJsonArray::fromStringList(s.alerts));
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

RecorderStatus statusFromJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject())
        throw Error(QStringLiteral("The status file \"%1\" is damaged: %2.")
                        .arg(kRecorderStatusFile, error.error == QJsonParseError::NoError
                                                      ? QStringLiteral("no object")
                                                      : error.errorString()));
    const QJsonObject o = doc.object();
    RecorderStatus s;
    s.lastGameId = o.value(QStringLiteral("lastGameId")).toInteger();
    s.lastGameTime = o.value(QStringLiteral("lastGameTime")).toString();
    s.lastGameMap = toCp1252(o.value(QStringLiteral("lastGameMap")).toString());
    s.recordingSince = o.value(QStringLiteral("recordingSince")).toString();
    s.livePage = outcomeFrom(o.value(QStringLiteral("livePage")));
    s.liveUpload = outcomeFrom(o.value(QStringLiteral("liveUpload")));
    s.webhook = outcomeFrom(o.value(QStringLiteral("webhook")));
    s.uploadFailuresInARow = std::max(0, o.value(QStringLiteral("uploadFailuresInARow")).toInt());
    s.setAside = stringsFrom(o.value(QStringLiteral("setAside")));
    s.historyOutOfStep = o.value(QStringLiteral("historyOutOfStep")).toString();
    s.alerts = stringsFrom(o.value(QStringLiteral("alerts")));
    return s;
}

std::optional<RecorderStatus> readRecorderStatus(const QString& dataFolder) {
    const std::optional<QByteArray> bytes =
        readStatusFile(QDir(dataFolder).filePath(kRecorderStatusFile));
    if (!bytes)
        return std::nullopt;
    return statusFromJson(*bytes);
}

void writeRecorderStatus(const QString& dataFolder, const RecorderStatus& status) {
    const QDir folder(dataFolder);
    const QByteArray bytes = statusJson(status);
    replaceFileWith(folder.filePath(kRecorderStatusFile),
                    std::string_view(bytes.data(), bytes.size()),
                    folder.filePath(kRecorderStatusWorkFile), 0644);
}

} // namespace vantor::watch
