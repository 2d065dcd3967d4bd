// Aliases and hidden players: an alias gives what a history played under the main name gives,
// later games follow it, taking it out gives the files of a history without it; refused aliases
// write nothing; a hidden player is on no page.
#include "tests/history/replay/history_fixture.h"
#include "tests/utilities/run_utilities.h"

#include "history/journal/journal.h"
#include "history/replay/history_commands.h"
#include "history/replay/name_commands.h"
#include "history/replay/replay.h"
#include "history/views/game_views.h"
#include "recorder/live/live_page.h"
#include "recorder/session/game_notice.h"
#include "tests/support/record_builders.h"
#include "utilities/core/stats_page.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vantor;
using namespace vantor::test;
using Recorded = recorder::RecordingCycle::Outcome;

namespace {

QByteArray logLine(const char* label, const QByteArray& value) {
    return QByteArray(label) + value + " \r\n";
}

// An adversarial log: each player with his kills, killed by the next one, blue winning.
QByteArray logOf(const QList<std::pair<QByteArray, int>>& players, const QByteArray& map = "Bank") {
    QByteArray log = logLine("Type  : ", "Adversarial") + logLine("Map Name   : ", map) +
                     "Server\r\n" + logLine("Rules  : ", "Team Survival") +
                     logLine("Elapsed Time  : ", "05:12") + "\r\n";
    for (qsizetype i = 0; i < players.size(); ++i)
        log += "Player\r\n" + logLine("Team        : ", i % 2 ? "1" : "0") + "Character\r\n" +
               logLine("Health Status : ", "2") + logLine("Player Name  : ", players[i].first) +
               logLine("Kills            : ", QByteArray::number(players[i].second)) +
               logLine("Hit Percentage  : ", QByteArray::number(20 + 10 * i)) +
               logLine("Rounds Fired         : ", "9") + logLine("Rounds Taken         : ", "2") +
               logLine("Killed By            : ", players[(i + 1) % players.size()].first) +
               logLine("Team Won     : ", "1") + "\r\n";
    return log;
}

// A command's JSON without what differs between two folders recording the same games: the
// games' numbers and recording times.
QJsonValue withoutGameIdentity(const QJsonValue& v) {
    if (v.isArray()) {
        QJsonArray out;
        for (const QJsonValue& e : v.toArray())
            out.append(withoutGameIdentity(e));
        return out;
    }
    if (!v.isObject())
        return v;
    QJsonObject out;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != QLatin1String("id") && it.key() != QLatin1String("playedAt"))
            out.insert(it.key(), withoutGameIdentity(it.value()));
    return out;
}

QJsonValue parsed(const QByteArray& json) {
    const QJsonDocument d = QJsonDocument::fromJson(json);
    return withoutGameIdentity(d.isArray() ? QJsonValue(d.array()) : QJsonValue(d.object()));
}

class Names : public HistoryFolder {
protected:
    Names() { QDir::setCurrent(data); }

    Outcome run(QStringList args, const QString& folder = {}) {
        if (!folder.isEmpty())
            QDir::setCurrent(folder);
        const Outcome o = vantor::test::utilities(args, env);
        QDir::setCurrent(data);
        return o;
    }
    QByteArray json(const QStringList& args, const QString& folder = {}) {
        const Outcome o = run(args + QStringList{QStringLiteral("--json")}, folder);
        EXPECT_EQ(o.status, 0) << args.join(u' ').toStdString() << ": " << o.err.toStdString();
        return o.out.toUtf8();
    }
    history::FileSet filesOf(const QString& folder) const { return history::currentFiles(folder); }

    QProcessEnvironment env = [this] {
        QProcessEnvironment e;
        e.insert(QStringLiteral("VANTOR_REGISTRY"), dir.filePath(QStringLiteral("store.reg")));
        return e;
    }();
};

