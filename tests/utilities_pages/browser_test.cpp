#include "page_fixtures.h"

#include "utilities/core/stats_page.h"

#include "tests/support/chromium.h"
#include "tests/support/temp_folder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;

// The pages are old-style HTML with tags never opened or never closed; a real browser must
// still build one table row per player and per heading.
TEST(Browser, A120PlayerPageShows120DataRowsAnd3HeadingRows) {
    const QString chromium = vantor::test::chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium): the page was not "
                        "loaded in a browser";

    vantor::test::TempFolder dir;
    PageHead head;
    head.playerName = "Tester";
    head.gameType = "Adversarial";
    head.rankKey = "Skill Points";
    head.comment = "None";
    head.dateText = "6/10/00";
    head.timeText = "9:05:07 PM";
    auto players = vantor::test::rankedByKey(vantor::test::samplePlayers(120), "Skill Points");
    players[7].name.setText("<b>\"Rock\" & Roll</b>");
    vantor::test::writeFile(dir.file(QStringLiteral("page.html")), statsPageBytes(head, players));

    const QString dom = vantor::test::loadedDom(chromium, dir.file(QStringLiteral("page.html")),
                                                dir.file(QStringLiteral("profile")));
    ASSERT_FALSE(dom.isEmpty()) << "chromium gave no document";

    static const QRegularExpression rowPattern(QStringLiteral("<tr[^>]*>(.*?)</tr>"),
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cellPattern(QStringLiteral("<td[ >]"));
    static const QRegularExpression rankCell(
        QStringLiteral("^<td[^>]*><font[^>]*>(\\d+)</font></td>"));
    int dataRows = 0, headingRows = 0, expectedRank = 1;
    for (auto rows = rowPattern.globalMatch(dom); rows.hasNext();) {
        const QString row = rows.next().captured(1);
        const int cells = int(row.count(cellPattern));
        if (cells == 0)
            continue;
        ASSERT_EQ(cells, 11) << row.toStdString();
        if (row.contains(QStringLiteral(">Rank<"))) {
            ++headingRows;
            continue;
        }
        const auto rank = rankCell.match(row);
        ASSERT_TRUE(rank.hasMatch()) << row.toStdString();
        EXPECT_EQ(rank.captured(1).toInt(), expectedRank++);
        ++dataRows;
    }
    EXPECT_EQ(dataRows, 120);
    EXPECT_EQ(headingRows, 3);
    EXPECT_TRUE(dom.contains(QStringLiteral("&lt;b&gt;\"Rock\" &amp; Roll&lt;/b&gt;")));
}

// A page shows every image it references wherever it is opened: with no web site set at build
// time, the logo is carried in the page itself.
TEST(Browser, EveryImageOfTheStatsPageAndTheRankingsViewLoadsWithoutNetwork) {
    const QString chromium = vantor::test::chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";

    vantor::test::TempFolder dir;
    for (const PageKind kind : {PageKind::Stats, PageKind::Rankings}) {
        PageHead head;
        head.kind = kind;
        head.gameType = "Adversarial";
        head.rankKey = "Kills";
        head.comment = "None";
        head.links = PageLinks::forSite({}, {}, {});
        const QByteArray page = statsPageBytes(
            head, vantor::test::rankedByKey(vantor::test::samplePlayers(3), "Kills"));
        EXPECT_FALSE(page.contains("<a href=")) << "no link without a home page";
        vantor::test::writeFile(dir.file(QStringLiteral("page.html")),
                                vantor::test::withImageCheck(page));
        const QString dom = vantor::test::loadedDom(chromium, dir.file(QStringLiteral("page.html")),
                                                    dir.file(QStringLiteral("profile")));
        const int images = kind == PageKind::Stats ? 1 : 0;
        EXPECT_EQ(vantor::test::imageCheckResult(dom),
                  QStringLiteral("%1 of %1; broken:").arg(images))
            << dom.left(2000).toStdString();
    }
}
