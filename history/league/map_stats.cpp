#include "map_stats.h"

#include <QList>
#include <algorithm>

namespace vantor::history {

std::optional<std::int64_t> MapSummary::averageSeconds() const {
    if (timedGames == 0)
        return std::nullopt;
    return elapsedSeconds / timedGames;
}

std::optional<std::int64_t> elapsedSeconds(QByteArrayView text) {
    const QList<QByteArray> parts = text.trimmed().toByteArray().split(':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    std::int64_t seconds = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& p = parts[i];
        if (p.isEmpty() || p.size() > 4 ||
            !std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const std::int64_t n = p.toLongLong();
        // Minutes and seconds after the first part stay below 60.
        if (i > 0 && (n >= 60 || p.size() != 2))
            return std::nullopt;
        seconds = seconds * 60 + n;
    }
    return seconds;
}

QByteArray elapsedText(std::int64_t seconds) {
    const auto two = [](std::int64_t n) { return QByteArray::number(n).rightJustified(2, '0'); };
    if (seconds >= 3600)
        return QByteArray::number(seconds / 3600) + ':' + two(seconds / 60 % 60) + ':' +
               two(seconds % 60);
    return QByteArray::number(seconds / 60) + ':' + two(seconds % 60);
}

void MapTally::add(const GameRow& game) {
    if (game.undone)
        return;
    auto it = index_.constFind(game.map);
    if (it == index_.cend()) {
        it = index_.insert(game.map, entries_.size());
        entries_.push_back(Entry{MapSummary{}, PlayerTally(aliases_)});
        entries_.back().summary.map = game.map;
    }
    Entry& e = entries_[*it];
    MapSummary& m = e.summary;
    ++m.games;
    if (game.outcome == TeamOutcome::BlueWon)
        ++m.blueWins;
    else if (game.outcome == TeamOutcome::RedWon)
        ++m.goldWins;
    else
        ++m.otherResults;
    if (const auto s = elapsedSeconds(game.elapsedTime)) {
        ++m.timedGames;
        m.elapsedSeconds += *s;
    }
    e.players.add(game);
}

std::vector<Standing> MapTally::players(const QByteArray& map) const {
    const auto it = index_.constFind(map);
    if (it == index_.cend())
        return {};
    return rankForAward(entries_[*it].players.players(), 1,
                        [](const PlayerTotals& p) { return p.kills; });
}

std::vector<MapSummary> MapTally::maps() const {
    std::vector<MapSummary> out;
    for (const Entry& e : entries_) {
        MapSummary m = e.summary;
        const auto ranked = players(m.map);
        if (!ranked.empty()) {
            m.bestPlayer = ranked.front().totals.name;
            m.bestKills = ranked.front().value;
        }
        out.push_back(std::move(m));
    }
    return out;
}

} // namespace vantor::history
