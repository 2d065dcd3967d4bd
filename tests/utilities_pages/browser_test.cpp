#include "page_fixtures.h"

#include "utilities/core/stats_page.h"

#include "tests/support/temp_folder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;

// The pages are old-style HTML with tags never opened or never closed; a real browser must
// still build one table row per player and per heading.
TEST(Browser, A120PlayerPageShows120DataRowsAnd3HeadingRows) {
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
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

    QProcess browser;
    browser.start(chromium,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                   QStringLiteral("--disable-gpu"), QStringLiteral("--disable-dev-shm-usage"),
                   QStringLiteral("--disable-background-networking"),
                   QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                   QStringLiteral("--no-first-run"),
                   QStringLiteral("--user-data-dir=") + dir.file(QStringLiteral("profile")),
                   QStringLiteral("--dump-dom"),
                   QUrl::fromLocalFile(dir.file(QStringLiteral("page.html"))).toString()});
    ASSERT_TRUE(browser.waitForFinished(120000)) << "chromium did not finish";
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    ASSERT_FALSE(dom.isEmpty()) << browser.readAllStandardError().toStdString();

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
