#include "common/skill.h"
#include "live_fixtures.h"
#include "recorder/live/live_page.h"
#include "stats/live_rankings.h"
#include "tests/support/site_links.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::recorder;
using namespace vantor::test;

namespace {

template <class Record> std::vector<Record> computed(std::vector<Record> records) {
    for (auto& r : records)
        calcskill(r);
    return records;
}

LivePageContent fixedContent(const QByteArray& gameType, const QByteArray& rules) {
    LivePageContent c;
    c.gameType = gameType;
    c.map = "Embassy";
    c.rules = rules;
    c.elapsedTime = "12:34";
    c.playerName = "Marrow";
    c.reloadTime = "30";
    c.dateText = "6/10/00";
    c.timeText = "9:41:07 PM";
    c.links = siteLinks();
    return c;
}

const char kHeadingName[] =
    "<td width=\"940\" height=\"1\" style=\"background-color: rgb(40,40,40); color: "
    "rgb(255,255,255); border: 1px solid\" bordercolor=\"#808080\" bordercolorlight=\"#808080\" "
    "bordercolordark=\"#808080\">Name</strong></td>";

std::vector<PlayerStatsRecord> numberedPlayers(int count) {
    std::vector<PlayerStatsRecord> players;
    for (int i = 1; i <= count; ++i)
        players.push_back(player("Player" + QByteArray::number(i), 1000 - i, i % 7, 1 + i % 5,
                                 (i * 13) % 100, i * 20, i % 11,
                                 "6/" + QByteArray::number(i % 30 + 1) + "/00"));
    return stats::statsBySkill(computed(players));
}

} // namespace

TEST(LivePage, CooperativeGameHasNoTeamLinesNorRules) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    c.reloadTime = "45";
    const auto lastGame = computed<LastGameRecord>({
        lastGamePlayer("Ding", "", 7, 0, 55, "", 120, 2),
        lastGamePlayer("Chavez", "", 2, 1, 30, "Terrorist", 60, 4),
    });
    const auto rankings = computed<PlayerStatsRecord>({
        player("Legion", 250, 0, 2, 160, 900, 3, "6/9/00"),
        player("Ding", 7, 2, 3, 150, 300, 6),
        player("Chavez", 1, 3, 2, 60, 80, 9),
        player("Rookie", 1, 5, 20, 100, 50, 40, "5/31/00"),
        player("Tourist", 0, 9, 4, 40, 10, 50, "5/1/00"),
    });
    c.lastGame = lastGame;
    c.rankings = rankings;
    const QByteArray page = livePageBytes(c);
    expectGolden("cooperative.html", page);
    EXPECT_FALSE(page.contains("Wins:"));
    EXPECT_FALSE(page.contains("Rules:"));
    EXPECT_FALSE(page.contains("<IMG SRC="));
}

TEST(LivePage, EmptyReloadTimeAndPlainRulesWithoutImage) {
    LivePageContent c = fixedContent("Adversarial", "Survival");
    c.reloadTime = "";
    c.blueWins = 12;
    c.goldWins = 9;
    const auto lastGame = computed<LastGameRecord>({
        lastGamePlayer("Blue One", "blue", 4, 0, 50, "", 40, 1),
        lastGamePlayer("Gold One", "gold", 1, 1, 20, "Blue One", 30, 3),
    });
    const auto rankings =
        computed<PlayerStatsRecord>({player("Blue One", 40, 10, 12, 600, 400, 30),
                                     player("Gold One", 10, 10, 9, 180, 300, 44)});
    c.lastGame = lastGame;
    c.rankings = rankings;
    const QByteArray page = livePageBytes(c);
    expectGolden("empty_reload.html", page);
    EXPECT_TRUE(page.contains("\r\nvar x = \r\n"));
    // Rules other than "Team Survival" leave every name grey.
    EXPECT_FALSE(page.contains("#3333FF"));
    EXPECT_FALSE(page.contains("<font color=\"#FFFF66\">Gold One"));
}

TEST(LivePage, HeadingsComeBackAfterEveryFiftyRows) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    const auto rankings = numberedPlayers(120);
    c.rankings = rankings;
    const QByteArray page = livePageBytes(c);
    expectGolden("ranked_120.html", page);
    EXPECT_EQ(page.count(kHeadingName), 3);
    EXPECT_LT(page.indexOf(kHeadingName, page.indexOf(">50</font></td>")),
              page.indexOf(">51</font></td>"));
    EXPECT_TRUE(page.contains(">120</font></td>"));
    EXPECT_FALSE(page.contains(">121</font></td>"));
}

TEST(LivePage, ExactlyFiftyPlayersEndWithTheHeadingsRepeated) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    const auto rankings = numberedPlayers(50);
    c.rankings = rankings;
    const QByteArray page = livePageBytes(c);
    EXPECT_EQ(page.count(kHeadingName), 2);
    const QByteArray lastCell = "Last Played</td></tr><tr></tr></table></div>\r\n</body>\r\n";
    EXPECT_TRUE(page.endsWith(lastCell + "</html>\r\n"));
}

