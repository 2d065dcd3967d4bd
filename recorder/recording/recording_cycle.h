#pragma once

#include "history/journal/player_names.h"
#include "stats/merge.h"
#include "stats/result_log.h"

#include "common/timing.h"
#include "platform/write_check.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <set>
#include <tuple>

namespace vantor {
class Dialogs;
}

namespace vantor::history {
struct GameRecord;
}

namespace vantor::recorder {

// A parsed game as the history keeps it.
history::GameRecord journalGame(const stats::ResultLog& log, const QByteArray& logBytes);

// One tick of the recorder: takes the game's newest result log, if the game has finished it,
// and merges it into the data folder. Messages go to the Dialogs given.
class RecordingCycle {
public:
    enum class Outcome {
        AlreadyRunning, // a tick inside a running cycle: nothing done
        NoLog,          // no finished log to read
        Recorded,       // merged wholly and deleted
        Skipped,        // a game type without stats file: deleted, the user told
        Failed,         // not merged at all (what was begun is undone): moved aside, the user told
        DataFolderBusy, // the other program holds the data folder: tried again next tick
    };

    explicit RecordingCycle(Dialogs& dialogs, QString dataFolder = QStringLiteral("."));

    void setGameFolder(const QString& folder) { gameFolder_ = folder; }
    const QString& gameFolder() const { return gameFolder_; }
    // The live stats hook: called at the end of a cycle that recorded a game with live stats on.
    void setLiveStatsHook(std::function<void()> hook) { liveStatsHook_ = std::move(hook); }
    // The date stamped on the records (default: today, short date format, 10 characters).
    void setToday(std::function<QByteArray()> today) { today_ = std::move(today); }
    void setLockTimeout(int ms) { lockTimeoutMs_ = ms; }
    // Whether recorded games go into the game history (the program's recorder does).
    void setJournaled(bool on) { journaled_ = on; }

    Outcome Readlogs(bool liveStatsEnabled);

    bool isRunning() const { return running_; }
    // The header of the last log recorded, for the live stats page.
    const stats::GameInfo& gameInfo() const { return gameInfo_; }
    WriteCompletionCheck& writeCheck() { return writeCheck_; }
    // The name a log was kept under by the last cycle that set one aside (empty: none).
    const QString& setAsideName() const { return setAsideName_; }

private:
    // A log's identity: device, inode, size, modification time.
    using FileId = std::tuple<quint64, quint64, qint64, qint64>;

    // Records the log claimed into the data folder, all or nothing. The data-folder lock is held.
    Outcome recordClaimed(bool liveStatsEnabled);
    // Merges every player, then the team result, each change kept in the undo journal first.
    // Every change goes past guard first (the undo journal and the history's tracker).
    stats::TeamTotals merge(const stats::ResultLog& log, bool liveStatsEnabled, ChangeGuard& guard,
                            const history::AliasMap& aliases);
    void setAside(const QString& log, const FileId& id, const QString& why);
    void setClaimedAside(const QString& why);

    Dialogs& dialogs_;
    QString dataFolder_;
    QString gameFolder_;
    std::function<void()> liveStatsHook_;
    std::function<QByteArray()> today_;
    int lockTimeoutMs_ = kRecordLockWaitMs;
    bool running_ = false;
    bool journaled_ = false;
    stats::GameInfo gameInfo_;
    stats::TeamTotals teams_;
    WriteCompletionCheck writeCheck_;
    // Logs that could be neither deleted nor moved: never read again while unchanged.
    std::set<FileId> stuck_;
    QString setAsideName_;
    // An undo that failed, shown once until it succeeds.
    QString lastUndoFailure_;
};

} // namespace vantor::recorder