// The same games in two folders, one with "Wolf" playing, the other with "Marrow" in his place:
// after `alias Wolf --is Marrow` every view of the first is the second's.
TEST_F(Names, AnAliasCountsAsAHistoryPlayedUnderTheMainName) {
    const QString renamed = dir.filePath(QStringLiteral("renamed"));
    QDir().mkpath(renamed);
    const QList<QList<std::pair<QByteArray, int>>> games = {
        {{"Wolf", 3}, {"Marrow", 1}, {"Ding", 2}, {"Ash", 0}},
        {{"Marrow", 4}, {"Ding", 1}},
        {{"Ding", 2}, {"Wolf", 5}},
        {{"Wolf", 1}, {"Ash", 2}, {"Marrow", 2}, {"Ding", 0}},
    };
    const auto asMarrow = [](QList<std::pair<QByteArray, int>> g) {
        for (auto& p : g)
            if (p.first == "Wolf")
                p.first = "Marrow";
        return g;
    };
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(record(logOf(games[i], i % 2 ? "Bank" : "Embassy")), Recorded::Recorded);
        ASSERT_EQ(record(logOf(asMarrow(games[i]), i % 2 ? "Bank" : "Embassy"), renamed),
                  Recorded::Recorded);
    }
    // Kept day totals from before the alias are read under the new names.
    ASSERT_FALSE(json({"standings", "--month", "--by", "Kills"}).isEmpty());

    const Outcome asked = run({"alias", "Wolf", "--is", "Marrow"});
    EXPECT_EQ(asked.status, 1) << "without --yes it only says what it would do";
    EXPECT_TRUE(asked.out.contains(QStringLiteral("Nothing was changed")));
    ASSERT_EQ(run({"alias", "Wolf", "--is", "Marrow", "--yes"}).status, 0);
    // A later game under the alias is recorded as the main name.
    ASSERT_EQ(record(logOf(games[3])), Recorded::Recorded);
    ASSERT_EQ(record(logOf(asMarrow(games[3])), renamed), Recorded::Recorded);

    const auto stats = readAllRecords<PlayerStatsRecord>(file(kStatsFile));
    const auto expected = readAllRecords<PlayerStatsRecord>(QDir(renamed).filePath(kStatsFile));
    const auto recordOf = [](const std::vector<PlayerStatsRecord>& records, const QByteArray& n) {
        for (const PlayerStatsRecord& r : records)
            if (r.name.sameText(n))
                return r;
        return PlayerStatsRecord{};
    };
    const PlayerStatsRecord marrow = recordOf(stats, "Marrow");
    const PlayerStatsRecord wanted = recordOf(expected, "Marrow");
    EXPECT_EQ(marrow.kills, wanted.kills);
    EXPECT_EQ(marrow.deaths, wanted.deaths);
    EXPECT_EQ(marrow.games, wanted.games);
    EXPECT_EQ(marrow.hitPercentSum, wanted.hitPercentSum);
    EXPECT_EQ(marrow.roundsFired, wanted.roundsFired);
    EXPECT_EQ(recordOf(stats, "Wolf").games, 0) << "Wolf's record blanked, never made again";

    const QStringList views[] = {
        {"standings", "--by", "Kills"},
        {"standings", "--by", "Rating"},
        {"standings", "--month", "--by", "Kills"},
        {"awards"},
        {"maps"},
        {"map", "Bank"},
        {"rating", "Marrow"},
        {"hall-of-fame"},
    };
    for (const QStringList& v : views) {
        const QByteArray shown = json(v);
        EXPECT_EQ(parsed(shown), parsed(json(v, renamed))) << v.join(u' ').toStdString();
        EXPECT_FALSE(shown.contains("Wolf")) << shown.toStdString();
        EXPECT_TRUE(shown.contains("Marrow") || v.first() == "hall-of-fame") << shown.toStdString();
    }
    EXPECT_EQ(parsed(json({"rating", "Wolf"})), parsed(json({"rating", "Marrow"}, renamed)));
    // The games' own numbers and times differ between the folders; the players do not.
    const auto players = [](const QByteArray& exported) {
        QJsonArray out;
        for (const QJsonValue& g : QJsonDocument::fromJson(exported).object()["games"].toArray())
            out.append(g.toObject()["players"]);
        return out;
    };
    EXPECT_EQ(players(json({"export"})), players(json({"export"}, renamed)));

    const QJsonArray aliases = QJsonDocument::fromJson(json({"aliases"})).array();
    ASSERT_EQ(aliases.size(), 1);
    EXPECT_EQ(aliases[0].toObject()["name"].toString(), QStringLiteral("Wolf"));
    EXPECT_EQ(aliases[0].toObject()["main"].toString(), QStringLiteral("Marrow"));
    EXPECT_EQ(QJsonDocument::fromJson(json({"aliases", "--coop"})).array().size(), 0);

    // The site shows one player, under the main name.
    ASSERT_EQ(run({"site", "www", "--quiet"}).status, 0);
    const QDir sitePlayers(file(QStringLiteral("www/players")));
    EXPECT_EQ(sitePlayers.entryList({QStringLiteral("wolf-*")}).size(), 0);
    EXPECT_EQ(sitePlayers.entryList({QStringLiteral("marrow-*")}).size(), 1);
}

