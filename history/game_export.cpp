#include "game_views.h"

#include "common/cp1252.h"

namespace vantor::history {

namespace {

// Writes one JSON document; objects of the two lists go one per line so that a large export
// stays readable with line tools.
class JsonOut {
public:
    QByteArray bytes;

    void text(QByteArrayView cp1252) {
        bytes += '"';
        for (QChar c : fromCp1252(cp1252)) {
            const char16_t u = c.unicode();
            switch (u) {
            case '"':
                bytes += "\\\"";
                break;
            case '\\':
                bytes += "\\\\";
                break;
            case '\n':
                bytes += "\\n";
                break;
            case '\r':
                bytes += "\\r";
                break;
            case '\t':
                bytes += "\\t";
                break;
            default:
                // The C0 controls must be escaped; DEL and the C1 controls are escaped too, so
                // a tool that prints the text raw cannot be steered by it.
                if (u < 0x20 || (u >= 0x7F && u < 0xA0))
                    bytes +=
                        QByteArray("\\u00") + QByteArray::number(int(u), 16).rightJustified(2, '0');
                else
                    utf8(u);
            }
        }
        bytes += '"';
    }
    // Code page 1252 decodes to the basic plane only: one to three bytes, no surrogates.
    void utf8(char16_t u) {
        if (u < 0x80) {
            bytes += char(u);
        } else if (u < 0x800) {
            bytes += char(0xC0 | (u >> 6));
            bytes += char(0x80 | (u & 0x3F));
        } else {
            bytes += char(0xE0 | (u >> 12));
            bytes += char(0x80 | ((u >> 6) & 0x3F));
            bytes += char(0x80 | (u & 0x3F));
        }
    }
    void key(const char* name) {
        bytes += '"';
        bytes += name;
        bytes += "\":";
    }
    void field(const char* name, QByteArrayView cp1252) {
        key(name);
        text(cp1252);
        bytes += ',';
    }
    void field(const char* name, qint64 value) {
        key(name);
        bytes += QByteArray::number(value);
        bytes += ',';
    }
    void flag(const char* name, bool value) {
        key(name);
        bytes += value ? "true," : "false,";
    }
    // Closes an object whose last member left a comma.
    void endObject() {
        bytes.chop(1);
        bytes += '}';
    }
};

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
