#include "game_samples.h"

#include "history/views/game_views.h"

#include "tests/support/chromium.h"
#include "tests/support/temp_folder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <limits>

using namespace vantor;
using namespace vantor::history;
using vantor::test::acesGames;
using vantor::test::game;
using vantor::test::gamePlayer;

namespace {

// Appended by the test only: the page itself carries no script. Counts the points of each
// series that the browser laid out with a size, inside the chart's box.
const QByteArray kChartCheck = QByteArrayLiteral(
    "<script>window.addEventListener('load', function () {"
    " var svg = document.querySelector('svg.chart'), out = '';"
    " if (!svg) out = 'none ';"
    " else { var box = svg.getBoundingClientRect();"
    "  ['skill', 'kills'].forEach(function (cls) {"
    "   var pts = svg.querySelectorAll('circle.' + cls), inside = 0;"
    "   for (var i = 0; i < pts.length; ++i) { var r = pts[i].getBoundingClientRect();"
    "    if (r.width > 0 && r.left >= box.left && r.right <= box.right &&"
    "        r.top >= box.top && r.bottom <= box.bottom) ++inside; }"
    "   out += cls + ' ' + pts.length + ' ' + inside + ' '; }); }"
    " var rows = document.querySelectorAll('table.games tr').length;"
    " var wide = document.documentElement.scrollWidth > window.innerWidth ? ' too wide' : '';"
    " var p = document.createElement('p'); p.id = 'chartcheck';"
    " p.textContent = 'chart check: ' + out + 'rows ' + rows + wide + ';';"
    " document.body.appendChild(p); });</script>");

struct Rendered {
    QString dom;
    QString check; // "skill N M kills N M rows R", or "none rows R"
};

Rendered render(const QString& chromium, const QByteArray& page, int windowWidth = 0) {
    vantor::test::TempFolder dir;
    vantor::test::writeFile(dir.file(QStringLiteral("player.html")), page + kChartCheck);
    Rendered r;
    r.dom = vantor::test::loadedDom(chromium, dir.file(QStringLiteral("player.html")),
                                    dir.file(QStringLiteral("profile")), windowWidth);
    static const QRegularExpression pattern(
        QStringLiteral("<p id=\"chartcheck\">chart check: ([^;<]*);"));
    r.check = pattern.match(r.dom).captured(1);
    return r;
}

const PageLinks kNoSite = PageLinks::forSite({}, {}, {});

} // namespace

// One point per counted game in each series, all inside the chart, for 0, 1 and many games,
// and for values at both ends of 32 bits.
TEST(PlayerPageBrowser, TheChartHasOnePointPerGameInsideItsBox) {
    const QString chromium = vantor::test::chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium): the page was not "
                        "loaded in a browser";

    const Rendered none = render(chromium, playerPageHtml("Ace", nullptr, {}, kNoSite));
    EXPECT_EQ(none.check.toStdString(), "none rows 0") << none.dom.left(3000).toStdString();

    const Rendered one = render(chromium, playerPageHtml("Ace", nullptr, acesGames(1), kNoSite));
    EXPECT_EQ(one.check.toStdString(), "skill 1 1 kills 1 1 rows 2");

    auto many = acesGames(120);
    many[5].undone = true;
    const Rendered lots = render(chromium, playerPageHtml("Ace", nullptr, many, kNoSite));
    EXPECT_EQ(lots.check.toStdString(), "skill 119 119 kills 119 119 rows 121");

    const std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
    const std::vector<GameRow> extremes = {
        game(1, {gamePlayer("Ace", 0, 1, -250)}), game(2, {gamePlayer("Ace", maxInt, 0, maxInt)}),
        game(3, {gamePlayer("Ace", 0, 0, std::numeric_limits<std::int32_t>::min())})};
    const Rendered wide = render(chromium, playerPageHtml("Ace", nullptr, extremes, kNoSite));
    EXPECT_EQ(wide.check.toStdString(), "skill 3 3 kills 3 3 rows 4");
}

// A name built to run script or add markup shows as text; code page 1252 letters show as
// themselves.
TEST(PlayerPageBrowser, AHostileNameStaysText) {
    const QString chromium = vantor::test::chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";

    const QByteArray name = "<img src=x onerror=\"document.body.setAttribute('data-owned','1')\">"
                            "\"'><svg onload=document.title='owned'>Ren\xE9 \x80";
    GameRow g = game(1, {gamePlayer(name, 2, 0, 240)});
    // Needs nothing but '<' to be escaped to stay harmless.
    g.map = "<img src=x onerror=document.body.dataset.owned=3 x=";
    g.players[0].killedBy = "<script>document.body.setAttribute('data-owned','2')</script>";
    PlayerStatsRecord totals;
    totals.name.setText(name);
    totals.games = 1;
    const Rendered r = render(chromium, playerPageHtml(name, &totals, {g}, kNoSite));
    ASSERT_FALSE(r.dom.isEmpty()) << "chromium gave no document";
    EXPECT_FALSE(r.dom.contains(QStringLiteral("data-owned=\""))) << "an injected handler ran";
    EXPECT_FALSE(r.dom.contains(QStringLiteral("<title>owned")));
    EXPECT_TRUE(r.dom.contains(QStringLiteral("Ren\u00E9 \u20AC")));
    EXPECT_EQ(r.check.toStdString(), "skill 1 1 kills 1 1 rows 2");
}

// On a phone 390 pixels wide the page does not scroll sideways: the tables scroll in their own
// box and the chart shrinks with every point still inside it.
TEST(PlayerPageBrowser, FitsAPhone) {
    const QString chromium = vantor::test::chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";
    PlayerStatsRecord totals;
    totals.name.setText("Ace");
    totals.games = 40;
    const Rendered r =
        render(chromium, playerPageHtml("Ace", &totals, acesGames(40), kNoSite), 390);
    EXPECT_EQ(r.check.toStdString(), "skill 40 40 kills 40 40 rows 41")
        << r.dom.left(2000).toStdString();
}
