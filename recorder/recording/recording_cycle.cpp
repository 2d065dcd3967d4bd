#include "recording_cycle.h"

#include "claimed_log.h"
#include "result_log_files.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "common/fault_point.h"
#include "common/file_writer.h"
#include "common/undo_journal.h"
#include "history/journal/change_note.h"
#include "platform/data_folder_lock.h"
#include "platform/date_time_text.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::recorder {

namespace {
std::tuple<quint64, quint64, qint64, qint64> identify(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

const QString kNotRecorded =
    QStringLiteral("\n\nThe game was not recorded; the data files are as they were.");
} // namespace

RecordingCycle::RecordingCycle(Dialogs& dialogs, QString dataFolder)
    : dialogs_(dialogs), dataFolder_(std::move(dataFolder)),
      today_([] { return toCp1252(shortDateText()).left(10); }) {}

RecordingCycle::Outcome RecordingCycle::Readlogs(bool liveStatsEnabled) {
    if (running_)
        return Outcome::AlreadyRunning;
    running_ = true;
    setAsideName_.clear();
    const auto done = qScopeGuard([this] { running_ = false; });

    deleteResultLogs(gameFolder_, 1, 9);
    const QString claimed = claimedLogPath(dataFolder_);
    // A game claimed by a recorder that was killed is recorded before any new one; a journal
    // left behind is finished (undone or deleted) by taking the data folder.
    const bool leftOver =
        entryExists(claimed) || entryExists(QDir(dataFolder_).filePath(kUndoJournalFile));
    if (leftOver && stuck_.count(identify(claimed)))
        return Outcome::NoLog;
    const QString log = resultLogPath(gameFolder_, 0);
    std::optional<FileId> id;
    if (!leftOver) {
        if (!writeCheck_.isFinished(log))
            return Outcome::NoLog;
        id = identify(log);
        if (stuck_.count(*id))
            return Outcome::NoLog;
    }

    DataFolderLock lock(dataFolder_);
    try {
        if (!lock.lock(lockTimeoutMs_))
            return Outcome::DataFolderBusy;
        lastUndoFailure_.clear();
    } catch (const Error& e) {
        if (id) {
            setAside(log, *id, e.message() + kNotRecorded);
            return Outcome::Failed;
        }
        // Taking the folder undoes a game cut off before; a failure there is shown once.
        if (lastUndoFailure_ != e.message())
            dialogs_.error(e.message());
        lastUndoFailure_ = e.message();
        return Outcome::Failed;
    }
    // The lock has put back a game cut off mid-way; its claimed log is recorded now.
    if (!entryExists(claimed)) {
        if (!id)
            return Outcome::NoLog;
        try {
            claimLog(log, dataFolder_);
        } catch (const Error& e) {
            setAside(log, *id, e.message() + kNotRecorded);
            return Outcome::Failed;
        }
    }
    return recordClaimed(liveStatsEnabled);
}

RecordingCycle::Outcome RecordingCycle::recordClaimed(bool liveStatsEnabled) {
    // The whole log is read before anything is merged, so a bad line merges nothing.
    stats::ResultLog parsed;
    QByteArray logBytes;
    try {
        logBytes = readClaimedLog(dataFolder_);
        parsed = stats::parseResultLog(logBytes, today_());
    } catch (const Error& e) {
        setClaimedAside(e.message() + QStringLiteral("\n\nThe game was not recorded."));
        return Outcome::Failed;
    }

    if (statsFileName(parsed.info.gameType).isEmpty()) {
        faultPoint();
        const QString claimed = claimedLogPath(dataFolder_);
        if (::unlink(QFile::encodeName(claimed).constData()) != 0 && errno != ENOENT) {
            stuck_.insert(identify(claimed));
            dialogs_.error(
                systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(claimed), errno));
        }
        dialogs_.information(
            QStringLiteral("The game type \"%1\" of the result log is neither \"Adversarial\" nor "
                           "\"Cooperative\"; the game and its %2 player(s) were not recorded.")
                .arg(fromCp1252(parsed.info.gameType))
                .arg(parsed.players.size()));
        return Outcome::Skipped;
    }

