#include "game_samples.h"

#include "history/views/game_views.h"

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>
#include <limits>

using namespace vantor;
using namespace vantor::history;
using vantor::test::acesGames;
using vantor::test::game;
using vantor::test::gamePlayer;

namespace {

const PageLinks kNoSite = PageLinks::forSite({}, {}, {});

struct Point {
    double x = 0, y = 0;
};

std::vector<Point> points(const QByteArray& page, const char* series) {
    const QRegularExpression pattern(QStringLiteral("<circle class=\"%1\" cx=\"([-0-9.]+)\" "
                                                    "cy=\"([-0-9.]+)\"")
                                         .arg(QLatin1String(series)));
    std::vector<Point> found;
    for (auto m = pattern.globalMatch(QString::fromUtf8(page)); m.hasNext();) {
        const auto match = m.next();
        found.push_back({match.captured(1).toDouble(), match.captured(2).toDouble()});
    }
    return found;
}

double svgHeight(const QByteArray& page) {
    static const QRegularExpression pattern(QStringLiteral("<svg [^>]*height=\"([0-9.]+)\""));
    return pattern.match(QString::fromUtf8(page)).captured(1).toDouble();
}

int count(const QByteArray& page, const char* what) {
    return int(page.count(what));
}

bool isValidUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

TEST(PlayerPage, HostileGameTextsAreEscapedEverywhere) {
    using namespace vantor::test;
    const QByteArray hostile = kScriptName + kQuoteName + kHighName + kControlName;
    GameRow g = game(1, {gamePlayer(hostile, 3, 1, 190), gamePlayer("X", 0, 1, 0)});
    g.players[0].killedBy = kScriptName;
    g.players[0].team = kQuoteName;
    g.map = kScriptName;
    g.rules = kQuoteName;
    g.playedAt = kQuoteName + kControlName;
    PlayerStatsRecord totals;
    totals.name.setText(hostile);
    totals.lastPlayed.setText("<i>\"x\"</i>");
    totals.games = 1;

    const QByteArray page = playerPageHtml(hostile, &totals, {g}, kNoSite);
    EXPECT_EQ(page.toLower().count("<script"), 0);
    EXPECT_EQ(count(page, "<b>"), 0);
    EXPECT_EQ(count(page, "<i>"), 0);
    EXPECT_EQ(count(page, "O'Neil"), 0) << "quotes are escaped, attribute or not";
    EXPECT_EQ(count(page, "\"Ace\""), 0);
    EXPECT_GE(count(page, "&lt;script&gt;alert(1)&lt;/script&gt;"), 3); // title, heading, map...
    EXPECT_GE(count(page, "O&#39;Neil &quot;Ace&quot; &amp; &lt;b&gt;"), 3);
    EXPECT_TRUE(page.contains("Ren\xC3\xA9 \xE2\x82\xAC")) << "code page 1252 shown as UTF-8";
    EXPECT_TRUE(page.contains("<meta charset=\"utf-8\">"));
    EXPECT_TRUE(isValidUtf8(page));
    for (char c : page) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_FALSE((b < 0x20 && b != '\n') || b == 0x7F) << "control byte " << int(b);
    }
    EXPECT_FALSE(page.contains("\xC2\x81")) << "a C1 control reached the page";
}

TEST(PlayerPage, SelfContainedWithTheSiteLinksOnlyWhereSet) {
    const auto games = acesGames(3);
    const QByteArray bare = playerPageHtml("Ace", nullptr, games, kNoSite);
    EXPECT_FALSE(bare.contains("<a ")) << "no anchor without a home page or e-mail";
    EXPECT_FALSE(bare.toLower().contains("<script"));
    EXPECT_FALSE(bare.contains("<link"));
    static const QRegularExpression sources(QStringLiteral("(?:src|href)=\"([^\"]*)\""));
    int images = 0;
    for (auto m = sources.globalMatch(QString::fromUtf8(bare)); m.hasNext(); ++images)
        EXPECT_TRUE(m.next().captured(1).startsWith(QStringLiteral("data:image/")));
    EXPECT_EQ(images, 1) << "the logo, carried in the page";
    EXPECT_TRUE(bare.contains(kNoSite.credit));

    const PageLinks site =
        PageLinks::forSite("https://example.org/vantor", "me@example.org", "https://img.example/");
    const QByteArray linked = playerPageHtml("Ace", nullptr, games, site);
    EXPECT_TRUE(linked.contains("<img src=\"https://example.org/vantor/images/Vantor-logo.jpg\""));
    EXPECT_TRUE(linked.contains("<a href=\"https://example.org/vantor\">"));
    EXPECT_TRUE(linked.contains("<a href=\"mailto:me@example.org\">me@example.org</a>"));

    EXPECT_FALSE(bare.contains("Last updated"));
    EXPECT_TRUE(playerPageHtml("Ace", nullptr, games, kNoSite, "2026-12-09 11:30")
                    .contains("<small>Last updated: 2026-12-09 11:30</small>"));
}

