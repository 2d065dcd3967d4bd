#include "league_scan.h"

#include "history/checkpoint_store.h"
#include "history/game_scan.h"

namespace vantor::history {

namespace {
const QByteArray kRatingsCheckpoint = "ratings";
} // namespace

void scanWindow(Database& db, bool coop, const TimeWindow& window, RatingBook* ratings,
                const WindowVisit& visit) {
    addTimeIndex(db);
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
    if (const auto saved = latestCheckpoint(db, kRatingsCheckpoint, coop, ids->first);
        saved && ratings->restore(saved->state))
        all.afterId = saved->throughId;
    std::vector<Checkpoint> toSave;
    std::int64_t sinceSaved = 0;
    scanGames(db, all, [&](const GameRow& g) {
        const std::vector<RatingChange> changes = ratings->add(g);
        visit(g, window.contains(g.playedAt), changes);
        if (++sinceSaved >= kCheckpointGames) {
            toSave.push_back({g.id, ratings->state()});
            sinceSaved = 0;
        }
    });
    for (const Checkpoint& c : toSave)
        saveCheckpoint(db, kRatingsCheckpoint, coop, c);
}

} // namespace vantor::history
