#include "league_scan.h"

#include "history/journal/checkpoint_store.h"
#include "history/journal/game_scan.h"

#include "common/error.h"

namespace vantor::history {

namespace {
const QByteArray kRatingsCheckpoint = "ratings";

// The index and the checkpoints only make questions faster: a history that cannot be written
// (a read-only folder, a full disk) is answered all the same, only slower.
template <class Write> void ifWritable(Write write) {
    try {
        write();
    } catch (const Error&) {
    }
}

} // namespace

void scanWindow(Database& db, bool coop, const TimeWindow& window, RatingBook* ratings,
                const WindowVisit& visit, std::int64_t checkpointGames) {
    ifWritable([&] { addTimeIndex(db); });
    GameScan scan;
    scan.coop = coop;
    scan.from = window.from;
    scan.until = window.until;
    if (!ratings) {
        static const std::vector<RatingChange> none;
        scanGames(db, scan, [&](const GameRow& g) { visit(g, true, none); });
        return;
    }
    const auto ids = gameIdRange(db, scan);
    if (!ids)
        return;
    // Every game up to the window's last, from the latest ratings saved before its first.
    GameScan all;
    all.coop = coop;
    all.throughId = ids->last;
    std::optional<Checkpoint> saved;
    ifWritable([&] { saved = latestCheckpoint(db, kRatingsCheckpoint, coop, ids->first); });
    if (saved && ratings->restore(saved->state))
        all.afterId = saved->throughId;
    std::vector<Checkpoint> toSave;
    std::int64_t sinceSaved = 0;
    scanGames(db, all, [&](const GameRow& g) {
        const std::vector<RatingChange> changes = ratings->add(g);
        visit(g, window.contains(g.playedAt), changes);
        if (++sinceSaved >= checkpointGames) {
            toSave.push_back({g.id, ratings->state()});
            sinceSaved = 0;
        }
    });
    ifWritable([&] {
        for (const Checkpoint& c : toSave)
            saveCheckpoint(db, kRatingsCheckpoint, coop, c);
    });
}

std::array<std::int64_t, 3> windowOutcomes(Database& db, bool coop, const TimeWindow& window) {
    ifWritable([&] { addTimeIndex(db); });
    GameScan scan;
    scan.coop = coop;
    scan.from = window.from;
    scan.until = window.until;
    return outcomeCounts(db, scan);
}

} // namespace vantor::history