TEST(PlayerPage, TotalsOfThePlayerOrWhyThereAreNone) {
    PlayerStatsRecord t;
    t.name.setText("Ace");
    t.lastPlayed.setText("12/8/26");
    t.kills = 7;
    t.deaths = 2;
    t.games = 3;
    t.hitPercent = 41;
    t.roundsFired = 300;
    t.roundsTaken = 12;
    t.skillPoints = 274;
    const QByteArray page = playerPageHtml("Ace", &t, acesGames(3), kNoSite);
    EXPECT_TRUE(page.contains("<td class=\"n\">274</td><td class=\"n\">7</td>"
                              "<td class=\"n\">2.33</td><td class=\"n\">2</td>"
                              "<td class=\"n\">300</td><td class=\"n\">12</td>"
                              "<td class=\"n\">41%</td><td class=\"n\">3</td><td>12/8/26</td>"));
    EXPECT_FALSE(page.contains("no longer in the stats file"));

    const QByteArray gone = playerPageHtml("Ace", nullptr, acesGames(3), kNoSite);
    EXPECT_TRUE(gone.contains("no longer in the stats file"));
    EXPECT_FALSE(gone.contains("Average Kills/Game"));
    EXPECT_EQ(points(gone, "skill").size(), 3u) << "the games still show";
}

TEST(PlayerPage, NoGamesGivesNoChartAndNoTable) {
    const QByteArray page = playerPageHtml("Ace", nullptr, {}, kNoSite);
    EXPECT_FALSE(page.contains("<svg"));
    EXPECT_FALSE(page.contains("<table class=\"games\""));
    EXPECT_TRUE(page.contains("No recorded game counts for this player yet."));
    EXPECT_TRUE(page.endsWith("</body></html>\n"));
    // Games of others only: the same.
    const QByteArray others = playerPageHtml("Nobody", nullptr, acesGames(4), kNoSite);
    EXPECT_FALSE(others.contains("<svg"));
}

TEST(PlayerPage, OneGameIsOnePointPerSeriesInTheMiddle) {
    const QByteArray page = playerPageHtml("Ace", nullptr, acesGames(1), kNoSite);
    const auto skill = points(page, "skill");
    const auto kills = points(page, "kills");
    ASSERT_EQ(skill.size(), 1u);
    ASSERT_EQ(kills.size(), 1u);
    EXPECT_EQ(skill[0].x, kills[0].x);
    EXPECT_GT(skill[0].x, 300);
    EXPECT_LT(skill[0].x, 500);
    EXPECT_FALSE(page.contains("<polyline")) << "no line through a single point";
    EXPECT_EQ(count(page, "<tr><td class=\"n\">"), 1) << "one row in the games table";
}

TEST(PlayerPage, ManyGamesOnePointEachInOrderAndUndoneOnesOnlyInTheTable) {
    auto games = acesGames(250);
    games[10].undone = true;
    games[200].undone = true;
    const QByteArray page = playerPageHtml("Ace", nullptr, games, kNoSite);
    const auto skill = points(page, "skill");
    const auto kills = points(page, "kills");
    ASSERT_EQ(skill.size(), 248u);
    ASSERT_EQ(kills.size(), 248u);
    for (std::size_t i = 1; i < skill.size(); ++i)
        ASSERT_GT(skill[i].x, skill[i - 1].x) << "oldest to newest, left to right";
    EXPECT_EQ(count(page, "<tr class=\"undone\">"), 2);
    EXPECT_EQ(count(page, " (undone)</td>"), 2);
    // Higher values sit higher: game 9 (index 8) has more skill than game 5 (index 4).
    EXPECT_LT(skill[8].y, skill[4].y);
}