TEST(LivePage, RanksRunWithoutGapsOverBlankRecords) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    const auto rankings = computed<PlayerStatsRecord>(
        {player("first", 3, 0, 1, 0), player("", 2, 0, 1, 0), player("second", 1, 0, 1, 0)});
    const auto lastGame = computed<LastGameRecord>({lastGamePlayer("", "", 1, 0, 0)});
    c.rankings = rankings;
    c.lastGame = lastGame;
    const QByteArray page = livePageBytes(c);
    EXPECT_TRUE(page.contains(">2</font></td><td width=\"940\" height=\"0\"  style=\"padding-top: "
                              "3px\"> <font color=\"#C0C0C0\">second</td>"));
    EXPECT_FALSE(page.contains(">3</font></td>"));
    EXPECT_FALSE(page.contains("alive.gif"));
}

TEST(LivePage, GameTextIsEscapedAndTypedSettingsAreNot) {
    LivePageContent c = fixedContent("Cooperative", "Team Survival");
    c.map = "Oil <Rig>";
    c.elapsedTime = "1&2";
    c.playerName = "\"Me\"";
    c.reloadTime = "30<!--";
    c.imageUrl = "http://host/a.gif?x=1&y=2";
    const auto lastGame =
        computed<LastGameRecord>({lastGamePlayer("<script>x", "blue", 1, 1, 0, "A&B")});
    const auto rankings = computed<PlayerStatsRecord>({player("<b>&", 1, 0, 1, 0)});
    c.lastGame = lastGame;
    c.rankings = rankings;
    const QByteArray page = livePageBytes(c);
    EXPECT_TRUE(page.contains("Map: <font color=\"#00FF00\">Oil &lt;Rig&gt;<br>"));
    EXPECT_TRUE(page.contains(">1&amp;2</strong>"));
    EXPECT_TRUE(page.contains("recorded by: <font color=\"#00FF00\">&quot;Me&quot;</font>"));
    EXPECT_TRUE(page.contains("&lt;script&gt;x</td>"));
    EXPECT_TRUE(page.contains("A&amp;B</td>"));
    EXPECT_TRUE(page.contains("&lt;b&gt;&amp;</td>"));
    EXPECT_FALSE(page.contains("<script>x"));
    EXPECT_TRUE(page.contains("\r\nvar x = 30<!--\r\n"));
    EXPECT_TRUE(
        page.contains("\r\n<IMG SRC=\"http://host/a.gif?x=1&y=2\" ALIGN=\"Right\"><br>\r\n"));
    // The colours follow the rules alone, whatever the game type.
    EXPECT_TRUE(page.contains("<font color=\"#3333FF\">&lt;script"));
}

TEST(LivePage, WithoutHomePageOrEmailNoAnchorIsWrittenAndTheCreditStays) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    c.links = PageLinks::forSite({}, {}, {});
    const auto lastGame = computed<LastGameRecord>({lastGamePlayer("A", "", 1, 1, 2, "B", 3, 4)});
    c.lastGame = lastGame;
    const QByteArray page = livePageBytes(c);
    EXPECT_FALSE(page.contains("<a "));
    EXPECT_FALSE(page.contains("</a>"));
    EXPECT_FALSE(page.contains("E-Mail"));
    EXPECT_TRUE(page.contains("<p><font face=\"Verdana\"><small><strong>Vantor</strong></small><br>"
                              "<font face=\"Verdana\"><small><small><font color=\"FFFFFF\">Vantor "
                              "v3.7.03 by Marrow&nbsp;</font></small></small><br></font><font "
                              "face=\"Verdana\" color=\"#000000\"></br></p>"));
    EXPECT_TRUE(page.contains("#CC0000\"><img src=data:image/png;base64,iVBOR"));
}

// A page of several megabytes goes out in whole blocks of a megabyte, the rows unbroken in
// sequence across the block ends.
TEST(LivePage, ALargePageGoesOutInWholeBlocksWithEveryRow) {
    LivePageContent c = fixedContent("Cooperative", "Mission");
    const auto rankings = numberedPlayers(4000);
    c.rankings = rankings;
    std::vector<QByteArray> blocks;
    writeLivePage(c, [&](QByteArrayView block) { blocks.emplace_back(block.toByteArray()); });
    ASSERT_GE(blocks.size(), 3u);
    QByteArray page;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (i + 1 < blocks.size())
            EXPECT_EQ(blocks[i].size(), 1 << 20) << "block " << i;
        page += blocks[i];
    }
    EXPECT_TRUE(page.endsWith("</html>\r\n"));
    qsizetype at = 0;
    for (int rank = 1; rank <= 4000; ++rank) {
        const qsizetype next = page.indexOf(">" + QByteArray::number(rank) + "</font></td>", at);
        ASSERT_GT(next, at) << "rank " << rank;
        at = next;
    }
    EXPECT_EQ(page.count(kHeadingName), 4000 / 50 + 1);
}
