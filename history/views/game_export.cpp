#include "game_views.h"
#include "json_out.h"

namespace vantor::history {

namespace {

void outcome(JsonOut& j, TeamOutcome o) {
    j.key("outcome");
    switch (o) {
    case TeamOutcome::BlueWon:
        j.bytes += "\"blue\",";
        return;
    case TeamOutcome::RedWon:
        j.bytes += "\"gold\",";
        return;
    case TeamOutcome::Unknown:
        break;
    }
    j.bytes += "null,";
}

void gamePlayer(JsonOut& j, const PlayerGameRow& p) {
    j.bytes += '{';
    j.field("name", p.name);
    j.field("team", p.team);
    j.field("killedBy", p.killedBy);
    j.field("kills", p.kills);
    j.field("deaths", p.deaths);
    j.field("hitPercent", p.hitPercent);
    j.field("roundsFired", p.roundsFired);
    j.field("roundsTaken", p.roundsTaken);
    j.field("skillPoints", p.skillPoints);
    j.endObject();
}

void game(JsonOut& j, const GameRow& g) {
    j.bytes += '{';
    j.field("id", g.id);
    j.field("playedAt", g.playedAt);
    j.flag("coop", g.coop);
    j.field("gameType", g.gameType);
    j.field("map", g.map);
    j.field("rules", g.rules);
    j.field("elapsedTime", g.elapsedTime);
    outcome(j, g.outcome);
    j.flag("undone", g.undone);
    j.key("players");
    j.bytes += '[';
    for (std::size_t i = 0; i < g.players.size(); ++i) {
        if (i > 0)
            j.bytes += ',';
        gamePlayer(j, g.players[i]);
    }
    j.bytes += "]}";
}

} // namespace

QByteArray gameJson(const GameRow& row) {
    JsonOut j;
    game(j, row);
    return j.bytes;
}

QByteArray exportJson(const std::vector<PlayerStatsRecord>& players,
                      const std::vector<GameRow>& games) {
    JsonOut j;
    j.bytes.reserve(qsizetype(players.size()) * 200 + qsizetype(games.size()) * 1200 + 64);
    j.bytes += "{\"players\":[";
    bool first = true;
    for (const PlayerStatsRecord& p : players) {
        if (p.isBlank())
            continue;
        j.bytes += first ? "\n{" : ",\n{";
        first = false;
        j.field("name", p.name.text());
        j.field("lastPlayed", p.lastPlayed.text());
        j.field("kills", p.kills);
        j.field("deaths", p.deaths);
        j.field("games", p.games);
        j.field("hitPercent", p.hitPercent);
        j.field("roundsFired", p.roundsFired);
        j.field("roundsTaken", p.roundsTaken);
        j.field("skillPoints", p.skillPoints);
        j.endObject();
    }
    j.bytes += "],\n\"games\":[";
    first = true;
    for (const GameRow& g : games) {
        j.bytes += first ? "\n" : ",\n";
        first = false;
        game(j, g);
    }
    j.bytes += "]}\n";
    return j.bytes;
}

} // namespace vantor::history
