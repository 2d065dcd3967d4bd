#include "live_fixtures.h"

#include "recorder/live/live_page.h"

#include "tests/support/chromium.h"
#include "tests/support/site_links.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::recorder;
using namespace vantor::test;

namespace {

LivePageContent pageWithOneDeadAndOneAlive(const std::vector<LastGameRecord>& lastGame) {
    LivePageContent c;
    c.gameType = "Adversarial";
    c.map = "Bank";
    c.rules = "Survival";
    c.elapsedTime = "05:12";
    c.reloadTime = "30";
    c.lastGame = lastGame;
    return c;
}

} // namespace

// With no image base set at build time the health images travel in the page, so they show
// wherever the page is uploaded or opened.
TEST(LiveBrowser, EveryHealthImageLoadsWithoutNetwork) {
    const QString chromium = chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";

    const std::vector<LastGameRecord> lastGame = {
        lastGamePlayer("Dead One", "blue", 1, 1, 20, "Alive One", 30, 3),
        lastGamePlayer("Alive One", "gold", 4, 0, 50, "", 40, 1)};
    LivePageContent c = pageWithOneDeadAndOneAlive(lastGame);
    c.links = PageLinks::forSite({}, {}, {});
    const QByteArray page = livePageBytes(c);
    EXPECT_FALSE(page.contains("<a href=")) << "no link without a home page";
    EXPECT_FALSE(page.contains("E-Mail:"));

    TempFolder dir;
    writeFile(dir.file(QStringLiteral("live.html")), withImageCheck(page));
    const QString dom = loadedDom(chromium, dir.file(QStringLiteral("live.html")),
                                  dir.file(QStringLiteral("profile")));
    EXPECT_EQ(imageCheckResult(dom), QStringLiteral("2 of 2; broken:"))
        << dom.left(2000).toStdString();
}

// With an image base the health images are the site's, as published pages always had them.
TEST(LiveBrowser, AnImageBaseNamesTheSitesImages) {
    const std::vector<LastGameRecord> lastGame = {
        lastGamePlayer("Dead One", "blue", 1, 1, 20, "Alive One", 30, 3),
        lastGamePlayer("Alive One", "gold", 4, 0, 50, "", 40, 1)};
    LivePageContent c = pageWithOneDeadAndOneAlive(lastGame);
    c.links = PageLinks::forSite({}, {}, "http://clan.example.com/stats/");
    const QByteArray page = livePageBytes(c);
    EXPECT_TRUE(page.contains("<img src=http://clan.example.com/stats/images/dead.gif></td>"));
    EXPECT_TRUE(page.contains("<img src=http://clan.example.com/stats/images/alive.gif></td>"));
    EXPECT_FALSE(page.contains("data:"));
}
