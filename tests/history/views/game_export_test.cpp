#include "game_samples.h"

#include "history/views/game_views.h"

#include "common/cp1252.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <limits>

using namespace vantor;
using namespace vantor::history;
using vantor::test::game;
using vantor::test::gamePlayer;

namespace {

QJsonObject parsed(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " at " << error.offset << ": "
        << json.mid(std::max(0, error.offset - 40), 80).toStdString();
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

PlayerStatsRecord totals(const QByteArray& name, int kills, int games) {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText("12/8/26");
    r.kills = kills;
    r.deaths = 1;
    r.games = games;
    r.hitPercent = 33;
    r.roundsFired = 500;
    r.roundsTaken = 20;
    r.skillPoints = kills * 50 + 33;
    return r;
}

} // namespace

TEST(ExportJson, NothingRecordedIsStillADocument) {
    const QJsonObject root = parsed(exportJson({}, {}));
    EXPECT_TRUE(root.value(QStringLiteral("players")).isArray());
    EXPECT_TRUE(root.value(QStringLiteral("games")).isArray());
    EXPECT_TRUE(root.value(QStringLiteral("players")).toArray().isEmpty());
}

TEST(ExportJson, PlayersWithTheirTotalsBlankRecordsLeftOut) {
    PlayerStatsRecord blank;
    blank.kills = 99;
    const std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
    PlayerStatsRecord huge = totals("Huge", 1, 1);
    huge.kills = maxInt;
    huge.skillPoints = std::numeric_limits<std::int32_t>::min();
    const QJsonObject root = parsed(exportJson({totals("Ace", 7, 3), blank, huge}, {}));
    const QJsonArray players = root.value(QStringLiteral("players")).toArray();
    ASSERT_EQ(players.size(), 2);
    const QJsonObject ace = players[0].toObject();
    EXPECT_EQ(ace.value(QStringLiteral("name")).toString(), QStringLiteral("Ace"));
    EXPECT_EQ(ace.value(QStringLiteral("lastPlayed")).toString(), QStringLiteral("12/8/26"));
    EXPECT_EQ(ace.value(QStringLiteral("kills")).toInt(), 7);
    EXPECT_EQ(ace.value(QStringLiteral("deaths")).toInt(), 1);
    EXPECT_EQ(ace.value(QStringLiteral("games")).toInt(), 3);
    EXPECT_EQ(ace.value(QStringLiteral("hitPercent")).toInt(), 33);
    EXPECT_EQ(ace.value(QStringLiteral("roundsFired")).toInt(), 500);
    EXPECT_EQ(ace.value(QStringLiteral("roundsTaken")).toInt(), 20);
    EXPECT_EQ(ace.value(QStringLiteral("skillPoints")).toInt(), 383);
    const QJsonObject big = players[1].toObject();
    EXPECT_EQ(big.value(QStringLiteral("kills")).toInteger(), maxInt);
    EXPECT_EQ(big.value(QStringLiteral("skillPoints")).toInteger(),
              std::numeric_limits<std::int32_t>::min());
}

TEST(ExportJson, GamesWithTheirPlayersOutcomesAndMarks) {
    GameRow blue = game(4, {gamePlayer("Ace", 3, 1, 190), gamePlayer("Bo", 0, 1, 0, "gold")},
                        TeamOutcome::BlueWon);
    blue.players[1].killedBy = "Ace";
    GameRow gold = game(5, {gamePlayer("Ace", 0, 1, 0)}, TeamOutcome::RedWon);
    gold.undone = true;
    GameRow coop = game(6, {}, TeamOutcome::Unknown);
    coop.coop = true;
    coop.gameType = "Cooperative";

    const QJsonArray games =
        parsed(exportJson({}, {blue, gold, coop})).value(QStringLiteral("games")).toArray();
    ASSERT_EQ(games.size(), 3);
    const QJsonObject first = games[0].toObject();
    EXPECT_EQ(first.value(QStringLiteral("id")).toInteger(), 4);
    EXPECT_EQ(first.value(QStringLiteral("playedAt")).toString(),
              QStringLiteral("2026-12-05 21:30:05"));
    EXPECT_EQ(first.value(QStringLiteral("coop")), QJsonValue(false));
    EXPECT_EQ(first.value(QStringLiteral("gameType")).toString(), QStringLiteral("Adversarial"));
    EXPECT_EQ(first.value(QStringLiteral("map")).toString(), QStringLiteral("Oil Refinery"));
    EXPECT_EQ(first.value(QStringLiteral("rules")).toString(), QStringLiteral("Team Survival"));
    EXPECT_EQ(first.value(QStringLiteral("elapsedTime")).toString(), QStringLiteral("12:01"));
    EXPECT_EQ(first.value(QStringLiteral("outcome")).toString(), QStringLiteral("blue"));
    EXPECT_EQ(first.value(QStringLiteral("undone")), QJsonValue(false));
    const QJsonArray players = first.value(QStringLiteral("players")).toArray();
    ASSERT_EQ(players.size(), 2);
    const QJsonObject bo = players[1].toObject();
    EXPECT_EQ(bo.value(QStringLiteral("name")).toString(), QStringLiteral("Bo"));
    EXPECT_EQ(bo.value(QStringLiteral("team")).toString(), QStringLiteral("gold"));
    EXPECT_EQ(bo.value(QStringLiteral("killedBy")).toString(), QStringLiteral("Ace"));
    EXPECT_EQ(bo.value(QStringLiteral("deaths")).toInt(), 1);
    EXPECT_EQ(bo.value(QStringLiteral("hitPercent")).toInt(), 40);
    EXPECT_EQ(bo.value(QStringLiteral("roundsFired")).toInt(), 120);
    EXPECT_EQ(bo.value(QStringLiteral("roundsTaken")).toInt(), 7);
    EXPECT_EQ(players[0].toObject().value(QStringLiteral("skillPoints")).toInt(), 190);

    EXPECT_EQ(games[1].toObject().value(QStringLiteral("outcome")).toString(),
              QStringLiteral("gold"));
    EXPECT_EQ(games[1].toObject().value(QStringLiteral("undone")), QJsonValue(true));
    const QJsonObject third = games[2].toObject();
    EXPECT_TRUE(third.value(QStringLiteral("outcome")).isNull());
    EXPECT_EQ(third.value(QStringLiteral("coop")), QJsonValue(true));
    EXPECT_TRUE(third.value(QStringLiteral("players")).toArray().isEmpty());
}

// Every byte a name can hold comes back as the character the code page gives it.
TEST(ExportJson, HostileTextsRoundTripThroughAJsonParser) {
    using namespace vantor::test;
    QByteArray everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += char(b);
    const std::vector<QByteArray> names = {kScriptName,
                                           kQuoteName,
                                           kHighName,
                                           kControlName,
                                           "back\\slash\\",
                                           everyByte.left(50),
                                           everyByte.mid(50, 50),
                                           everyByte.mid(100, 50),
                                           everyByte.mid(150, 50),
                                           everyByte.mid(200)};
    std::vector<PlayerStatsRecord> players;
    GameRow g = game(1, {});
    for (const QByteArray& name : names) {
        players.push_back(totals(name, 1, 1));
        g.players.push_back(gamePlayer(name, 1, 0, 100, name.left(4)));
        g.players.back().killedBy = name;
    }
    g.map = everyByte;
    g.rules = kControlName;
    g.elapsedTime = QByteArray("\0\"\\", 3);

    const QByteArray json = exportJson(players, {g});
    for (char c : json) {
        const auto b = static_cast<unsigned char>(c);
        ASSERT_FALSE(b < 0x20 && b != '\n') << "raw control byte " << int(b);
    }
    const QJsonObject root = parsed(json);
    const QJsonArray outPlayers = root.value(QStringLiteral("players")).toArray();
    const QJsonObject outGame = root.value(QStringLiteral("games")).toArray()[0].toObject();
    const QJsonArray gamePlayers = outGame.value(QStringLiteral("players")).toArray();
    ASSERT_EQ(outPlayers.size(), qsizetype(names.size()));
    ASSERT_EQ(gamePlayers.size(), qsizetype(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString expected = fromCp1252(names[i].left(50)); // as the stats record holds it
        EXPECT_EQ(outPlayers[qsizetype(i)].toObject().value(QStringLiteral("name")).toString(),
                  expected)
            << i;
        const QJsonObject p = gamePlayers[qsizetype(i)].toObject();
        EXPECT_EQ(p.value(QStringLiteral("name")).toString(), fromCp1252(names[i])) << i;
        EXPECT_EQ(p.value(QStringLiteral("killedBy")).toString(), fromCp1252(names[i])) << i;
        EXPECT_EQ(p.value(QStringLiteral("team")).toString(), fromCp1252(names[i].left(4))) << i;
    }
    EXPECT_EQ(outGame.value(QStringLiteral("map")).toString(), fromCp1252(everyByte));
    EXPECT_EQ(outGame.value(QStringLiteral("rules")).toString(), fromCp1252(kControlName));
    EXPECT_EQ(outGame.value(QStringLiteral("elapsedTime")).toString(),
              fromCp1252(QByteArray("\0\"\\", 3)));
}

TEST(ExportJson, ManyPlayersAndGamesStayOneValidDocument) {
    std::vector<PlayerStatsRecord> players;
    for (int i = 0; i < 3000; ++i)
        players.push_back(totals("P" + QByteArray::number(i) + "\x93\"", i, i + 1));
    const auto games = vantor::test::acesGames(800);
    const QJsonObject root = parsed(exportJson(players, games));
    EXPECT_EQ(root.value(QStringLiteral("players")).toArray().size(), 3000);
    EXPECT_EQ(root.value(QStringLiteral("games")).toArray().size(), 800);
    EXPECT_EQ(root.value(QStringLiteral("players"))
                  .toArray()[2999]
                  .toObject()
                  .value(QStringLiteral("name")),
              QJsonValue(QStringLiteral("P2999\u201C\"")));
}
