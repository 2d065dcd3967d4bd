#include "site_model.h"

#include "common/skill.h"

#include <algorithm>
#include <cstring>
#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>
#include <limits>

namespace vantor::history::site {

// Players ordered by skill points (highest first, then by index), with the order of any key at
// hand in O(log n): a player's rank right after his game without sorting everyone again.
struct SiteModel::RankTree {
    using Key = std::pair<std::int64_t, std::uint32_t>; // (-skill points, player)
    __gnu_pbds::tree<Key, __gnu_pbds::null_type, std::less<Key>, __gnu_pbds::rb_tree_tag,
                     __gnu_pbds::tree_order_statistics_node_update>
        tree;
    std::vector<std::int64_t> keyOf; // per player; INT64_MIN: not in the tree
};

namespace {
AliasMap aliasMapOf(const std::unordered_map<QByteArray, QByteArray>& mainNameOf) {
    AliasMap aliases;
    for (const auto& [alias, main] : mainNameOf)
        aliases.insert(alias, main);
    return aliases;
}
} // namespace

bool wonBy(TeamOutcome outcome, const QByteArray& team) {
    return (outcome == TeamOutcome::BlueWon && team == "blue") ||
           (outcome == TeamOutcome::RedWon && team == "gold");
}

void Totals::add(const SiteRow& r, bool won) {
    kills += r.kills;
    deaths += r.deaths;
    hitSum += r.hitPercent;
    games += 1;
    roundsFired += r.roundsFired;
    roundsTaken += r.roundsTaken;
    wins += won ? 1 : 0;
}

std::int32_t Totals::hitPercent() const {
    return averageHitPercent(saturate32(hitSum), saturate32(games));
}

std::int32_t Totals::skillPoints() const {
    return skillPointsOf(saturate32(kills), saturate32(deaths), hitPercent());
}

std::int64_t Totals::killsPerGame() const {
    return games == 0 ? 0 : kills * 100 / games;
}

std::int64_t Totals::deathsPerGame() const {
    return games == 0 ? 0 : deaths * 100 / games;
}

std::int64_t elapsedSeconds(const QByteArray& text) {
    const QList<QByteArray> parts = text.trimmed().split(':');
    if (parts.size() < 2 || parts.size() > 3)
        return -1;
    std::int64_t total = 0;
    for (const QByteArray& p : parts) {
        bool ok = false;
        const int v = p.toInt(&ok);
        if (!ok || v < 0 || p.size() > 4)
            return -1;
        total = total * 60 + v;
    }
    return total;
}

QDate dateOf(const QByteArray& playedAt) {
    return QDate::fromString(QString::fromLatin1(playedAt.left(10)), QStringLiteral("yyyy-MM-dd"));
}

SiteModel::SiteModel(const SitePeople& people, std::vector<SiteSeason> seasons)
    : mainNameOf_(people.mainNameOf), coopMainNameOf_(people.coopMainNameOf),
      seasons_(std::move(seasons)), ranks_(std::make_shared<RankTree>()),
      ratings_(aliasMapOf(people.mainNameOf)) {
    for (int kind = 0; kind < 3; ++kind)
        kept_[kind].key.kind = PeriodKind(kind);
    for (const QByteArray& name : people.hidden)
        hidden_[name] = true;
    std::stable_sort(seasons_.begin(), seasons_.end(),
                     [](const SiteSeason& a, const SiteSeason& b) { return a.start < b.start; });
}

std::uint32_t SiteModel::intern(std::vector<QByteArray>& list,
                                std::unordered_map<QByteArray, std::uint32_t>& index,
                                const QByteArray& text) {
    const auto [it, added] = index.try_emplace(text, std::uint32_t(list.size()));
    if (added)
        list.push_back(text);
    return it->second;
}

const QByteArray& SiteModel::shownName(const QByteArray& recorded, bool coop) const {
    static const QByteArray none;
    const auto& aliases = coop ? coopMainNameOf_ : mainNameOf_;
    const auto main = aliases.find(recorded);
    const QByteArray& name = main == aliases.end() ? recorded : main->second;
    return hidden_.count(name) ? none : name;
}

QByteArray SiteModel::playedAt(const SiteGame& game) const {
    if (game.playedAtSize == SiteGame::kTimeInTexts)
        return texts_[game.playedAtText];
    return QByteArray(game.playedAt, game.playedAtSize);
}

std::vector<QByteArray> SiteModel::aliasesOf(const QByteArray& mainName) const {
    std::vector<QByteArray> out;
    for (const auto* aliases : {&mainNameOf_, &coopMainNameOf_})
        for (const auto& [alias, main] : *aliases)
            if (main == mainName)
                out.push_back(alias);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::uint32_t SiteModel::playerIndex(const QByteArray& name, std::uint32_t game) {
    const auto [it, added] = playerIndex_.try_emplace(name, std::uint32_t(players_.size()));
    if (added) {
        players_.push_back(SitePlayer{name, {}, 0, 0, game, game});
        ranks_->keyOf.push_back(std::numeric_limits<std::int64_t>::min());
    }
    return it->second;
}

int SiteModel::seasonOf(const QDate& date) const {
    int found = -1;
    for (std::size_t i = 0; i < seasons_.size(); ++i)
        if (date.isValid() && seasons_[i].start <= date)
            found = int(i);
    return found;
}

void SiteModel::addGame(const GameRow& game) {
    if (game.undone)
        return;
    if (!game.coop)
        ratings_.add(game);
    SiteGame g;
    g.id = game.id;
    if (game.playedAt.size() <= SiteGame::kInlineTime) {
        std::memcpy(g.playedAt, game.playedAt.constData(), std::size_t(game.playedAt.size()));
        g.playedAtSize = std::uint8_t(game.playedAt.size());
    } else {
        g.playedAtSize = SiteGame::kTimeInTexts;
        g.playedAtText = intern(texts_, textIndex_, game.playedAt);
    }
    g.coop = game.coop ? 1 : 0;
    g.map = intern(maps_, mapIndex_, game.map);
    g.rules = intern(texts_, textIndex_, game.rules);
    g.elapsed = intern(texts_, textIndex_, game.elapsedTime);
    g.outcome = game.outcome;
    g.firstRow = std::uint32_t(rows_.size());
    if (g.map == mapTallies_.size()) {
        mapTallies_.emplace_back();
        mapPlayers_.emplace_back();
    }
    const QDate date = dateOf(game.playedAt);
    if (date.isValid()) {
        int weekYear = 0;
        const int week = date.weekNumber(&weekYear);
        g.week = weekYear * 100 + week;
        g.month = date.year() * 100 + date.month();
        g.season = seasonOf(date);
    }
    g.inMonth = monthGames_[g.month]++;
    const auto gameIndex = std::uint32_t(games_.size());
    std::vector<std::uint32_t> played;
    for (const PlayerGameRow& p : game.players) {
        const QByteArray& name = shownName(p.name, game.coop);
        if (name.isEmpty())
            continue; // hidden, or no name at all
        SiteRow r;
        r.player = playerIndex(name, gameIndex);
        r.game = gameIndex;
        r.kills = p.kills;
        r.deaths = p.deaths;
        r.hitPercent = p.hitPercent;
        r.roundsFired = p.roundsFired;
        r.roundsTaken = p.roundsTaken;
        r.team = intern(texts_, textIndex_, p.team);
        r.killedBy = intern(texts_, textIndex_, shownName(p.killedBy, game.coop));
        SitePlayer& player = players_[r.player];
        r.previous = player.lastRow;
        player.lastRow = std::uint32_t(rows_.size());
        rows_.push_back(r);

        player.total.add(r, wonBy(game.outcome, p.team));
        player.lastGame = gameIndex;
        played.push_back(r.player);
    }
    g.rowCount = std::uint32_t(rows_.size()) - g.firstRow;
    tally(g);
    games_.push_back(std::move(g));
    updateRanks(played);
}

// What a map's page and the current periods' pages show, kept up as games come so that a
// refresh does not sum every game again.
void SiteModel::tally(const SiteGame& g) {
    MapTally& map = mapTallies_[g.map];
    map.blue += g.outcome == TeamOutcome::BlueWon ? 1 : 0;
    map.gold += g.outcome == TeamOutcome::RedWon ? 1 : 0;
    if (const std::int64_t s = elapsedSeconds(texts_[g.elapsed]); s >= 0) {
        map.seconds += s;
        ++map.timed;
    }
    for (std::uint32_t i = g.firstRow; i < g.firstRow + g.rowCount; ++i)
        mapPlayers_[g.map].add(rows_[i].player, rows_[i].kills);
    const PeriodKey keys[] = {
        {PeriodKind::Week, g.week}, {PeriodKind::Month, g.month}, {PeriodKind::Season, g.season}};
    for (const PeriodKey& key : keys) {
        if (key.kind == PeriodKind::Season ? key.value < 0 : g.week == 0)
            continue;
        KeptWindow& w = kept_[int(key.kind)];
        if (w.any && key < w.key)
            continue; // dated into an older period: summed when its page is made
        if (!w.any || w.key < key)
            w = KeptWindow{true, key, {}};
        w.totals.blue += g.outcome == TeamOutcome::BlueWon ? 1 : 0;
        w.totals.gold += g.outcome == TeamOutcome::RedWon ? 1 : 0;
        for (std::uint32_t i = g.firstRow; i < g.firstRow + g.rowCount; ++i) {
            const SiteRow& r = rows_[i];
            w.totals.players[r.player].add(r, wonBy(g.outcome, texts_[r.team]));
        }
    }
}

void MapPlayers::add(std::uint32_t player, std::int64_t kills) {
    if (!read_.empty()) {
        table_.reserve(read_.size() + 64);
        for (const Entry& e : read_)
            table_.emplace(e.first, e.second);
        read_ = {};
    }
    MapPlayer& mp = table_[player];
    mp.kills += kills;
    mp.games += 1;
}

std::vector<MapPlayers::Entry> MapPlayers::all() const {
    std::vector<Entry> out(read_);
    out.insert(out.end(), table_.begin(), table_.end());
    return out;
}

const WindowTotals* SiteModel::keptTotals(const PeriodKey& key) const {
    const KeptWindow& w = kept_[int(key.kind)];
    return w.any && w.key == key ? &w.totals : nullptr;
}

void SiteModel::updateRanks(const std::vector<std::uint32_t>& played) {
    auto& tree = ranks_->tree;
    for (std::uint32_t p : played) {
        std::int64_t& key = ranks_->keyOf[p];
        if (key != std::numeric_limits<std::int64_t>::min())
            tree.erase({key, p});
        key = -std::int64_t(players_[p].total.skillPoints());
        tree.insert({key, p});
    }
    for (std::uint32_t p : played) {
        // Equal skill points share a rank: one more than those strictly ahead.
        players_[p].rank = std::uint32_t(tree.order_of_key({ranks_->keyOf[p], 0})) + 1;
        players_[p].rankedCount = std::uint32_t(tree.size());
    }
}

bool SiteModel::reindex() {
    const auto index = [](const std::vector<QByteArray>& list,
                          std::unordered_map<QByteArray, std::uint32_t>& into) {
        into.clear();
        into.reserve(list.size());
        for (std::uint32_t i = 0; i < list.size(); ++i)
            if (!into.try_emplace(list[i], i).second)
                return false;
        return true;
    };
    if (!index(maps_, mapIndex_) || !index(texts_, textIndex_))
        return false;
    playerIndex_.clear();
    playerIndex_.reserve(players_.size());
    ranks_ = std::make_shared<RankTree>();
    ranks_->keyOf.reserve(players_.size());
    for (std::uint32_t p = 0; p < players_.size(); ++p) {
        if (players_[p].name.isEmpty() || !playerIndex_.try_emplace(players_[p].name, p).second)
            return false;
        // Everyone listed has played, so everyone stands in the order.
        ranks_->keyOf.push_back(-std::int64_t(players_[p].total.skillPoints()));
        ranks_->tree.insert({ranks_->keyOf.back(), p});
    }
    return true;
}

void SiteModel::finish() {
    ranks_.reset();
    mapGames_.assign(maps_.size(), {});
    periods_.clear();
    for (std::uint32_t i = 0; i < games_.size(); ++i) {
        const SiteGame& g = games_[i];
        mapGames_[g.map].push_back(i);
        if (g.week != 0) {
            periods_[{PeriodKind::Week, g.week}].push_back(i);
            periods_[{PeriodKind::Month, g.month}].push_back(i);
        }
        if (g.season >= 0)
            periods_[{PeriodKind::Season, g.season}].push_back(i);
    }
}

std::vector<std::uint32_t> SiteModel::rowsOf(std::uint32_t player) const {
    std::vector<std::uint32_t> out;
    out.reserve(std::size_t(std::clamp<std::int64_t>(players_[player].total.games, 0, 1 << 20)));
    for (std::uint32_t i = players_[player].lastRow; i != kNoRow; i = rows_[i].previous)
        out.push_back(i);
    std::reverse(out.begin(), out.end());
    return out;
}

WindowTotals SiteModel::totalsOver(const std::vector<std::uint32_t>& games) const {
    WindowTotals out;
    for (std::uint32_t gi : games) {
        const SiteGame& g = games_[gi];
        out.blue += g.outcome == TeamOutcome::BlueWon ? 1 : 0;
        out.gold += g.outcome == TeamOutcome::RedWon ? 1 : 0;
        for (std::uint32_t i = g.firstRow; i < g.firstRow + g.rowCount; ++i) {
            const SiteRow& r = rows_[i];
            out.players[r.player].add(r, wonBy(g.outcome, texts_[r.team]));
        }
    }
    return out;
}

} // namespace vantor::history::site