// Replay reproduces an alias and the games after it; replayed without it, the files are those
// of the same games recorded with no alias, byte for byte.
TEST_F(Names, TakenOutTheFilesAreAsWithoutIt) {
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QDir().mkpath(plain);
    const QList<QByteArray> logs = {logOf({{"Ash", 1}, {"Vega", 2}}),
                                    logOf({{"Vega", 3}, {"Ash", 0}, {"Rook", 1}})};
    for (const QByteArray& log : logs) {
        ASSERT_EQ(record(log), Recorded::Recorded);
        ASSERT_EQ(record(log, plain), Recorded::Recorded);
    }
    const history::FileSet before = filesOf(data);
    history::addAlias(data, "Ash", "Vega", false);
    const QByteArray later = logOf({{"Ash", 4}, {"Rook", 2}});
    ASSERT_EQ(record(later), Recorded::Recorded);
    ASSERT_EQ(record(later, plain), Recorded::Recorded);
    ASSERT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('\n').toStdString();
    EXPECT_EQ(history::rebuildFiles(data), 0) << "the history replays to the files";

    auto journal = history::Journal::openExisting(data);
    const auto aliases = history::aliasEntries(journal->database(), false);
    ASSERT_EQ(aliases.size(), 1u);
    const QString scratch = dir.filePath(QStringLiteral("scratch"));
    for (const bool withLater : {true, false}) {
        QDir(scratch).removeRecursively();
        QDir().mkpath(scratch);
        history::FileSet replayed;
        if (withLater) {
            replayed = history::replayJournal(*journal, scratch, {{aliases[0].id, true}});
            EXPECT_EQ(replayed, filesOf(plain));
        } else {
            // Up to the alias only: what the files were before it.
            std::int64_t lastGame = 0;
            journal->forEachEvent([&](const history::StoredEvent& e) {
                if (e.kind == history::EventKind::Game)
                    lastGame = e.id;
            });
            replayed = history::replayJournal(*journal, scratch,
                                              {{aliases[0].id, true}, {lastGame, true}});
            EXPECT_EQ(replayed, before);
        }
    }

    // Taken back from the command line: listed among the changes, then undone.
    journal.reset();
    const QString id = QString::number(aliases[0].id);
    const Outcome listed = run({"changes"});
    EXPECT_TRUE(listed.out.contains(id + QLatin1Char(' ')) && listed.out.contains("alias"))
        << listed.out.toStdString();
    ASSERT_EQ(run({"undo-change", id, "--yes"}).status, 0);
    EXPECT_EQ(filesOf(data), filesOf(plain));
    EXPECT_EQ(QJsonDocument::fromJson(json({"aliases"})).array().size(), 0);
}

// Every refusal exits non-zero, says why and leaves the files and the aliases as they were.
TEST_F(Names, RefusedNamesChangeNothing) {
    ASSERT_EQ(record(logOf({{"Ash", 1}, {"Vega", 2}, {"Rook", 1}, {"Jinx", 0}})),
              Recorded::Recorded);
    ASSERT_EQ(run({"alias", "Ash", "--is", "Vega", "--yes"}).status, 0);
    ASSERT_EQ(run({"hide", "Jinx", "--yes"}).status, 0);
    const history::FileSet files = filesOf(data);
    const QByteArray aliases = json({"aliases"});
    const QByteArray hidden = json({"hidden"});
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"alias", "Rook", "--is", "Rook", "--yes"}, 1, "alias of itself"},
        {{"alias", "Rook", "--is", "Ash", "--yes"}, 1, "chains"},  // Ash is an alias already
        {{"alias", "Vega", "--is", "Rook", "--yes"}, 1, "chains"}, // Vega has an alias
        {{"alias", "Ash", "--is", "Rook", "--yes"}, 1, "already"},
        {{"alias", "Vega", "--is", "Ash", "--yes"}, 1, "chains"}, // the loop back
        {{"alias", "Nobody", "--is", "Rook", "--yes"}, 1, "no player"},
        {{"alias", "Rook", "--is", "Nobody", "--yes"}, 1, "no player"},
        {{"alias", "Rook", "--is", "Vega", "--coop", "--yes"}, 1, "no player"},
        {{"alias", "Rook", "--yes"}, 2, "--is"},
        {{"alias", "", "--is", "Rook", "--yes"}, 2, "not empty"},
        {{"hide", "Rook"}, 1, ""}, // says what it would do
        {{"hide", "Jinx", "--yes"}, 1, "hidden already"},
        {{"hide", "Nobody", "--yes"}, 1, "no player"},
        {{"unhide", "Rook"}, 1, "not hidden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, c.status) << o.err.toStdString();
        EXPECT_TRUE((o.err + o.out).contains(QLatin1String(c.says)))
            << o.err.toStdString() << o.out.toStdString();
        EXPECT_EQ(filesOf(data), files);
        EXPECT_EQ(json({"aliases"}), aliases);
        EXPECT_EQ(json({"hidden"}), hidden);
    }
}