TEST(PlayerPage, NegativeSkillPointsSitBelowADrawnZeroLine) {
    std::vector<GameRow> games = {game(1, {gamePlayer("Ace", 0, 1, -250)}),
                                  game(2, {gamePlayer("Ace", 4, 0, 300)}),
                                  game(3, {gamePlayer("Ace", 0, 0, 0)})};
    const QByteArray page = playerPageHtml("Ace", nullptr, games, kNoSite);
    const auto skill = points(page, "skill");
    ASSERT_EQ(skill.size(), 3u);
    EXPECT_GT(skill[0].y, skill[2].y);
    EXPECT_LT(skill[1].y, skill[2].y);
    static const QRegularExpression zeroLine(
        QStringLiteral("<line [^>]*y1=\"([0-9.]+)\"[^>]*stroke-dasharray"));
    const auto zero = zeroLine.match(QString::fromUtf8(page));
    ASSERT_TRUE(zero.hasMatch()) << "a zero line where values run below zero";
    EXPECT_NEAR(zero.captured(1).toDouble(), skill[2].y, 0.11);
    EXPECT_TRUE(page.contains(": -250 skill points</title>"));
}

TEST(PlayerPage, HugeValuesStayInsideTheChart) {
    const std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
    const std::int32_t minInt = std::numeric_limits<std::int32_t>::min();
    std::vector<GameRow> games = {
        game(1, {gamePlayer("Ace", 0, 1, -250)}), game(2, {gamePlayer("Ace", maxInt, 0, maxInt)}),
        game(3, {gamePlayer("Ace", 0, 0, minInt)}), game(4, {gamePlayer("Ace", 5, 0, 0)})};
    const QByteArray page = playerPageHtml("Ace", nullptr, games, kNoSite);
    static const QRegularExpression notANumber(QStringLiteral("[=\", ]-?(nan|inf)"),
                                               QRegularExpression::CaseInsensitiveOption);
    EXPECT_FALSE(notANumber.match(QString::fromUtf8(page)).hasMatch());
    const double height = svgHeight(page);
    ASSERT_GT(height, 100);
    const auto skill = points(page, "skill");
    const auto kills = points(page, "kills");
    ASSERT_EQ(skill.size(), 4u);
    ASSERT_EQ(kills.size(), 4u);
    for (const auto& series : {skill, kills})
        for (const Point& p : series) {
            EXPECT_GE(p.y, 0);
            EXPECT_LE(p.y, height);
        }
    EXPECT_GT(skill[2].y, skill[0].y);
    EXPECT_LT(skill[1].y, skill[3].y);
    EXPECT_LT(kills[1].y, kills[3].y);
    EXPECT_TRUE(page.contains(": 2147483647 skill points</title>"));
    EXPECT_TRUE(page.contains(": -2147483648 skill points</title>"));
    // The axis reaches both ends, with labels beyond them.
    static const QRegularExpression tick(QStringLiteral("<text class=\"tick\"[^>]*>(-?[0-9]+)<"));
    qint64 lowest = 0, highest = 0;
    for (auto m = tick.globalMatch(QString::fromUtf8(page)); m.hasNext();) {
        const qint64 v = m.next().captured(1).toLongLong();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_LE(lowest, qint64(minInt));
    EXPECT_GE(highest, qint64(maxInt));
}

TEST(PlayerPage, ANameTwiceInOneGameGivesTwoRowsThatAddUpToTheTotals) {
    // The merge counted both blocks of game 2: 3 games, 9 kills.
    const std::vector<GameRow> games = {
        game(1, {gamePlayer("Ace", 5, 0, 540)}),
        game(2, {gamePlayer("Ace", 3, 1, 190), gamePlayer("Other", 0, 2, 0),
                 gamePlayer("Ace", 1, 0, 140)})};
    PlayerStatsRecord t;
    t.name.setText("Ace");
    t.kills = 9;
    t.games = 3;
    const QByteArray page = playerPageHtml("Ace", &t, games, kNoSite);
    static const QRegularExpression row(QStringLiteral(
        "<tr><td class=\"n\">\\d+</td>(?:<td>[^<]*</td>){4}<td class=\"n\">(\\d+)<"));
    int rows = 0, kills = 0;
    for (auto m = row.globalMatch(QString::fromUtf8(page)); m.hasNext(); ++rows)
        kills += m.next().captured(1).toInt();
    EXPECT_EQ(rows, t.games);
    EXPECT_EQ(kills, t.kills);
    EXPECT_EQ(points(page, "kills").size(), 3u);
    EXPECT_FALSE(page.contains("<th></th>")) << "every column has its heading";
}

TEST(PlayerPage, FitsAPhone) {
    const QByteArray page = playerPageHtml("Ace", nullptr, acesGames(3), kNoSite);
    EXPECT_TRUE(
        page.contains("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    EXPECT_EQ(count(page, "<div class=\"scroll\"><table"), 1)
        << "the games table scrolls in its box";
    EXPECT_TRUE(page.contains("svg.chart{max-width:100%;height:auto}"));
}
