#include "result_log.h"

#include "log_text.h"

#include "common/error.h"

namespace vantor::stats {

namespace {
// Label characters of the value lines, the game's own.
constexpr int kGameTypeLabel = 8;
constexpr int kMapLabel = 13;
constexpr int kRulesLabel = 9;
constexpr int kElapsedTimeLabel = 16;
constexpr int kTeamLabel = 14;
constexpr int kHealthLabel = 16;
constexpr int kNameLabel = 15;
constexpr int kKillsLabel = 19;
constexpr int kHitPercentLabel = 18;
constexpr int kRoundsFiredLabel = 23;
constexpr int kRoundsTakenLabel = 23;
constexpr int kKilledByLabel = 23;
constexpr int kTeamResultLabel = 15;

constexpr int kGameTypeMax = 20;
constexpr int kNameMax = 50;

QByteArray teamOf(QByteArrayView code) {
    if (code == "0")
        return "blue";
    if (code == "3")
        return "gold";
    return {};
}

// "2" and "3" are the game's codes for a player who ended the game dead.
std::int32_t deathsOf(QByteArrayView health) {
    return health == "2" || health == "3" ? 1 : 0;
}

PlayerResult readPlayer(LogCursor& log, QByteArrayView today, TeamResult& teams) {
    PlayerResult p;
    auto& s = p.stats;
    auto& l = p.lastGame;

    log.skipLine();
    const QByteArray team = teamOf(log.readText(kTeamLabel));
    log.skipLine();
    s.deaths = l.deaths = deathsOf(log.readText(kHealthLabel));
    const QByteArray name = log.readText(kNameLabel, kNameMax);
    s.name.setText(name);
    l.name.setText(name);
    s.kills = l.kills = log.readNumber(kKillsLabel);
    s.hitPercentSum = l.hitPercentSum = log.readNumber(kHitPercentLabel);
    s.roundsFired = l.roundsFired = log.readNumber(kRoundsFiredLabel);
    s.roundsTaken = l.roundsTaken = log.readNumber(kRoundsTakenLabel);
    // Kills without a round fired (grenades, say) count as a perfect game.
    if (s.kills > 0 && s.roundsFired == 0)
        s.hitPercentSum = l.hitPercentSum = 100;
    l.killedBy.setText(log.readText(kKilledByLabel, kNameMax));
    const QByteArray result = log.readText(kTeamResultLabel);
    if (team == "blue") {
        teams.known = true;
        teams.blueWon = result == "1";
    }
    s.games = l.games = 1;
    s.lastPlayed.setText(today);
    l.lastPlayed.setText(today);
    l.team.setText(team);
    log.skipLine();
    return p;
}
} // namespace

ResultLog parseResultLog(QByteArrayView bytes, QByteArrayView today) {
    LogCursor log(bytes);
    ResultLog out;
    out.info.gameType = log.readText(kGameTypeLabel, kGameTypeMax);
    out.info.map = log.readText(kMapLabel);
    log.skipLine();
    out.info.rules = log.readText(kRulesLabel);
    out.info.elapsedTime = log.readText(kElapsedTimeLabel);
    log.skipLine();
    while (!log.atEnd()) {
        // A game holds at most 64 players; more is no game's log, and merging them would take
        // minutes (each player reads the stats file from its start).
        if (out.players.size() == std::size_t(kMaxPlayers))
            throw Error(QStringLiteral("The result log holds more than %1 player blocks; a game "
                                       "has at most %1 players, so the log is not a game's.")
                            .arg(kMaxPlayers));
        out.players.push_back(readPlayer(log, today, out.teams));
    }
    return out;
}

} // namespace vantor::stats