// A hidden player is on none of the pages we publish, and on all of them again once shown.
TEST_F(Names, AHiddenPlayerIsOnNoPage) {
    ASSERT_EQ(record(logOf({{"Hideaway", 3}, {"Seen", 1}})), Recorded::Recorded);
    const auto pages = [&] {
        std::vector<QByteArray> out;
        EXPECT_EQ(run({"page", "stats.html", "--by", "Kills"}).status, 0);
        out.push_back(readFile(file(QStringLiteral("stats.html"))));
        EXPECT_EQ(run({"rankings", "--by", "Kills"}).status, 0);
        out.push_back(readFile(file(QStringLiteral("Rankings.html"))));
        EXPECT_EQ(run({"player-page", "seen.html", "Seen"}).status, 0);
        out.push_back(readFile(file(QStringLiteral("seen.html"))));
        // The whole site, its file names and contents as one.
        EXPECT_EQ(run({"site", "www", "--quiet"}).status, 0);
        QByteArray site;
        for (QDirIterator it(file(QStringLiteral("www")), QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            site += path.toUtf8() + readFile(path);
        }
        out.push_back(site);
        return out;
    };
    for (const QByteArray& page : pages())
        EXPECT_TRUE(page.contains("Hideaway"));
    ASSERT_EQ(run({"hide", "Hideaway", "--yes"}).status, 0);
    EXPECT_EQ(json({"hidden"}).count("Hideaway"), 1);
    for (const QByteArray& page : pages()) {
        EXPECT_FALSE(page.contains("Hideaway")) << page.toStdString();
        EXPECT_TRUE(page.contains("Seen"));
    }
    EXPECT_EQ(run({"player-page", "h.html", "Hideaway"}).status, 1);
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("h.html"))));
    ASSERT_EQ(run({"unhide", "Hideaway"}).status, 0);
    for (const QByteArray& page : pages())
        EXPECT_TRUE(page.contains("Hideaway"));

    // The live page and the stats page as their writers are given them.
    const std::vector<PlayerStatsRecord> ranked = {player("Hideaway", 3, 1, 1, 20),
                                                   player("Seen", 1, 1, 1, 30)};
    const std::vector<LastGameRecord> last = {lastGamePlayer("Hideaway", "blue", 3, 1, 20, "Seen"),
                                              lastGamePlayer("Seen", "gold", 1, 1, 30, "Hideaway")};
    recorder::LivePageContent live;
    live.gameType = "Adversarial";
    live.rankings = ranked;
    live.lastGame = last;
    utilities::PageHead head;
    const QByteArray shownLive = recorder::livePageBytes(live);
    const QByteArray shownStats = utilities::statsPageBytes(head, ranked);
    live.hiddenNames = head.hiddenNames = {"Hideaway"};
    for (const QByteArray& page :
         {recorder::livePageBytes(live), utilities::statsPageBytes(head, ranked)}) {
        EXPECT_FALSE(page.contains("Hideaway"));
        EXPECT_TRUE(page.contains("Seen"));
    }
    EXPECT_TRUE(shownLive.contains("Hideaway"));
    EXPECT_TRUE(shownStats.contains("Hideaway"));

    // What the web hooks are told of a game.
    std::vector<history::GameRow> game(1);
    game[0].players = {{"Hideaway", "blue", "Seen", 3, 1, 20, 9, 2, 80},
                       {"Seen", "gold", "Hideaway", 1, 1, 30, 9, 2, 80}};
    history::leaveOutHidden({"Hideaway"}, game);
    const webhook::GameNotice notice = recorder::gameNotice(game[0], {});
    ASSERT_EQ(notice.top.size(), 1u);
    EXPECT_EQ(notice.top[0].name, "Seen");
    EXPECT_FALSE(history::gameJson(game[0]).contains("Hideaway"));
}

} // namespace
