#include "recording_cycle.h"

#include "result_log_files.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "platform/data_folder_lock.h"
#include "platform/date_time_text.h"
#include "platform/dialogs.h"

#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::recorder {

namespace {
std::tuple<quint64, quint64, qint64, qint64> identify(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QByteArray readWholeFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open \"%1\": %2").arg(path, f.errorString()));
    QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError)
        throw Error(QStringLiteral("Cannot read \"%1\": %2").arg(path, f.errorString()));
    return bytes;
}
} // namespace

RecordingCycle::RecordingCycle(Dialogs& dialogs, QString dataFolder)
    : dialogs_(dialogs), dataFolder_(std::move(dataFolder)),
      today_([] { return toCp1252(shortDateText()).left(10); }) {}

RecordingCycle::Outcome RecordingCycle::Readlogs(bool liveStatsEnabled) {
    if (running_)
        return Outcome::AlreadyRunning;
    running_ = true;
    const auto done = qScopeGuard([this] { running_ = false; });

    deleteResultLogs(gameFolder_, 1, 9);
    const QString log = resultLogPath(gameFolder_, 0);
    if (!writeCheck_.isFinished(log))
        return Outcome::NoLog;
    const FileId id = identify(log);
    if (stuck_.count(id))
        return Outcome::NoLog;

    // The whole log is read before anything is merged, so a bad line merges nothing.
    ResultLog parsed;
    try {
        parsed = parseResultLog(readWholeFile(log), today_());
    } catch (const Error& e) {
        setAside(log, id, e.message() + QStringLiteral("\n\nThe game was not recorded."));
        return Outcome::Failed;
    }

    if (statsFileName(parsed.info.gameType).isEmpty()) {
        retire(log, id);
        dialogs_.information(
            QStringLiteral("The game type \"%1\" of the result log is neither \"Adversarial\" nor "
                           "\"Cooperative\"; the game and its %2 player(s) were not recorded.")
                .arg(fromCp1252(parsed.info.gameType))
                .arg(parsed.players.size()));
        return Outcome::Skipped;
    }

    int merged = 0;
    try {
        DataFolderLock lock(dataFolder_);
        if (!lock.lock(lockTimeoutMs_))
            return Outcome::DataFolderBusy;
        merge(parsed, liveStatsEnabled, merged);
    } catch (const Error& e) {
        setAside(log, id,
                 e.message() +
                     QStringLiteral("\n\n%1 of the game's %2 player(s) were recorded; its "
                                    "team win was not.")
                         .arg(merged)
                         .arg(parsed.players.size()));
        return Outcome::Failed;
    }
    gameInfo_ = parsed.info;
    retire(log, id);
    if (liveStatsEnabled && createLiveStats_)
        createLiveStats_();
    return Outcome::Recorded;
}

void RecordingCycle::merge(const ResultLog& log, bool liveStatsEnabled, int& merged) {
    for (const PlayerResult& p : log.players) {
        if (liveStatsEnabled)
            savelastgame(dataFolder_, p.lastGame);
        saveplayer(dataFolder_, p.stats, log.info.gameType);
        ++merged;
    }
    if (log.info.gameType == kAdversarial)
        teams_ = saveteam(dataFolder_, log.teams, log.info.gameType);
}

void RecordingCycle::retire(const QString& log, const FileId& id) {
    if (::unlink(QFile::encodeName(log).constData()) == 0 || errno == ENOENT)
        return;
    const int err = errno;
    // Read again, it would be counted twice.
    stuck_.insert(id);
    dialogs_.error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(log), err) +
                   QStringLiteral("\n\nThe log will not be read again."));
}

void RecordingCycle::setAside(const QString& log, const FileId& id, const QString& why) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString target = setAsidePath(gameFolder_);
        if (QFile::rename(log, target)) {
            dialogs_.error(why + QStringLiteral(" The result log was kept as \"%1\"; it will not "
                                                "be read again.")
                                     .arg(target));
            return;
        }
        if (!QFile::exists(log)) {
            dialogs_.error(why);
            return;
        }
    }
    stuck_.insert(id);
    dialogs_.error(why + QStringLiteral(" The result log \"%1\" could not be moved aside; it will "
                                        "not be read again.")
                             .arg(log));
}

} // namespace vantor::recorder
