#pragma once

#include "history/journal/game_rows.h"
#include "history/league/rating.h"

#include "site_kept_list.h"

#include <QByteArray>
#include <QDate>
#include <QHash> // std::hash of QByteArray
#include <QString>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace vantor::history::site {

// Who is shown, and as whom: the history's aliases (each holds for one game type) and hidden
// players.
struct SitePeople {
    std::unordered_map<QByteArray, QByteArray> mainNameOf;     // alias -> main name
    std::unordered_map<QByteArray, QByteArray> coopMainNameOf; // the same in co-operative games
    std::vector<QByteArray> hidden;                            // main names left out everywhere
};

// A named season: from its start date up to the start of the next one.
struct SiteSeason {
    QString name;
    QDate start;
};

struct SiteRow;

// Whether a player of team won the game ("blue" or "gold", as the result logs name them).
bool wonBy(TeamOutcome outcome, const QByteArray& team);

// A player's figures summed over some games.
struct Totals {
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    std::int64_t hitSum = 0;
    std::int64_t games = 0;
    std::int64_t roundsFired = 0;
    std::int64_t roundsTaken = 0;
    std::int64_t wins = 0;

    void add(const SiteRow& row, bool won);

    // As the stats file derives them: average hit % and skill points from the sums.
    std::int32_t hitPercent() const;
    std::int32_t skillPoints() const;
    // Hundredths, for ranking by kills or deaths per game.
    std::int64_t killsPerGame() const;
    std::int64_t deathsPerGame() const;
    bool operator==(const Totals&) const = default;
};

// Every player's figures over one window of games, and the team wins in it.
struct WindowTotals {
    std::unordered_map<std::uint32_t, Totals> players;
    std::int64_t blue = 0;
    std::int64_t gold = 0;
};

// A map's games at a glance.
struct MapTally {
    std::int64_t blue = 0;
    std::int64_t gold = 0;
    std::int64_t seconds = 0; // elapsed, over the games whose elapsed time could be read
    std::int64_t timed = 0;
};

// A player's kills and games on one map.
struct MapPlayer {
    std::int64_t kills = 0;
    std::int64_t games = 0;
};

// Every player's kills and games on one map: as read back from a kept model, a list; made into a
// table only once a game on the map comes, so that a refresh builds tables for its maps alone.
class MapPlayers {
public:
    using Entry = std::pair<std::uint32_t, MapPlayer>;
    void add(std::uint32_t player, std::int64_t kills);
    void adopt(std::vector<Entry> read) { read_ = std::move(read); }
    std::vector<Entry> all() const;
    template <typename Visit> void forEach(const Visit& visit) const {
        for (const Entry& e : read_)
            visit(e.first, e.second);
        for (const auto& [player, mp] : table_)
            visit(player, mp);
    }
    std::size_t size() const { return read_.size() + table_.size(); }

private:
    std::vector<Entry> read_; // empty once the table is made
    std::unordered_map<std::uint32_t, MapPlayer> table_;
};

// A window of time the site has a page for.
enum class PeriodKind { Week, Month, Season };
struct PeriodKey {
    PeriodKind kind = PeriodKind::Week;
    int value = 0; // week: year*100+week, month: year*100+month, season: its index
    auto operator<=>(const PeriodKey&) const = default;
};

// One player's line of one game, with names and texts interned.
struct SiteRow {
    std::uint32_t player = 0;
    std::uint32_t game = 0;
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
    std::int32_t hitPercent = 0;
    std::int32_t roundsFired = 0;
    std::int32_t roundsTaken = 0;
    std::uint32_t team = 0;     // index into texts
    std::uint32_t killedBy = 0; // index into texts; a hidden player's name reads as empty
    std::uint32_t previous = 0; // the player's row before, kNoRow for his first
};

inline constexpr std::uint32_t kNoRow = 0xFFFFFFFF;

// A million games hold some sixteen million rows.
using SiteRows = KeptList<SiteRow>;

// Kept as it lies in memory: no pointers, no padding.
struct SiteGame {
    static constexpr int kInlineTime = 19; // "YYYY-MM-DD HH:MM:SS"
    static constexpr std::uint8_t kTimeInTexts = 0xFF;

    std::int64_t id = 0;
    std::uint32_t map = 0;   // index into maps
    std::uint32_t rules = 0; // index into texts
    std::uint32_t elapsed = 0;
    std::uint32_t firstRow = 0;
    std::uint32_t rowCount = 0;
    std::uint32_t playedAtText = 0; // index into texts, for a time too long to keep inline
    std::uint32_t inMonth = 0;      // its place among the games of its month
    std::int32_t week = 0;          // year*100+week, 0 when the date cannot be read
    std::int32_t month = 0;         // year*100+month
    std::int32_t season = -1;
    TeamOutcome outcome = TeamOutcome::Unknown;
    char playedAt[kInlineTime] = {};
    std::uint8_t playedAtSize = 0; // kTimeInTexts: see playedAtText
    std::uint8_t coop = 0;
    std::uint8_t reserved[7] = {};
};

