// The league's parts on their own: windows, seasons, the published rating example, award ties.
#include "history/journal/game_scan.h"
#include "history/journal/journal.h"
#include "history/league/awards.h"
#include "history/league/day_totals.h"
#include "history/league/league_scan.h"
#include "history/league/map_stats.h"
#include "history/league/rating.h"
#include "history/league/seasons.h"
#include "history/league/time_window.h"

#include "common/error.h"

#include <QTemporaryDir>

#include <cstring>
#include <ctime>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::history;

namespace {

QDate day(const char* text) {
    return *parseDay(QString::fromLatin1(text));
}

TEST(LeagueWindows, FormsAndBoundaries) {
    struct Case {
        const char* what;
        std::optional<TimeWindow> window; // nullopt: the text is refused
        const char* from;
        const char* until;
    };
    const auto week = [](const char* t) -> std::optional<TimeWindow> {
        const auto w = parseIsoWeek(QString::fromLatin1(t));
        return w ? std::optional(weekWindow(*w, WindowZone::Local)) : std::nullopt;
    };
    const auto month = [](const char* t) -> std::optional<TimeWindow> {
        const auto m = parseMonth(QString::fromLatin1(t));
        return m ? std::optional(monthWindow(*m, WindowZone::Local)) : std::nullopt;
    };
    const auto days = [](const char* a, const char* b) -> std::optional<TimeWindow> {
        const auto x = parseDay(QString::fromLatin1(a));
        const auto y = parseDay(QString::fromLatin1(b));
        return x && y ? std::optional(dayWindow(x, y, WindowZone::Local)) : std::nullopt;
    };
    const Case cases[] = {
        {"week 1 starts in the year before", week("2026-W01"), "2025-12-29 00:00:00",
         "2026-01-05 00:00:00"},
        {"a year with 53 weeks", week("2020-W53"), "2020-12-28 00:00:00", "2021-01-04 00:00:00"},
        {"a year with 52", week("2021-W53"), nullptr, nullptr},
        {"week 0", week("2026-W00"), nullptr, nullptr},
        {"a week without its W", week("2026-49"), nullptr, nullptr},
        {"December runs into the new year", month("2026-12"), "2026-12-01 00:00:00",
         "2027-01-01 00:00:00"},
        {"month 13", month("2026-13"), nullptr, nullptr},
        {"the last day counts whole", days("2026-12-01", "2026-12-07"), "2026-12-01 00:00:00",
         "2026-12-08 00:00:00"},
        {"a leap day", days("2024-02-29", "2024-02-29"), "2024-02-29 00:00:00",
         "2024-03-01 00:00:00"},
        {"no 29 February in 2026", days("2026-02-29", "2026-03-01"), nullptr, nullptr},
        {"digits missing", days("2026-1-05", "2026-01-06"), nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.window.has_value(), c.from != nullptr);
        if (!c.window)
            continue;
        EXPECT_EQ(c.window->from, QByteArray(c.from));
        EXPECT_EQ(c.window->until, QByteArray(c.until));
        EXPECT_TRUE(c.window->contains(c.from));
        EXPECT_FALSE(c.window->contains(c.until));
    }
}

TEST(LeagueWindows, UtcDaysCoverTheLocalTimesOfThatDay) {
    const QByteArray was = qgetenv("TZ");
    // A fixed offset written out, so no time zone database is needed.
    qputenv("TZ", "EST5");
    ::tzset();
    const TimeWindow w = dayWindow(day("2026-12-01"), day("2026-12-01"), WindowZone::Utc);
    EXPECT_EQ(w.from, QByteArray("2026-11-30 19:00:00"));
    EXPECT_EQ(w.until, QByteArray("2026-12-01 19:00:00"));
    qputenv("TZ", was);
    ::tzset();
}

TEST(LeagueSeasons, StoredListsAndRefusals) {
    struct Case {
        const char* stored;
        bool readable;
    };
    const Case cases[] = {
        {"", true},
        {"2026-01-01 Winter|2026-04-01 Spring", true},
        {"2026-04-01 Spring|2026-01-01 Winter", true}, // kept in order of start
        {"2026-01-01 Winter|2026-01-01 Other", false},
        {"2026-01-01 Winter|2026-02-01 winter", false},
        {"2026-13-01 Winter", false},
        {"2026-01-01", false},
        {"2026-01-01  Winter", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (!c.readable) {
            EXPECT_THROW(SeasonList::fromSetting(QString::fromLatin1(c.stored)), Error);
            continue;
        }
        const SeasonList list = SeasonList::fromSetting(QString::fromLatin1(c.stored));
        EXPECT_TRUE(
            std::is_sorted(list.seasons().begin(), list.seasons().end(),
                           [](const Season& a, const Season& b) { return a.start < b.start; }));
        EXPECT_EQ(SeasonList::fromSetting(list.settingValue()).seasons(), list.seasons());
    }

    SeasonList list =
        SeasonList::fromSetting(QStringLiteral("2026-01-01 Winter|2026-04-01 Spring"));
    const TimeWindow winter = list.window(*list.find(QStringLiteral("WINTER")), WindowZone::Local);
    EXPECT_EQ(winter.until, QByteArray("2026-04-01 00:00:00")) << "ends where the next begins";
    EXPECT_TRUE(
        list.window(*list.find(QStringLiteral("Spring")), WindowZone::Local).until.isEmpty());
    EXPECT_FALSE(list.refusalToAdd({QStringLiteral("A|B"), day("2026-06-01")}).isEmpty());
    EXPECT_FALSE(list.refusalToAdd({QStringLiteral(" Summer"), day("2026-06-01")}).isEmpty());
    EXPECT_FALSE(list.refusalToAdd({QStringLiteral("Summer"), day("2026-04-01")}).isEmpty());
    EXPECT_TRUE(list.refusalToAdd({QStringLiteral("Summer"), day("2026-06-01")}).isEmpty());
}

TEST(LeagueRating, ThePublishedGlicko2Example) {
    Rating player;
    player.mu = 0;
    player.phi = 200 / 173.7178;
    player.sigma = 0.06;
    const std::vector<Opponent> games{{(1400 - 1500) / 173.7178, 30 / 173.7178, 1},
                                      {(1550 - 1500) / 173.7178, 100 / 173.7178, 0},
                                      {(1700 - 1500) / 173.7178, 300 / 173.7178, 0}};
    const Rating after = glicko2Update(player, games, 0.5);
    EXPECT_NEAR(after.rating(), 1464.06, 0.01);
    EXPECT_NEAR(after.deviation(), 151.52, 0.01);
    EXPECT_NEAR(after.sigma, 0.05999, 0.00001);
}

GameRow teamGame(std::int64_t id, const char* at, std::vector<QByteArray> blue,
                 std::vector<QByteArray> gold, TeamOutcome outcome, int kills = 1) {
    GameRow g;
    g.id = id;
    g.playedAt = at;
    g.outcome = outcome;
    g.map = "Oil Refinery";
    for (const auto& [names, team] : {std::pair{&blue, "blue"}, std::pair{&gold, "gold"}})
        for (const QByteArray& n : *names)
            g.players.push_back(PlayerGameRow{n, team, {}, kills, 1, 50, 10, 1, 0});
    return g;
}

TEST(LeagueRating, SameGamesSameBitsAndAbsenceWidensTheDeviation) {
    RatingBook a, b;
    for (int i = 0; i < 12; ++i) {
        const QByteArray at =
            "2026-12-" + QByteArray::number(1 + i).rightJustified(2, '0') + " 20:00:00";
        const GameRow g = teamGame(i + 1, at.constData(), {"Ann", "Bo"}, {"Cy", "Di"},
                                   i % 3 ? TeamOutcome::BlueWon : TeamOutcome::RedWon);
        a.add(g);
        b.add(g);
    }
    const Rating ra = *a.find("Ann");
    const Rating rb = *b.find("Ann");
    EXPECT_EQ(std::memcmp(&ra.mu, &rb.mu, sizeof ra.mu), 0);
    EXPECT_EQ(std::memcmp(&ra.phi, &rb.phi, sizeof ra.phi), 0);
    EXPECT_GT(ra.rating(), 1500) << "won two of three";
    EXPECT_FALSE(ra.provisional());
    EXPECT_GT(ra.deviationOn(ra.lastDay.addDays(60)), ra.deviationOn(ra.lastDay.addDays(1)));
    EXPECT_LE(ra.deviationOn(ra.lastDay.addDays(100000)), 350.0 + 1e-9);

    RatingBook c;
    c.add(teamGame(1, "2026-12-01 20:00:00", {"Ann"}, {}, TeamOutcome::BlueWon));
    EXPECT_EQ(c.find("Ann"), nullptr) << "no opponent, no rating";
    c.add(teamGame(2, "2026-12-01 20:00:00", {"Ann"}, {"Cy"}, TeamOutcome::Unknown));
    EXPECT_EQ(c.find("Ann"), nullptr) << "no winner, no rating";
}

TEST(LeagueAwards, TiesMinimumsAndTeams) {
    const TimeWindow december = dayWindow(day("2026-12-01"), day("2026-12-31"), WindowZone::Local);
    AwardTally tally;
    RatingBook ratings;
    const auto add = [&](const GameRow& g) {
        const auto changes = ratings.add(g);
        if (december.contains(g.playedAt))
            tally.add(g, changes);
    };
    // Ann, Bo, Cy and Di all kill 4 in the window; Bo and Di in four games. Cy's 50 kills lie
    // before it.
    add(teamGame(1, "2026-11-30 10:00:00", {"Cy"}, {"Di"}, TeamOutcome::BlueWon, 50));
    add(teamGame(2, "2026-12-01 10:00:00", {"Ann"}, {"Cy"}, TeamOutcome::BlueWon, 4));
    for (int i = 0; i < 4; ++i)
        add(teamGame(3 + i, "2026-12-02 10:00:00", {"Bo"}, {"Di"}, TeamOutcome::RedWon, 1));
    const std::vector<Award> awards = tally.awards();
    const auto find = [&](const char* title) {
        for (const Award& a : awards)
            if (a.title == QLatin1String(title))
                return a;
        ADD_FAILURE() << title;
        return Award{};
    };
    const Award kills = find("Most kills");
    EXPECT_EQ(kills.winner->name, "Bo") << "more games, then the name first in byte order";
    EXPECT_EQ(kills.winner->value, 4);
    EXPECT_EQ(kills.runnerUp->name, "Di");
    EXPECT_EQ(find("Most games played").winner->name, "Bo");
    EXPECT_FALSE(find("Best kills per game").winner.has_value()) << "nobody has 5 games";
    const Award teams = find("Team with most wins");
    EXPECT_EQ(teams.winner->name, "gold");
    EXPECT_EQ(teams.winner->value, 4);
    EXPECT_EQ(teams.runnerUp->value, 1);
    EXPECT_TRUE(find("Biggest rating gain").winner.has_value());
}

const char* const kNames[] = {"Ann", "Bo", "Cy", "Di", "Ed", "Flo"};

// Games first .. first+count-1 of a December: three a day, four of six players in each.
void addGames(Journal& journal, int first, int count) {
    for (int i = first; i < first + count; ++i) {
        GameRecord g;
        g.playedAt = "2026-12-" + QByteArray::number(1 + i / 3).rightJustified(2, '0') + " 1" +
                     QByteArray::number(i % 3) + ":00:00";
        g.gameType = "Adversarial";
        g.outcome = i % 4 ? TeamOutcome::BlueWon : TeamOutcome::RedWon;
        for (int p = 0; p < 4; ++p)
            g.players.push_back({kNames[(i + p * (1 + i % 2)) % 6],
                                 p % 2 ? "gold" : "blue",
                                 {},
                                 {},
                                 p + i % 5,
                                 1,
                                 50,
                                 10,
                                 1});
        journal.addGame(g, {});
    }
}

// Ratings resumed from a saved state equal ratings computed from the first game, and a state
// saved before an undo is not used after it.
TEST(LeagueRating, CheckpointsResumeExactlyAndGoStaleOnUndo) {
    QTemporaryDir dir;
    auto journal = Journal::openOrCreate(dir.path());
    const auto& names = kNames;
    addGames(*journal, 0, 60);
    const TimeWindow late = dayWindow(day("2026-12-18"), day("2026-12-20"), WindowZone::Local);
    const auto ratingsOf = [&](std::int64_t every) {
        RatingBook book;
        scanWindow(
            journal->database(), false, late, &book, [](auto&&...) {}, every);
        return book;
    };
    const auto same = [&](const RatingBook& a, const RatingBook& b) {
        for (const char* n : names)
            if (std::memcmp(&a.find(n)->mu, &b.find(n)->mu, sizeof(double)) != 0 ||
                a.find(n)->games != b.find(n)->games)
                return false;
        return true;
    };
    const RatingBook whole = ratingsOf(1000000); // no checkpoint reached
    ratingsOf(7);                                // lays checkpoints every 7 games
    EXPECT_TRUE(same(ratingsOf(7), whole)) << "resumed from a checkpoint";

    journal->markEvent(*journal->gameEvent(3), true);
    const RatingBook afterUndo = ratingsOf(7);
    Statement drop(journal->database().handle(), "DELETE FROM checkpoint");
    drop.run();
    EXPECT_TRUE(same(afterUndo, ratingsOf(1000000))) << "the stale checkpoints were not used";
    EXPECT_FALSE(same(afterUndo, whole));
}

// A replay read a slice of games at a time visits every game once, with its players.
TEST(LeagueScan, SlicesVisitEveryGameOnce) {
    QTemporaryDir dir;
    auto journal = Journal::openOrCreate(dir.path());
    addGames(*journal, 0, 40);
    const auto visited = [&](std::int64_t afterId, std::int64_t slice) {
        GameScan scan;
        scan.afterId = afterId;
        scan.sliceGames = slice;
        QByteArray out;
        scanGames(journal->database(), scan, [&](const GameRow& g) {
            out += QByteArray::number(g.id) + ':' + g.players.front().name + ' ';
        });
        return out;
    };
    for (const std::int64_t afterId : {0, 17})
        for (const std::int64_t slice : {1, 7, 40})
            EXPECT_EQ(visited(afterId, slice), visited(afterId, 1000))
                << "after " << afterId << ", slices of " << slice;
}

// Awards added up from the per-day totals and ratings equal those of the games themselves:
// over tables of an older program, after more games, after an undo.
TEST(LeagueAwards, FromTheDaysAsFromTheGames) {
    QTemporaryDir dir;
    auto journal = Journal::openOrCreate(dir.path());
    Database& db = journal->database();
    addGames(*journal, 0, 45);
    // Day tables of an older program, claiming every game and holding nonsense.
    db.exec("CREATE TABLE day_total(coop INTEGER NOT NULL, day BLOB NOT NULL, name BLOB NOT "
            "NULL, first INTEGER NOT NULL, last_played BLOB NOT NULL, kills INTEGER NOT NULL, "
            "deaths INTEGER NOT NULL, games INTEGER NOT NULL, hit_sum INTEGER NOT NULL, fired "
            "INTEGER NOT NULL, taken INTEGER NOT NULL, PRIMARY KEY(coop, day, name)) WITHOUT "
            "ROWID");
    db.exec("CREATE TABLE day_total_state(coop INTEGER PRIMARY KEY, through INTEGER NOT NULL, "
            "marks INTEGER NOT NULL, games INTEGER NOT NULL)");
    db.exec("INSERT INTO day_total VALUES(0, CAST('2026-12-05' AS BLOB), CAST('Zed' AS BLOB), 1, "
            "CAST('2026-12-05' AS BLOB), 999, 0, 9, 900, 9, 0)");
    db.exec("INSERT INTO day_total_state VALUES(0, 1000, 0, 45)");

    const TimeWindow windows[] = {
        allTime(),
        dayWindow(day("2026-12-05"), day("2026-12-05"), WindowZone::Local),
        dayWindow(day("2026-12-08"), day("2026-12-19"), WindowZone::Local),
        dayWindow(day("2027-01-01"), day("2027-01-31"), WindowZone::Local),
    };
    const auto fromGames = [&](const TimeWindow& w) {
        AwardTally tally;
        RatingBook ratings;
        scanWindow(db, false, w, &ratings,
                   [&](const GameRow& g, bool inWindow, const std::vector<RatingChange>& c) {
                       if (inWindow)
                           tally.add(g, c);
                   });
        return tally.awards();
    };
    const auto text = [](const std::vector<Award>& awards) {
        QStringList out;
        for (const Award& a : awards)
            for (const auto& e : {a.winner, a.runnerUp})
                out << a.title + u':' + (e ? e->name + ' ' + QByteArray::number(e->value) : "-");
        return out.join(u'\n').toStdString();
    };
    const auto compare = [&](const char* when) {
        for (const TimeWindow& w : windows)
            EXPECT_EQ(text(windowAwards(db, false, w)), text(fromGames(w)))
                << when << ", " << w.label.toStdString();
    };
    compare("over the older tables");
    EXPECT_TRUE(dayTotals(db, false, allTime())) << "the older tables were made afresh";
    addGames(*journal, 45, 15);
    compare("after more games");
    journal->markEvent(*journal->gameEvent(20), true);
    compare("after an undo");
}

TEST(LeagueMaps, ElapsedTimes) {
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {{"04:32", 272},       {" 1:02:03 ", 3723},  {"4:75", std::nullopt},
                 {"", std::nullopt},   {"12", std::nullopt}, {"a:bc", std::nullopt},
                 {"1:2", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(elapsedSeconds(c.text), c.seconds) << c.text;
    EXPECT_EQ(elapsedText(272), QByteArray("4:32"));
    EXPECT_EQ(elapsedText(3723), QByteArray("1:02:03"));
}

} // namespace
