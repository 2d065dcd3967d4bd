#pragma once

#include "history/journal/journal.h"
#include "replay.h"

#include "platform/data_folder_lock.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace vantor::history {

// The data folder's history for a command, under the data-folder lock. Unless the command
// mends a disagreement itself, a history that no longer agrees with the files is refused with
// vantor::Error; a missing one is started from the current files.
class HistoryAccess {
public:
    explicit HistoryAccess(const QString& dataFolder, bool mustAgree = true);
    Journal& journal() { return *journal_; }

private:
    DataFolderLock lock_;
    std::unique_ptr<Journal> journal_;
};

// `rebuild --yes`: the files rebuilt from the baseline and the events. Their bytes must give the
// digest the history stored last, else nothing is written. Gives how many files differed (and
// were rewritten); a history out of step is put back in step by it.
int rebuildFiles(const QString& dataFolder);

// `rebuild --from-files`: a new baseline from the files as they are. A history that cannot be
// read is kept beside under a new name (given back), and a new one started.
QString rebuildFromFiles(const QString& dataFolder);

// `undo-game` / `redo-game`: the files become what they would be with the game taken out (put
// back), by replaying the history; the game stays, marked. number: as `games` shows it.
void setGameUndone(const QString& dataFolder, std::int64_t number, bool undone);
// `undo-change` / `redo-change`: the same for an upkeep change, by its event id as `changes`
// shows it.
void setChangeUndone(const QString& dataFolder, std::int64_t id, bool undone);

// The refusal of a command while the history disagrees with the files.
QString disagreementMessage(const QString& reason);

} // namespace vantor::history
