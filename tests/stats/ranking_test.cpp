#include "tests/utilities/stats_files.h"

#include "stats/ranking.h"

#include "common/error.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;
using vantor::stats::rankStatsFile;

namespace {
const QString kStats = QStringLiteral("stats.log");

QByteArrayList rankNames(const std::vector<PlayerStatsRecord>& records, const char* key) {
    writeStats(kStats, records);
    rankStatsFile(kStats, QString::fromLatin1(key));
    return namesIn(readStats(kStats));
}

std::int32_t int32At(const QByteArray& bytes, int offset) {
    std::int32_t v;
    std::memcpy(&v, bytes.constData() + offset, 4);
    return v;
}
} // namespace

TEST(Ranking, DerivedValuesAreRecomputedAndStored) {
    TempFolder dir;
    auto a = statsRecord("A", {.kills = 30, .deaths = 9, .games = 2, .hitPercentSum = 90});
    auto b = statsRecord("B", {.kills = 12, .deaths = 0, .games = 3, .hitPercentSum = 150});
    // Stale derived values, as a file edited by hand or by an older program might hold.
    a.hitPercent = a.skillPoints = 7;
    b.hitPercent = b.skillPoints = 7;
    writeStats(kStats, {a, b});
    rankStatsFile(kStats, QStringLiteral("Skill Points"));

    const QByteArray bytes = readFile(kStats);
    ASSERT_EQ(bytes.size(), 2 * 96);
    EXPECT_EQ(bytes.mid(1, 1), "B");
    EXPECT_EQ(int32At(bytes, 76), 50);   // hitPercent
    EXPECT_EQ(int32At(bytes, 92), 1250); // skillPoints
    EXPECT_EQ(int32At(bytes, 96 + 76), 45);
    EXPECT_EQ(int32At(bytes, 96 + 92), 345);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(Ranking, EveryKeyIsDescendingAndStable) {
    TempFolder dir;
    const std::vector<PlayerStatsRecord> players = {
        statsRecord("p1", {.kills = 5, .deaths = 1, .games = 4, .roundsFired = 10}),
        statsRecord("p2", {.kills = 9, .deaths = 7, .games = 2, .roundsTaken = 3}),
        statsRecord("p3", {.kills = 5, .deaths = 7, .games = 4, .roundsFired = 30}),
        statsRecord("p4", {.kills = 1, .deaths = 0, .games = 9, .hitPercentSum = 900}),
    };
    EXPECT_EQ(rankNames(players, "Kills"), QByteArrayList({"p2", "p1", "p3", "p4"}));
    EXPECT_EQ(rankNames(players, "Deaths"), QByteArrayList({"p2", "p3", "p1", "p4"}));
    EXPECT_EQ(rankNames(players, "Rounds Fired"), QByteArrayList({"p3", "p1", "p2", "p4"}));
    EXPECT_EQ(rankNames(players, "Rounds Taken"), QByteArrayList({"p2", "p1", "p3", "p4"}));
    EXPECT_EQ(rankNames(players, "Games Played"), QByteArrayList({"p4", "p1", "p3", "p2"}));
    EXPECT_EQ(rankNames(players, "Average Hit %"), QByteArrayList({"p4", "p1", "p2", "p3"}));
    EXPECT_EQ(rankNames(players, "Skill Points"), QByteArrayList({"p1", "p4", "p2", "p3"}));
    // 450, 125, 125 and 11 hundredths: the tie keeps p1 before p3.
    EXPECT_EQ(rankNames(players, "Kills/Game"), QByteArrayList({"p2", "p1", "p3", "p4"}));
}

TEST(Ranking, KillsPerGameComparesHundredths) {
    TempFolder dir;
    EXPECT_EQ(rankNames({statsRecord("two", {.kills = 2, .games = 1}),
                         statsRecord("seven", {.kills = 7, .games = 3})},
                        "Kills/Game"),
              QByteArrayList({"seven", "two"}));
}

TEST(Ranking, BlankRecordsLeaveExceptByKillsPerGame) {
    TempFolder dir;
    const auto blank = blankStatsRecord("Gone");
    const std::vector<PlayerStatsRecord> players = {statsRecord("zero", {.kills = 0}), blank,
                                                    statsRecord("one", {.kills = 1}), blank};
    EXPECT_EQ(rankNames(players, "Kills"), QByteArrayList({"one", "zero"}));

    // Blank records rank with value 0 in table order, their bytes past the length kept.
    writeStats(kStats, players);
    rankStatsFile(kStats, QStringLiteral("Kills/Game"));
    const auto ranked = readStats(kStats);
    EXPECT_EQ(namesIn(ranked), QByteArrayList({"one", "zero", "", ""}));
    EXPECT_EQ(bytesOf({ranked[2], ranked[3]}), bytesOf({blank, blank}));
}

TEST(Ranking, EmptyFileStaysEmptyAndWorkFileIsGone) {
    TempFolder dir;
    writeFile(kStats, {});
    int progressCalls = 0;
    std::int64_t maximum = -1;
    const auto r =
        rankStatsFile(kStats, QStringLiteral("Kills"), [&](std::int64_t m, std::int64_t) {
            ++progressCalls;
            maximum = m;
        });
    EXPECT_EQ(r.recordCount, 0);
    EXPECT_EQ(r.written, 0);
    EXPECT_EQ(r.lastPosition, 0);
    EXPECT_EQ(maximum, 0);
    EXPECT_GT(progressCalls, 0);
    EXPECT_EQ(readFile(kStats), QByteArray());
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(Ranking, RankingTwiceChangesNothingTheSecondTime) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("a", {.kills = 3, .games = 2, .hitPercentSum = 61}),
                        statsRecord("b", {.kills = 8, .deaths = 2, .games = 5}),
                        blankStatsRecord("c"), statsRecord("d", {.kills = 3})});
    rankStatsFile(kStats, QStringLiteral("Kills/Game"));
    const QByteArray once = readFile(kStats);
    rankStatsFile(kStats, QStringLiteral("Kills/Game"));
    EXPECT_EQ(readFile(kStats), once);
}