    std::optional<UndoJournal> journal;
    // The history's view of the files before the game; its own failures never stop the game.
    std::optional<history::ChangeNote> note;
    std::int64_t eventId = 0;
    stats::TeamTotals teams = teams_;
    try {
        journal.emplace(dataFolder_);
        if (journaled_)
            note.emplace(dataFolder_, [this](const QString& text) { dialogs_.error(text); });
        history::ChangeTracker tracker(*journal);
        // A name made an alias is merged as its main name; the history keeps the name played.
        const history::AliasMap aliases =
            note ? note->aliases(parsed.info.gameType == kCooperative) : history::AliasMap{};
        teams = merge(parsed, liveStatsEnabled, tracker, aliases);
        journal->syncChanges();
        // Keyed by the claimed log: a crash before the commit below leaves the log, and whoever
        // finds it again drops the event with the game's undone changes.
        if (note)
            eventId = note->addGame(journalGame(parsed, logBytes), history::claimKeyIn(dataFolder_),
                                    &tracker);
        // The commit: once the claimed log is gone, the game is wholly in the files.
        faultPoint();
        const QString claimed = claimedLogPath(dataFolder_);
        if (::unlink(QFile::encodeName(claimed).constData()) != 0)
            throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(claimed), errno));
        syncFolder(dataFolder_);
    } catch (const Error& e) {
        if (journal) {
            try {
                journal->rollBack();
                if (note)
                    note->takeBack(eventId);
            } catch (const Error& undo) {
                // The journal and the claimed log stay: the next tick undoes and records again.
                dialogs_.error(e.message() + QStringLiteral("\n\n") + undo.message() +
                               QStringLiteral("\n\nThe game's changes will be undone and the "
                                              "game recorded again at the next attempt."));
                return Outcome::Failed;
            }
        }
        setClaimedAside(e.message() + kNotRecorded);
        if (journal) {
            try {
                journal->remove();
            } catch (const Error&) {
                // Undone already; the next holder of the folder finds no claimed log and
                // deletes it.
            }
        }
        return Outcome::Failed;
    }
    try {
        journal->remove();
    } catch (const Error&) {
        // Committed: the next holder of the data folder deletes it.
    }
    teams_ = teams;
    gameInfo_ = parsed.info;
    if (liveStatsEnabled && liveStatsHook_)
        liveStatsHook_();
    return Outcome::Recorded;
}

stats::TeamTotals RecordingCycle::merge(const stats::ResultLog& log, bool liveStatsEnabled,
                                        ChangeGuard& guard, const history::AliasMap& aliases) {
    std::vector<PlayerStatsRecord> players;
    players.reserve(log.players.size());
    for (const stats::PlayerResult& p : log.players) {
        players.push_back(p.stats);
        LastGameRecord last = p.lastGame;
        if (const auto main = aliases.constFind(p.stats.name.text()); main != aliases.cend()) {
            players.back().name.setText(*main);
            last.name.setText(*main);
        }
        if (liveStatsEnabled)
            stats::savelastgame(dataFolder_, last, &guard);
    }
    // One pass over the stats file for the whole game, however large the file.
    stats::saveplayers(dataFolder_, players, log.info.gameType, &guard);
    if (log.info.gameType == kAdversarial)
        return stats::saveteam(dataFolder_, log.teams, log.info.gameType, &guard);
    return teams_;
}

void RecordingCycle::setAside(const QString& log, const FileId& id, const QString& why) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString target = setAsidePath(gameFolder_);
        if (QFile::rename(log, target)) {
            setAsideName_ = QFileInfo(target).fileName();
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

void RecordingCycle::setClaimedAside(const QString& why) {
    const QString claimed = claimedLogPath(dataFolder_);
    try {
        const QString target = setClaimedLogAside(dataFolder_, gameFolder_);
        setAsideName_ = QFileInfo(target).fileName();
        dialogs_.error(why + QStringLiteral(" The result log was kept as \"%1\"; it will not be "
                                            "read again.")
                                 .arg(target));
    } catch (const Error& e) {
        stuck_.insert(identify(claimed));
        dialogs_.error(why + QStringLiteral(" The result log \"%1\" could not be moved aside (%2); "
                                            "it will not be read again.")
                                 .arg(claimed, e.message()));
    }
}

} // namespace vantor::recorder
