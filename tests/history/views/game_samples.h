#pragma once

#include "history/journal/game_rows.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace vantor::test {

// Names a remote player could choose: markup, quotes, code page 1252 letters (0xE9 'é', 0x80
// the euro sign, 0x81 a byte the code page leaves undefined) and control characters.
inline const QByteArray kScriptName = "<script>alert(1)</script>";
inline const QByteArray kQuoteName = "O'Neil \"Ace\" & <b>";
inline const QByteArray kHighName = "Ren\xE9 \x80\x81";
inline const QByteArray kControlName = QByteArray("Zed\x1B[31m\x07\x00\t\r\n\x7F", 13);

inline history::PlayerGameRow gamePlayer(const QByteArray& name, int kills, int deaths,
                                         int skillPoints, const QByteArray& team = "blue") {
    history::PlayerGameRow p;
    p.name = name;
    p.team = team;
    p.kills = kills;
    p.deaths = deaths;
    p.hitPercent = 40;
    p.roundsFired = 120;
    p.roundsTaken = 7;
    p.skillPoints = skillPoints;
    return p;
}

inline history::GameRow game(std::int64_t id, std::vector<history::PlayerGameRow> players,
                             history::TeamOutcome outcome = history::TeamOutcome::BlueWon) {
    history::GameRow g;
    g.id = id;
    g.playedAt = QByteArray("2026-12-") + QByteArray::number(1 + id % 28).rightJustified(2, '0') +
                 " 21:30:05";
    g.gameType = "Adversarial";
    g.map = "Oil Refinery";
    g.rules = "Team Survival";
    g.elapsedTime = "12:01";
    g.outcome = outcome;
    g.players = std::move(players);
    return g;
}

// `count` games of "Ace" (with one other player each), oldest first, ids from 1; skill points
// run below zero and up, kills vary.
inline std::vector<history::GameRow> acesGames(int count) {
    std::vector<history::GameRow> games;
    for (int i = 0; i < count; ++i)
        games.push_back(
            game(i + 1, {gamePlayer("Other", 1, 1, 50, "gold"),
                         gamePlayer("Ace", (i * 7) % 13, i % 2, (i * 37) % 900 - 150)}));
    return games;
}

} // namespace vantor::test