TEST(Ranking, KeysOutsideTheSweptRangeKeepTheirRecords) {
    TempFolder dir;
    const std::vector<PlayerStatsRecord> players = {
        statsRecord("mid", {.roundsFired = 500}),
        statsRecord("neg-small", {.roundsFired = -1}),
        statsRecord("huge", {.roundsFired = 100001}),
        statsRecord("top", {.roundsFired = 100000}),
        statsRecord("huger", {.roundsFired = 2000000}),
        statsRecord("neg-big", {.roundsFired = -70}),
        statsRecord("zero", {.roundsFired = 0}),
    };
    EXPECT_EQ(rankNames(players, "Rounds Fired"),
              QByteArrayList({"huger", "huge", "top", "mid", "zero", "neg-small", "neg-big"}));
}

TEST(Ranking, NoGamesMeansNoDivisionByZero) {
    TempFolder dir;
    auto odd = statsRecord("odd", {.kills = 4, .deaths = 1, .games = 0, .hitPercentSum = 80});
    odd.hitPercent = 33;
    odd.skillPoints = 233;
    writeStats(kStats, {statsRecord("one", {.kills = 3, .games = 1}), odd});
    rankStatsFile(kStats, QStringLiteral("Kills/Game"));
    const auto ranked = readStats(kStats);
    ASSERT_EQ(namesIn(ranked), QByteArrayList({"odd", "one"})); // counted as one game: 400
    EXPECT_EQ(ranked[0].hitPercent, 33);                        // kept as stored
    EXPECT_EQ(ranked[0].skillPoints, 233);
}

