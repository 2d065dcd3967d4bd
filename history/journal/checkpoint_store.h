#pragma once

#include "sqlite_db.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

namespace vantor::history {

// The saved state of a computation over the games of one game type (the ratings), after every
// game up to an event id, so that a later question starts there instead of at the first game.
// A state stays valid while the games up to it are what they were: it is dropped as soon as a
// game was undone or redone, or the count of games up to it changed.
struct Checkpoint {
    std::int64_t throughId = 0;
    QByteArray state;
};

// The latest valid checkpoint of `kind` before event id beforeId.
std::optional<Checkpoint> latestCheckpoint(Database& db, const QByteArray& kind, bool coop,
                                           std::int64_t beforeId);
// Kept unless one is there already.
void saveCheckpoint(Database& db, const QByteArray& kind, bool coop, const Checkpoint& checkpoint);

} // namespace vantor::history
