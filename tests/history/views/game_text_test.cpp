#include "game_samples.h"

#include "history/views/game_views.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::history;
using vantor::test::game;
using vantor::test::gamePlayer;

namespace {
QStringList linesOf(const QByteArray& utf8) {
    QStringList lines = QString::fromUtf8(utf8).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.takeLast(), QString()) << "every line ends with a line feed";
    return lines;
}

bool hasTerminalControl(const QByteArray& text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\n') || b == 0x7F)
            return true;
    }
    // C1 controls reach a terminal as UTF-8 C2 80..C2 9F.
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) == 0xC2 &&
            static_cast<unsigned char>(text[i + 1]) < 0xA0)
            return true;
    return false;
}
} // namespace

TEST(GamesList, OneAlignedLinePerGameWithResultPlayersAndUndoneMark) {
    std::vector<GameRow> games = {
        game(12, {gamePlayer("A", 1, 0, 140), gamePlayer("B", 0, 1, 0, "gold")},
             TeamOutcome::RedWon),
        game(9, {gamePlayer("A", 2, 1, 140)}, TeamOutcome::BlueWon),
        game(3, {gamePlayer("A", 2, 1, 140), gamePlayer("B", 0, 1, 0), gamePlayer("C", 0, 0, 0)},
             TeamOutcome::Unknown),
    };
    games[1].map = "R\xE9sidence"; // one character, two bytes of UTF-8
    games[1].undone = true;
    games[2].map = "A much longer map name";

    const QStringList lines = linesOf(gamesListText(games));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ID"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].trimmed().startsWith(QStringLiteral("12  ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("gold won")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Résidence")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("blue won")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("(undone)")));
    EXPECT_FALSE(lines[1].contains(QStringLiteral("undone")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("  -")));

    // Columns line up by character, not by byte: the rules start in one place on every line.
    const qsizetype rules = lines[1].indexOf(QStringLiteral("Team Survival"));
    ASSERT_GT(rules, 0);
    EXPECT_EQ(lines[2].indexOf(QStringLiteral("Team Survival")), rules);
    EXPECT_EQ(lines[3].indexOf(QStringLiteral("Team Survival")), rules);
    EXPECT_EQ(lines[0].indexOf(QStringLiteral("Rules")), rules);
    // The player counts are right-aligned under their heading.
    const qsizetype players = lines[0].indexOf(QStringLiteral("Players")) + 6;
    EXPECT_EQ(lines[1][players], QLatin1Char('2'));
    EXPECT_EQ(lines[2][players], QLatin1Char('1'));
    EXPECT_EQ(lines[3][players], QLatin1Char('3'));
}

TEST(GamesList, NoGamesSaysSo) {
    EXPECT_EQ(gamesListText({}), QByteArray("No games recorded.\n"));
}

TEST(GamesList, HostileTextsCannotReachTheTerminalAsControls) {
    GameRow g = game(1, {gamePlayer(vantor::test::kControlName, 1, 0, 100)});
    g.map = vantor::test::kControlName;
    g.rules = "Team\x1B]0;owned\x07 Survival";
    g.playedAt = QByteArray("2026-12-01\r\n21:30", 18);
    const QByteArray text = gamesListText({g});
    EXPECT_FALSE(hasTerminalControl(text)) << text.toHex(' ').toStdString();
    EXPECT_EQ(linesOf(text).size(), 2) << "a line feed in a game text must not start a line";
    EXPECT_TRUE(text.contains("Zed?[31m")) << text.toStdString();
}

TEST(PlayerHistory, OnlyThePlayersGamesOldestFirstWithHisFigures) {
    std::vector<GameRow> newestFirst = {
        game(30, {gamePlayer("Ace", 9, 0, 940)}),
        game(20, {gamePlayer("Other", 1, 1, 90)}),
        game(10, {gamePlayer("Other", 0, 1, 0), gamePlayer("Ace", 3, 1, 190, "gold")}),
    };
    newestFirst[0].undone = true;
    const QStringList lines = linesOf(playerHistoryText("Ace", newestFirst));
    ASSERT_EQ(lines.size(), 3) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("10  ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("gold")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("  190"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("30  ")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral(" 940")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("(undone)")));
}

TEST(PlayerHistory, APlayerWithoutGamesAndAPlayerWithoutTeam) {
    const std::vector<GameRow> games = {game(1, {gamePlayer("ace", 1, 0, 100, "")})};
    EXPECT_EQ(playerHistoryText("Ace", games), QByteArray("No recorded games of \"Ace\".\n"));
    const QStringList lines = linesOf(playerHistoryText("ace", games));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("Oil Refinery  -  "))) << lines[1].toStdString();
    EXPECT_FALSE(hasTerminalControl(playerHistoryText(vantor::test::kControlName, games)));
}

TEST(FindPlayer, JoinsNamesAsTheStatsFileDoes) {
    const QByteArray fifty(50, 'x');
    GameRow g =
        game(1, {gamePlayer("ACE", 1, 0, 1), gamePlayer("Ace", 2, 0, 2), gamePlayer("Ace", 3, 0, 3),
                 gamePlayer(fifty + "-tail", 4, 0, 4), gamePlayer("", 5, 0, 5)});
    const auto kills = [&g](const QByteArray& name) {
        std::vector<int> found;
        for (const PlayerGameRow* p : blocksOf(g, name))
            found.push_back(p->kills);
        return found;
    };
    EXPECT_EQ(kills("Ace"), std::vector<int>({2, 3}))
        << "case counts, and a name twice in a game was merged twice: both blocks count";
    EXPECT_EQ(kills("ACE"), std::vector<int>({1}));
    EXPECT_TRUE(kills("Ace ").empty());
    EXPECT_TRUE(kills("Ac").empty());
    // The stats file holds 50 characters of a name: the record and the row join on those.
    EXPECT_EQ(kills(fifty), std::vector<int>({4}));
    EXPECT_EQ(kills(fifty + "-other tail"), std::vector<int>({4}));
    EXPECT_TRUE(kills(QByteArray(49, 'x')).empty());
    EXPECT_EQ(kills(""), std::vector<int>({5}));
}
