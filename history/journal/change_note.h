#pragma once

#include "change_tracker.h"
#include "journal.h"
#include "player_names.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace vantor::history {

// Where the history's warnings go; standard error when the caller names no place.
using WarnFn = std::function<void(const QString&)>;

// Whether a front end's changes of the data files go into the game history, and where the
// history's warnings go. The programs journal; a window or session made without saying so (a
// test's) does not.
struct Journaling {
    bool on = false;
    WarnFn warn;
};

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
    // hints: states of files whose digest the change folded as it wrote them.
    void add(const ChangeEvent& event, const std::map<QString, FileState>& hints = {});
    // The aliases a game of the type is recorded under; none when the history is left out.
    AliasMap aliases(bool coop);
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