TEST(Ranking, UnknownKeyIsRefusedAndNothingIsWritten) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("b", {.kills = 1}), blankStatsRecord("x"),
                        statsRecord("a", {.kills = 2})});
    const QByteArray before = readFile(kStats);
    for (const char* key : {"kills", "Kills ", "", "Hit %"}) {
        try {
            rankStatsFile(kStats, QString::fromLatin1(key));
            ADD_FAILURE() << key;
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("is not a way to rank players")));
            EXPECT_TRUE(e.message().contains(QStringLiteral("left unchanged")));
        }
    }
    EXPECT_EQ(readFile(kStats), before);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(Ranking, FailuresLeaveTheStatsFileWhole) {
    TempFolder dir;
    EXPECT_THROW(rankStatsFile(kStats, QStringLiteral("Kills")), Error); // no file
    EXPECT_FALSE(QFile::exists(kStats));

    // A partial trailing record would be lost by a rewrite.
    QByteArray cut = bytesOf({statsRecord("a", {.kills = 1}), statsRecord("b", {.kills = 2})});
    cut.chop(10);
    writeFile(kStats, cut);
    EXPECT_THROW(rankStatsFile(kStats, QStringLiteral("Kills")), Error);
    EXPECT_EQ(readFile(kStats), cut);

    // The new content cannot be written: the old file stays as it was.
    const QByteArray whole =
        bytesOf({statsRecord("a", {.kills = 1}), statsRecord("b", {.kills = 2})});
    writeFile(kStats, whole);
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("work.dat")));
    EXPECT_THROW(rankStatsFile(kStats, QStringLiteral("Kills")), Error);
    EXPECT_EQ(readFile(kStats), whole);
}

TEST(Ranking, ProgressEndsAtTheTablePositionOfTheLastRecordRanked) {
    TempFolder dir;
    std::vector<PlayerStatsRecord> players;
    for (int i = 0; i < 40000; ++i) // enough records for several progress steps
        players.push_back(statsRecord("p" + QByteArray::number(i), {.kills = (i * 7919) % 500}));
    players[123].kills = -5; // ranks last
    writeStats(kStats, players);
    std::int64_t maximum = -1, position = -1, reports = 0;
    int idles = 0;
    const auto r = rankStatsFile(
        kStats, QStringLiteral("Kills"),
        [&](std::int64_t m, std::int64_t p) {
            maximum = m;
            position = p;
            ++reports;
        },
        [&] { ++idles; });
    EXPECT_EQ(maximum, 40000);
    EXPECT_EQ(position, 124);
    EXPECT_EQ(r.lastPosition, 124);
    EXPECT_EQ(r.written, 40000);
    EXPECT_GT(reports, 2);
    EXPECT_GT(idles, 1);
}

// A file larger than the chunk the ranked file is gathered in: the chunks' records meet end to
// end, exactly the in-memory order, with the derived values stored.
TEST(Ranking, AFileOfSeveralChunksRanksAsInMemory) {
    TempFolder dir;
    constexpr int kRecords = 1200000; // above two chunks of 48 MB
    std::vector<PlayerStatsRecord> players(kRecords);
    std::uint32_t state = 12345;
    const auto next = [&] { return state = state * 1664525u + 1013904223u; };
    for (int i = 0; i < kRecords; ++i) {
        PlayerStatsRecord& r = players[std::size_t(i)];
        if (next() % 31 != 0)
            r.name.setText("p" + QByteArray::number(i));
        r.kills = int(next() % 3000);
        r.deaths = int(next() % 50);
        r.games = 1 + int(next() % 40);
        r.hitPercentSum = int(next() % 4000);
    }
    writeStats(kStats, players);
    for (PlayerStatsRecord& r : players)
        stats::computeDerivedValues(r);
    const auto order =
        stats::rankOrder(players, *stats::rankKeyFromText(QStringLiteral("Skill Points")));

    const auto r = rankStatsFile(kStats, QStringLiteral("Skill Points"));
    EXPECT_EQ(r.written, std::int64_t(order.size()));
    EXPECT_EQ(r.lastPosition, std::int64_t(order.back()) + 1);
    const auto ranked = readStats(kStats);
    ASSERT_EQ(ranked.size(), order.size());
    for (std::size_t j = 0; j < order.size(); ++j)
        ASSERT_EQ(std::memcmp(&ranked[j], &players[order[j]], sizeof(PlayerStatsRecord)), 0)
            << "place " << j;
}
