#pragma once

#include "change_tracker.h"
#include "journal.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace vantor::history {

// The programs switch the history on; library code and its tests leave it off unless asked.
void setJournalEnabled(bool on);
bool journalEnabled();

// While one lives, changes are not journaled: a replay runs the same code on scratch files.
class ReplayScope {
public:
    ReplayScope();
    ~ReplayScope();
    ReplayScope(const ReplayScope&) = delete;
    ReplayScope& operator=(const ReplayScope&) = delete;
};

// Where the history's warnings go when the caller names no place (standard error by default).
using WarnFn = std::function<void(const QString&)>;
void setWarningSink(WarnFn sink);

// Identifies the game claimed into the data folder (its bytes and inode); empty when none.
QByteArray claimKeyIn(const QString& dataFolder);

// The journal's side of one change of the data files. Made before the change, holding the
// data-folder lock: it opens (or starts) the history and checks that it agrees with the files.
// Nothing here throws, and nothing stops the change: a history that cannot be written or that
// no longer agrees is said once and left out.
class ChangeNote {
public:
    explicit ChangeNote(const QString& dataFolder, WarnFn warn = {});
    ~ChangeNote();

    bool active() const { return journal_ != nullptr; }
    // After the change: the game's event, its id (0 when it was not journaled).
    // tracker: what the game changed, so a large file need not be hashed whole.
    std::int64_t addGame(const GameRecord& game, const QByteArray& claimKey,
                         const ChangeTracker* tracker = nullptr);
    void add(const ChangeEvent& event);
    // The game's change was undone after all.
    void takeBack(std::int64_t id);

private:
    void failed(const QString& why);

    QString folder_;
    WarnFn warn_;
    std::unique_ptr<Journal> journal_;
};

// The text said when the history stops agreeing with the files.
QString outOfStepMessage(const QString& reason);

} // namespace vantor::history
