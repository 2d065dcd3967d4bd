#include "site_fixture.h"

#include "history/league/rating.h"
#include "history/site/site_folder.h"
#include "history/site/site_kept_list.h"
#include "history/site/site_names.h"
#include "tests/history/views/game_samples.h"

#include "common/error.h"
#include "common/file_writer.h"

#include <QRegularExpression>
#include <numeric>
#include <set>
#include <sys/stat.h>

using namespace vantor;
using namespace vantor::history;
using namespace vantor::test;

namespace {

const QByteArray kNames[] = {"Ace",      "ace",     "ACE",        "../etc/passwd",
                             "a/b",      "..",      "",           kScriptName,
                             kQuoteName, kHighName, kControlName, QByteArray(60, 'x')};

// A season of games: four weeks of November and December, hostile names among the players,
// more games than get pages of their own being out of reach for a unit test.
void playSeason(SiteFixture& f, int days) {
    for (int day = 0; day < days; ++day) {
        std::vector<SitePlayerLine> players;
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            if ((day + int(i)) % 3 != 0)
                players.push_back(
                    {kNames[i], int(i + day) % 9, int(i * day) % 4, i % 2 ? "gold" : "blue"});
        f.addGame(day, day % 2 ? QByteArray("Oil <Refinery>") : QByteArray("Embassy/../x"), players,
                  day % 3 ? TeamOutcome::BlueWon : TeamOutcome::RedWon);
    }
}

// A history of its own for each case of a table: days played, and the options of a small site
// (ten game pages, archive pages of archivePageGames).
struct Played : SiteFixture {
    Played(int days, std::size_t archivePageGames) {
        playSeason(*this, days);
        options.now = kNow;
        options.limits.gamePages = 10;
        options.limits.archivePageGames = archivePageGames;
    }
    void TestBody() override {}
    history::site::SiteOptions options;
};

struct StatOf {
    ino_t inode;
    std::int64_t mtimeNs;
};

std::map<QString, StatOf> statsOf(const QString& folder,
                                  const std::map<QString, QByteArray>& files) {
    std::map<QString, StatOf> out;
    for (const auto& [rel, bytes] : files) {
        struct ::stat st {};
        ::lstat(QFile::encodeName(QDir(folder).filePath(rel)).constData(), &st);
        out[rel] = {st.st_ino, std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return out;
}

// Elements that close themselves in HTML.
const std::set<QString> kVoid = {QStringLiteral("meta"), QStringLiteral("link"),
                                 QStringLiteral("input"), QStringLiteral("br"),
                                 QStringLiteral("img")};

// Empty when every element is closed in order and nothing leads off the site; else what is wrong.
QString pageFault(const QString& folder, const QString& rel, const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)([^>]*)>"));
    static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    std::vector<QString> open;
    static const QRegularExpression script(QStringLiteral("<script>.*</script>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const QString markup = QString(html).remove(script);
    for (auto it = tag.globalMatch(markup); it.hasNext();) {
        const auto m = it.next();
        const QString name = m.captured(2).toLower();
        if (kVoid.count(name) || name == QStringLiteral("circle") || m.captured(3).endsWith(u'/'))
            continue;
        if (m.captured(1).isEmpty()) {
            open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            return QStringLiteral("</%1> closes %2")
                .arg(name, open.empty() ? "nothing" : open.back());
        } else {
            open.pop_back();
        }
    }
    if (!open.empty())
        return QStringLiteral("<%1> is never closed").arg(open.back());
    for (auto it = ref.globalMatch(html); it.hasNext();) {
        const QString link = it.next().captured(1);
        if (link.contains(QStringLiteral("//")) || link.contains(u':'))
            return QStringLiteral("\"%1\" leads off the site").arg(link);
        const QString file = link.section(u'#', 0, 0);
        const QString anchor = link.section(u'#', 1);
        const QString target =
            QDir::cleanPath(QFileInfo(QDir(folder).filePath(rel)).dir().filePath(file));
        if (!QFileInfo(target).isFile() || !target.startsWith(folder))
            return QStringLiteral("\"%1\" resolves to no file of the site").arg(link);
        if (!anchor.isEmpty() &&
            !readFile(target).contains(QStringLiteral("id=\"%1\"").arg(anchor).toUtf8()))
            return QStringLiteral("\"%1\" names no anchor of its page").arg(link);
    }
    return {};
}

} // namespace

// File names from names: safe, lower case, stable, distinct where the names are.
TEST(SiteNames, StemsAreSafeStableAndDistinct) {
    std::set<QString> seen;
    for (const QByteArray& name : kNames) {
        const QString stem = site::fileStem(name);
        EXPECT_TRUE(site::isSitePath(QStringLiteral("players/") + stem + QStringLiteral(".html")))
            << stem.toStdString();
        EXPECT_EQ(stem, stem.toLower());
        EXPECT_FALSE(stem.startsWith(u'-'));
        EXPECT_EQ(stem, site::fileStem(QByteArray(name))) << "stable";
        EXPECT_TRUE(seen.insert(stem).second) << "two names share " << stem.toStdString();
    }
    const std::vector<QByteArray> names(std::begin(kNames), std::end(kNames));
    const site::StemTable table(names);
    for (const QByteArray& name : names)
        EXPECT_EQ(table.stemOf(name), site::fileStem(name));
}

// A list read back where its file lies, then grown in memory past several moves: every item
// where it was put.
TEST(SiteModel, AKeptListKeepsItsItemsAsItGrows) {
    std::vector<std::uint64_t> kept(1000);
    std::iota(kept.begin(), kept.end(), 0);
    site::KeptList<std::uint64_t> list;
    list.adopt(nullptr, kept.data(), kept.size());
    for (std::uint64_t v = kept.size(); v < 600'000; ++v) // 4.8 MB: the memory moves twice
        list.push_back(v * 3);
    ASSERT_EQ(list.size(), 600'000u);
    for (std::size_t i = 0; i < list.size(); i += 997)
        EXPECT_EQ(list[i], i < kept.size() ? i : i * 3) << i;
    EXPECT_EQ(list.back(), 599'999u * 3);
}

// What a manifest may name: a plain name, or one folder and a name; nothing that climbs out.
TEST(SiteNames, OnlySitePathsAreTakenFromAManifest) {
    for (const char* path : {"index.html", "players/ace-1f2e3d4c5b6a.html",
                             "archive/2026-12-2.html", "style.css", "A_b-1"})
        EXPECT_TRUE(site::isSitePath(QString::fromLatin1(path))) << path;
    for (const char* path : {"", "/index.html", "../index.html", "players/../x.html", "a/b/c.html",
                             ".vantor-site", "-x.html", "players/", "x.", "x.HTML", "x.html.gz",
                             "Players/x.html", "x/.html", "pla yers/x.html", "x\n.html"})
        EXPECT_FALSE(site::isSitePath(QString::fromLatin1(path))) << path;
}

class SiteBuild : public SiteFixture {};

// The sums the model keeps up game by game (the newest week, month and season, every map) are
// the sums over its rows; a game dated into an older week is left out of the newest's.
TEST_F(SiteBuild, TheModelsRunningSumsAreTheSumsOverItsRows) {
    playSeason(*this, 30);
    addGame(3, "Garage", {{"Ace", 5, 1}, {"Newcomer", 1, 2, "gold"}});
    site::SiteModel model({}, {{QStringLiteral("Autumn"), QDate(2026, 10, 1)}});
    journal->foldGames(std::nullopt, nullptr, [&](const history::GameRow& g) { model.addGame(g); });
    model.finish();
    for (site::PeriodKind kind :
         {site::PeriodKind::Week, site::PeriodKind::Month, site::PeriodKind::Season}) {
        std::optional<site::PeriodKey> newest;
        for (const auto& [key, games] : model.periods())
            if (key.kind == kind)
                newest = key;
        ASSERT_TRUE(newest);
        const site::WindowTotals* kept = model.keptTotals(*newest);
        ASSERT_NE(kept, nullptr);
        const site::WindowTotals summed = model.totalsOver(model.periods().at(*newest));
        EXPECT_EQ(kept->players, summed.players) << int(kind);
        EXPECT_EQ(std::pair(kept->blue, kept->gold), std::pair(summed.blue, summed.gold));
        EXPECT_EQ(model.keptTotals({kind, newest->value - 1}), nullptr);
    }
    for (std::uint32_t map = 0; map < model.maps().size(); ++map) {
        std::map<std::uint32_t, std::pair<std::int64_t, std::int64_t>> onMap; // kills, games
        for (const auto& [player, totals] : model.totalsOver(model.gamesOfMap(map)).players)
            onMap[player] = {totals.kills, totals.games};
        std::map<std::uint32_t, std::pair<std::int64_t, std::int64_t>> kept;
        for (const auto& [player, mp] : model.mapPlayers(map).all())
            kept[player] = {mp.kills, mp.games};
        EXPECT_EQ(kept, onMap) << model.maps()[map].toStdString();
        EXPECT_EQ(model.mapTally(map).timed, std::int64_t(model.gamesOfMap(map).size()));
        EXPECT_EQ(model.mapTally(map).seconds, 721 * model.mapTally(map).timed);
    }
}

// Every page is well formed, UTF-8, escapes every name, and links only to files of the site.
TEST_F(SiteBuild, EveryPageIsWholeAndEveryLinkResolves) {
    playSeason(*this, 40);
    site::SiteOptions options;
    options.limits.archivePageGames = 4; // months of several archive pages
    const auto result = build(site, options);
    const auto files = filesOf(site);
    EXPECT_EQ(std::size_t(result.pages), files.size());
    EXPECT_TRUE(files.count(QStringLiteral("index.html")));
    EXPECT_TRUE(files.count(QStringLiteral("players.html")));
    EXPECT_TRUE(files.count(QStringLiteral("hall-of-fame.html")));
    // November's 29 games, four to an archive page, the last page of one game.
    EXPECT_TRUE(files.count(QStringLiteral("archive/2026-11-8.html")));
    EXPECT_FALSE(files.count(QStringLiteral("archive/2026-11-9.html")));
    EXPECT_TRUE(files.at(QStringLiteral("archive.html")).contains("archive/2026-11-8.html"));
    for (const auto& [rel, bytes] : files) {
        if (!rel.endsWith(QStringLiteral(".html")))
            continue;
        const QString html = QString::fromUtf8(bytes);
        EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>"))) << rel.toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        EXPECT_TRUE(html.contains(QStringLiteral("name=\"viewport\"")));
        EXPECT_FALSE(html.contains(QStringLiteral("<script>alert"))) << rel.toStdString();
        EXPECT_FALSE(bytes.contains('\x1B')) << rel.toStdString();
        EXPECT_EQ(pageFault(site, rel, html).toStdString(), "") << rel.toStdString();
    }
    // Every player with a page, every name listed once.
    const QString index = QString::fromUtf8(files.at(QStringLiteral("players.html")));
    EXPECT_EQ(index.count(QStringLiteral("<li>")), int(std::size(kNames)) - 1); // "" plays not
}

// A refresh writes only what changed and gives the bytes a build from nothing gives; the other
// files keep inode and time. New games make only the pages they touch (a game falling out of the
// newest with a page of their own included); anything else makes the whole site again.
TEST_F(SiteBuild, ARefreshEqualsABuildFromNothing) {
    const struct {
        const char* what;
        bool whole;
        std::function<void(SiteFixture&, site::SiteOptions&)> change;
    } cases[] = {
        {"a game with a newcomer", false,
         [](SiteFixture& f, site::SiteOptions&) {
             f.addGame(37, "Oil <Refinery>",
                       {{"Ace", 9, 1}, {kScriptName, 1, 2, "gold"}, {"Newcomer", 0, 0}});
         }},
        {"two games on a new map", false,
         [](SiteFixture& f, site::SiteOptions&) {
             f.addGame(37, "Garage", {{"Ace", 1, 1}});
             f.addGame(37, "Garage", {{"ace", 2, 1}});
         }},
        {"nothing new", false, [](SiteFixture&, site::SiteOptions&) {}},
        {"a game dated into a finished week", true,
         [](SiteFixture& f, site::SiteOptions&) {
             f.addGame(31, "Garage", {{"Ace", 1, 1}});
         }},
        {"a game undone", true,
         [](SiteFixture& f, site::SiteOptions&) {
             f.journal->markEvent(*f.journal->gameEvent(3), true);
         }},
        {"a player hidden", true,
         [](SiteFixture&, site::SiteOptions& o) { o.people.hidden = {"ACE"}; }},
        {"a week later", true,
         [](SiteFixture&, site::SiteOptions& o) { o.now = o.now.addDays(7); }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Played f(30, 2); // the second new game starts an archive page
        site::SiteOptions options = f.options;
        const QString into = f.cwd.file(QStringLiteral("site%1").arg(n++));
        f.build(into, options);
        const auto before = filesOf(into);
        const auto statsBefore = statsOf(into, before);

        c.change(f, options);
        const auto refresh = f.build(into, options);
        EXPECT_EQ(refresh.whole, c.whole);
        const auto after = filesOf(into);
        const QString fresh = f.cwd.file(QStringLiteral("fresh%1").arg(n));
        f.build(fresh, options);
        EXPECT_EQ(after, filesOf(fresh));

        int changed = 0;
        const auto statsAfter = statsOf(into, after);
        for (const auto& [rel, bytes] : after) {
            const auto old = before.find(rel);
            if (old != before.end() && old->second == bytes) {
                EXPECT_EQ(statsAfter.at(rel).inode, statsBefore.at(rel).inode) << rel.toStdString();
                EXPECT_EQ(statsAfter.at(rel).mtimeNs, statsBefore.at(rel).mtimeNs);
            } else {
                ++changed;
            }
        }
        EXPECT_EQ(refresh.written, changed);
        if (!c.whole) {
            EXPECT_LE(changed, 25);
        }
        EXPECT_EQ(f.build(into, options).written, 0) << "a second build writes nothing";
    }
}

// The model kept between builds is only a cache: damaged, stale or another history's, it is
// left aside and the site is what a build from nothing makes, then and after the next game.
TEST_F(SiteBuild, ADamagedOrStaleModelLeadsToAFullBuild) {
    const auto rewrite = [](const QString& path, const std::function<void(QByteArray&)>& edit) {
        QByteArray bytes = readFile(path);
        edit(bytes);
        writeFile(path, bytes);
    };
    const struct {
        const char* what;
        std::function<void(SiteFixture&, const QString& model)> spoil;
    } cases[] = {
        {"cut short",
         [&](SiteFixture&, const QString& m) { rewrite(m, [](QByteArray& b) { b.chop(99); }); }},
        {"a byte changed: the kills after the last \"Ace\", his total",
         [&](SiteFixture&, const QString& m) {
             rewrite(m, [](QByteArray& b) {
                 const qsizetype at = b.lastIndexOf(QByteArray("\3\0\0\0Ace", 7)) + 7;
                 ASSERT_GE(at, 7);
                 b[at] = char(b[at] ^ 0x10);
             });
         }},
        {"a game undone since",
         [](SiteFixture& f, const QString&) {
             f.journal->markEvent(*f.journal->gameEvent(3), true);
         }},
        {"another history's",
         [](SiteFixture& f, const QString& m) {
             Played other(31, 4);
             other.build(other.site, other.options);
             QFile::remove(m);
             QFile::copy(QDir(other.site).filePath(site::kModelFile), m);
             (void)f;
         }},
        {"a folder in its place",
         [](SiteFixture&, const QString& m) {
             QFile::remove(m);
             QDir().mkpath(m);
         }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Played f(30, 4);
        const site::SiteOptions options = f.options;
        f.build(f.site, options);
        for (int game = 0; game < 2; ++game) {
            f.addGame(37, "Garage", {{"Ace", game, 1}, {"Newcomer", 1, game}});
            if (game == 0)
                c.spoil(f, QDir(f.site).filePath(site::kModelFile));
            f.build(f.site, options);
            const QString fresh = f.cwd.file(QStringLiteral("fresh%1").arg(n++));
            f.build(fresh, options);
            EXPECT_EQ(filesOf(f.site), filesOf(fresh)) << "after game " << game;
        }
    }
}

// A kept model rewritten after a refresh read many games past it (its older part mapped from
// the file, the newer in memory) reads back as the same model.
TEST_F(SiteBuild, AKeptModelRewrittenAfterManyGamesReadsBackTheSame) {
    playSeason(*this, 30);
    site::SiteOptions options;
    options.limits.gamePages = 10;
    build(site, options);
    const QString model = QDir(site).filePath(site::kModelFile);
    const QByteArray before = readFile(model);
    for (int game = 0; game < 300; ++game)
        addGame(37, game % 2 ? "Garage" : "Bank",
                {{"Ace", game % 7, 1}, {"Newcomer", 1, game % 3}});
    build(site, options);
    const QByteArray rewritten = readFile(model);
    ASSERT_NE(rewritten, before);
    addGame(37, "Garage", {{"Ace", 1, 1}});
    build(site, options);
    // One game past it is no reason to write it again: unchanged, it was read back.
    EXPECT_EQ(readFile(model), rewritten);
    build(cwd.file(QStringLiteral("fresh")), options);
    EXPECT_EQ(filesOf(site), filesOf(cwd.file(QStringLiteral("fresh"))));
}

// The games after a stamp are read only while the games up to it are what they were.
TEST_F(SiteBuild, GamesAreFoldedAfterAStampOnlyWhileItHolds) {
    const struct {
        const char* what;
        std::function<void(SiteFixture&)> change;
        std::vector<std::int64_t> folded; // nothing: the stamp no longer holds
        bool holds;
    } cases[] = {
        {"a game added",
         [](SiteFixture& f) {
             f.addGame(5, "Bank", {{"Ace", 1, 1}});
         },
         {4},
         true},
        {"nothing new", [](SiteFixture&) {}, {}, true},
        {"an older game undone",
         [](SiteFixture& f) { f.journal->markEvent(*f.journal->gameEvent(1), true); },
         {},
         false},
        {"the last game taken back",
         [](SiteFixture& f) { f.journal->removeEvent(*f.journal->gameEvent(3)); },
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Played f(0, 4);
        for (int day = 0; day < 3; ++day)
            f.addGame(day, "Bank", {{"Ace", day, 1}});
        std::vector<std::int64_t> folded;
        const auto fold = [&](const GameRow& g) { folded.push_back(g.id); };
        const auto stamp = f.journal->foldGames(std::nullopt, nullptr, fold);
        ASSERT_EQ(folded, (std::vector<std::int64_t>{1, 2, 3}));
        c.change(f);
        folded.clear();
        EXPECT_EQ(f.journal->foldGames(std::nullopt, &*stamp, fold).has_value(), c.holds);
        EXPECT_EQ(folded, c.folded);
    }
}

// Hidden players appear nowhere; an alias is shown as its main name.
TEST_F(SiteBuild, HiddenPlayersAppearNowhereAndAliasesShowTheirMainName) {
    addGame(0, "Embassy",
            {{"Ace", 3, 1}, {"SecretSpy", 5, 0}, {"AceTwo", 2, 2}, {"Rook", 1, 1, "gold"}});
    site::SiteOptions options;
    options.people.hidden = {"SecretSpy"};
    options.people.mainNameOf = {{"AceTwo", "Ace"}};
    build(site, options);
    for (const auto& [rel, bytes] : filesOf(site))
        EXPECT_FALSE(bytes.contains("SecretSpy")) << rel.toStdString();
    const QString index = QString::fromUtf8(filesOf(site).at(QStringLiteral("players.html")));
    EXPECT_EQ(index.count(QStringLiteral("<li>")), 2);

    // Ratings as the rating itself gives them: the alias under the main name, hidden players
    // counted.
    addGame(1, "Bank", {{"AceTwo", 1, 0}, {"Rook", 0, 1, "gold"}});
    addGame(2, "Bank", {{"SecretSpy", 2, 0}, {"Ace", 0, 3, "gold"}}, TeamOutcome::RedWon);
    build(site, options);
    RatingBook book({{"AceTwo", "Ace"}});
    journal->forEachGame(false, [&](const GameRow& g) { book.add(g); });
    for (const QByteArray name : {"Ace", "Rook"}) {
        const Rating* r = book.find(name);
        ASSERT_TRUE(r);
        const QString shown =
            QStringLiteral("Rating <span class=\"hi\">%1</span> &plusmn; %2 over %3")
                .arg(qRound64(r->rating()))
                .arg(qRound64(r->deviation()))
                .arg(r->games);
        const QString page = QString::fromUtf8(
            filesOf(site).at(QStringLiteral("players/") + site::fileStem(name) + ".html"));
        EXPECT_TRUE(page.contains(shown)) << name.toStdString();
    }
}

// A folder that is no site of ours is refused before anything is written.
TEST_F(SiteBuild, AFolderThatIsNotOursIsRefused) {
    addGame(0, "Embassy", {{"Ace", 3, 1}});
    const struct {
        const char* name;
        std::function<QString(const QString&)> make; // gives the path to build into
    } cases[] = {
        {"a file",
         [](const QString& p) {
             writeFile(p, "x");
             return p;
         }},
        {"the data folder", [this](const QString&) { return data; }},
        {"a folder with stats.log",
         [](const QString& p) {
             QDir().mkpath(p);
             writeFile(p + "/stats.log", "");
             return p;
         }},
        {"a folder of other files",
         [](const QString& p) {
             QDir().mkpath(p);
             writeFile(p + "/notes.txt", "mine");
             return p;
         }},
        {"a damaged manifest",
         [](const QString& p) {
             QDir().mkpath(p);
             writeFile(p + "/.vantor-site", "vantor-site 1\n../../etc/passwd\tab\t1\t1\t-\n");
             return p;
         }},
        {"a link",
         [this](const QString& p) {
             QFile::link(cwd.path(), p);
             return p;
         }},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = c.make(cwd.file(QStringLiteral("case%1").arg(n++)));
        const QStringList before = QDir(path).entryList(QDir::AllEntries | QDir::Hidden);
        EXPECT_THROW(build(path), Error) << c.name;
        EXPECT_EQ(QDir(path).entryList(QDir::AllEntries | QDir::Hidden), before) << c.name;
    }
}

namespace {
int writesLeft = 0;
ssize_t failingWrite(int fd, const void* data, std::size_t size, off_t offset) {
    if (writesLeft-- <= 0) {
        errno = ENOSPC;
        return -1;
    }
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}
} // namespace

// A full disk part-way: every page stays whole, old or new, and the next build completes the
// site as a build from nothing makes it.
TEST_F(SiteBuild, AFullDiskLeavesEveryPageWholeAndTheNextBuildMendsIt) {
    playSeason(*this, 12);
    build(site);
    const auto old = filesOf(site);
    addGame(13, "Embassy", {{"Ace", 9, 1}, {"Newcomer", 1, 1}});
    const auto fresh = cwd.file(QStringLiteral("fresh"));
    build(fresh);
    const auto wanted = filesOf(fresh);

    writesLeft = 5;
    const WriteCall previous = setWriteCall(&failingWrite);
    EXPECT_THROW(build(site), Error);
    setWriteCall(previous);
    for (const auto& [rel, bytes] : filesOf(site)) {
        const bool isOld = old.count(rel) && old.at(rel) == bytes;
        const bool isNew = wanted.count(rel) && wanted.at(rel) == bytes;
        EXPECT_TRUE(isOld || isNew) << rel.toStdString();
    }
    build(site);
    EXPECT_EQ(filesOf(site), wanted);
}
