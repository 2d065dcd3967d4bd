#include "standings.h"

#include "common/skill.h"

namespace vantor::history {

QByteArray countedName(const AliasMap& aliases, const QByteArray& name) {
    const auto it = aliases.constFind(name);
    return it == aliases.cend() ? name : *it;
}

void PlayerTotals::add(const PlayerGameRow& row, QByteArrayView day) {
    kills += row.kills;
    deaths += row.deaths;
    games += 1;
    hitPercentSum += row.hitPercent;
    roundsFired += row.roundsFired;
    roundsTaken += row.roundsTaken;
    if (day > QByteArrayView(lastPlayed))
        lastPlayed = day.toByteArray();
}

PlayerStatsRecord PlayerTotals::record() const {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText(lastPlayed);
    r.kills = saturate32(kills);
    r.deaths = saturate32(deaths);
    r.games = saturate32(games);
    r.hitPercentSum = saturate32(hitPercentSum);
    r.roundsFired = saturate32(roundsFired);
    r.roundsTaken = saturate32(roundsTaken);
    calcskill(r);
    return r;
}

void PlayerTally::add(const GameRow& game) {
    if (game.undone)
        return;
    const QByteArrayView day =
        QByteArrayView(game.playedAt).first(std::min<qsizetype>(10, game.playedAt.size()));
    for (const PlayerGameRow& row : game.players) {
        const QByteArray name = countedName(aliases_, row.name);
        auto it = index_.constFind(name);
        if (it == index_.cend()) {
            it = index_.insert(name, players_.size());
            players_.push_back(PlayerTotals{name, {}, 0, 0, 0, 0, 0, 0});
        }
        players_[*it].add(row, day);
    }
}

const PlayerTotals* PlayerTally::find(const QByteArray& name) const {
    const auto it = index_.constFind(name);
    return it == index_.cend() ? nullptr : &players_[*it];
}

} // namespace vantor::history
