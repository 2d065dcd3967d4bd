#include "standings.h"

#include "common/skill.h"

namespace vantor::history {

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

std::vector<PlayerTotals> countedUnder(const AliasMap& aliases, std::vector<PlayerTotals> totals) {
    if (aliases.isEmpty())
        return totals;
    QHash<QByteArray, std::size_t> index;
    std::vector<PlayerTotals> out;
    for (PlayerTotals& t : totals) {
        t.name = countedName(aliases, t.name);
        const auto it = index.constFind(t.name);
        if (it == index.cend()) {
            index.insert(t.name, out.size());
            out.push_back(std::move(t));
            continue;
        }
        PlayerTotals& into = out[*it];
        into.kills += t.kills;
        into.deaths += t.deaths;
        into.games += t.games;
        into.hitPercentSum += t.hitPercentSum;
        into.roundsFired += t.roundsFired;
        into.roundsTaken += t.roundsTaken;
        into.lastPlayed = std::max(into.lastPlayed, t.lastPlayed);
    }
    return out;
}

const PlayerTotals* PlayerTally::find(const QByteArray& name) const {
    const auto it = index_.constFind(name);
    return it == index_.cend() ? nullptr : &players_[*it];
}

} // namespace vantor::history
