#include "site_fixture.h"

#include "tests/history/views/game_samples.h"
#include "tests/support/chromium.h"

#include <QRegularExpression>

using namespace vantor;
using namespace vantor::history;
using namespace vantor::test;

namespace {

// Appended by the test to a copy of a page: reports, once loaded, whether the page scrolls
// sideways, how many resources failed, and what the players' search box leaves shown for "ace".
const QByteArray kCheck = QByteArrayLiteral(
    "<script>window.addEventListener('load', function () {"
    " var out = 'wide ' + (document.documentElement.scrollWidth > window.innerWidth ? 1 : 0);"
    " out += ' sheets ' + document.styleSheets.length;"
    " var f = document.getElementById('find');"
    " if (f) { f.value = 'ace'; f.dispatchEvent(new Event('input'));"
    "  var shown = 0, li = document.querySelectorAll('#names li');"
    "  for (var i = 0; i < li.length; ++i) if (!li[i].hidden) ++shown;"
    "  out += ' found ' + shown + ' of ' + li.length + (f.hidden ? ' hidden' : ''); }"
    " var p = document.createElement('p'); p.id = 'sitecheck';"
    " p.textContent = 'site check: ' + out + ';'; document.body.appendChild(p); });</script>");

class SiteBrowser : public SiteFixture {};

} // namespace

// The front page, a player's page and the players' index show in Chromium with every host
// lookup blocked, on a desktop and on a 390 px phone, without sideways scrolling; the search
// box finds a player.
TEST_F(SiteBrowser, PagesShowOnDesktopAndPhoneAndTheSearchFindsAPlayer) {
    const QString chromium = chromiumPath();
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";
    for (int day = 0; day < 20; ++day)
        addGame(day, "Oil Refinery",
                {{"Ace", day % 5, 1},
                 {"Space Ace", 2, 0, "gold"},
                 {kScriptName, 1, 1},
                 {kHighName, 3, 2, "gold"},
                 {QByteArray(50, 'W'), 9, 9}});
    build(site);
    const QString player =
        QDir(site + QStringLiteral("/players")).entryList({QStringLiteral("ace-*.html")}).value(0);
    ASSERT_FALSE(player.isEmpty());
    const struct {
        QString page;
        QString expected; // what the check must say
    } cases[] = {
        {QStringLiteral("index.html"), QStringLiteral("wide 0 sheets 1")},
        {QStringLiteral("players/") + player, QStringLiteral("wide 0 sheets 1")},
        {QStringLiteral("players.html"), QStringLiteral("wide 0 sheets 1 found 2 of 5")},
    };
    for (int width : {1280, 390}) {
        for (const auto& c : cases) {
            const QString path = site + u'/' + c.page;
            const QString checked = path + QStringLiteral(".check.html");
            writeFile(checked, readFile(path) + kCheck);
            const QString dom =
                loadedDom(chromium, checked, cwd.file(QStringLiteral("profile")), width);
            QFile::remove(checked);
            static const QRegularExpression result(
                QStringLiteral("<p id=\"sitecheck\">site check: ([^;<]*);"));
            EXPECT_EQ(result.match(dom).captured(1).toStdString(), c.expected.toStdString())
                << c.page.toStdString() << " at " << width << " px\n"
                << dom.left(2000).toStdString();
            EXPECT_FALSE(dom.contains(QStringLiteral("<script>alert")));
        }
    }
}