using SiteGames = KeptList<SiteGame>;

struct SitePlayer {
    QByteArray name;
    Totals total;
    std::uint32_t rank = 0;        // by skill points, right after his last game
    std::uint32_t rankedCount = 0; // players ranked then
    std::uint32_t firstGame = 0;   // index into games
    std::uint32_t lastGame = 0;
    std::uint32_t lastRow = kNoRow; // index into rows
};

// Every counted game of the history, folded into what the pages show. Undone games and hidden
// players are left out; aliases count as their main name.
class SiteModel {
public:
    SiteModel(const SitePeople& people, std::vector<SiteSeason> seasons);

    // Games must come in id order.
    void addGame(const GameRow& game);
    // After the last game: indexes by player, map and period.
    void finish();

    const SiteGames& games() const { return games_; }
    const SiteRows& rows() const { return rows_; }
    const std::vector<SitePlayer>& players() const { return players_; }
    const std::vector<QByteArray>& maps() const { return maps_; }
    const QByteArray& text(std::uint32_t index) const { return texts_[index]; }
    const std::vector<SiteSeason>& seasons() const { return seasons_; }
    // When a game was played, as recorded.
    QByteArray playedAt(const SiteGame& game) const;
    // A player's rating over the adversarial games so far; nullptr before his first rated game.
    const Rating* ratingOf(const QByteArray& name) const { return ratings_.find(name); }
    // The names a main name was also recorded under.
    std::vector<QByteArray> aliasesOf(const QByteArray& mainName) const;

    // A player's rows, oldest first.
    std::vector<std::uint32_t> rowsOf(std::uint32_t player) const;
    // The games of a map, oldest first.
    const std::vector<std::uint32_t>& gamesOfMap(std::uint32_t map) const { return mapGames_[map]; }
    const MapTally& mapTally(std::uint32_t map) const { return mapTallies_[map]; }
    const MapPlayers& mapPlayers(std::uint32_t map) const { return mapPlayers_[map]; }
    // The games of every period that has any, oldest first.
    const std::map<PeriodKey, std::vector<std::uint32_t>>& periods() const { return periods_; }
    // The season a date falls in, -1 before the first.
    int seasonOf(const QDate& date) const;

    // Totals over some games.
    WindowTotals totalsOver(const std::vector<std::uint32_t>& games) const;
    // The totals of the newest week, month or season seen, summed as the games came in;
    // nullptr for any other period.
    const WindowTotals* keptTotals(const PeriodKey& key) const;

private:
    friend struct ModelCodec; // the snapshot kept between builds
    // After the lists were read back: the indexes addGame() keeps; false when a name is twice.
    bool reindex();

    std::uint32_t intern(std::vector<QByteArray>& list,
                         std::unordered_map<QByteArray, std::uint32_t>& index,
                         const QByteArray& text);
    std::uint32_t playerIndex(const QByteArray& name, std::uint32_t game);
    const QByteArray& shownName(const QByteArray& recorded, bool coop) const;
    void updateRanks(const std::vector<std::uint32_t>& played);
    void tally(const SiteGame& game);

    // The newest period of each kind, and its totals so far.
    struct KeptWindow {
        bool any = false;
        PeriodKey key;
        WindowTotals totals;
    };

    std::unordered_map<QByteArray, QByteArray> mainNameOf_;
    std::unordered_map<QByteArray, QByteArray> coopMainNameOf_;
    std::unordered_map<QByteArray, bool> hidden_;
    std::vector<SiteSeason> seasons_;

    SiteGames games_;
    SiteRows rows_;
    std::vector<SitePlayer> players_;
    std::unordered_map<QByteArray, std::uint32_t> playerIndex_;
    std::vector<QByteArray> maps_;
    std::unordered_map<QByteArray, std::uint32_t> mapIndex_;
    std::vector<QByteArray> texts_;
    std::unordered_map<QByteArray, std::uint32_t> textIndex_;
    std::vector<std::vector<std::uint32_t>> mapGames_;
    std::vector<MapTally> mapTallies_;
    std::vector<MapPlayers> mapPlayers_;
    KeptWindow kept_[3]; // by PeriodKind
    std::map<PeriodKey, std::vector<std::uint32_t>> periods_;
    std::map<int, std::uint32_t> monthGames_; // games so far per month

    struct RankTree;
    std::shared_ptr<RankTree> ranks_;
    RatingBook ratings_; // hidden players count here as in the rating itself
};

// "YYYY-MM-DD HH:MM:SS" -> its date; invalid when it is not one.
QDate dateOf(const QByteArray& playedAt);

// Seconds of an elapsed time "MM:SS" or "H:MM:SS"; -1 when it is neither.
std::int64_t elapsedSeconds(const QByteArray& text);

} // namespace vantor::history::site
