#include "common/error.h"
#include "common/record_file.h"
#include "common/records.h"

#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::TempFolder;

namespace {
PlayerStatsRecord player(int i) {
    PlayerStatsRecord r;
    r.name.setText(QByteArray("player") + QByteArray::number(i));
    r.kills = i;
    r.games = 1;
    return r;
}
} // namespace

TEST(RecordFile, MissingFileIsReportedNotCreated) {
    TempFolder dir;
    RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
    EXPECT_FALSE(f.tryOpen(FixedRecordFile::Mode::ReadWrite));
    EXPECT_FALSE(QFile::exists(QStringLiteral("stats.log")));
    try {
        f.open(FixedRecordFile::Mode::Read);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("stats.log")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("No such file")));
    }
}

TEST(RecordFile, ManyRecordsRoundTripAcrossBlocks) {
    TempFolder dir;
    const int n = 7000; // well past one 256 KiB block
    {
        RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
        f.open(FixedRecordFile::Mode::Create);
        for (int i = 0; i < n; ++i)
            f.write(player(i));
        f.close();
    }
    EXPECT_EQ(QFile(QStringLiteral("stats.log")).size(), qint64(n) * 96);
    const auto all = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    ASSERT_EQ(all.size(), std::size_t(n));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(all[i].kills, i);
}

TEST(RecordFile, InPlaceUpdateAfterReadingAndAppendAtTheEnd) {
    TempFolder dir;
    RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
    f.open(FixedRecordFile::Mode::Create);
    for (int i = 0; i < 5; ++i)
        f.write(player(i));
    f.close();

    f.open(FixedRecordFile::Mode::ReadWrite);
    PlayerStatsRecord r;
    while (f.read(r) && r.kills != 2) {
    }
    ASSERT_EQ(r.kills, 2);
    r.kills = 200;
    f.seek(f.position() - 1);
    f.write(r);
    // Reading on continues after the record just written.
    ASSERT_TRUE(f.read(r));
    EXPECT_EQ(r.kills, 3);
    f.seek(f.size());
    f.write(player(99));
    f.close();

    const auto all = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[2].kills, 200);
    EXPECT_EQ(all[5].kills, 99);
}

TEST(RecordFile, TruncateCutsAtThePosition) {
    TempFolder dir;
    RecordFile<TeamWinsRecord> f(QStringLiteral("team.log"));
    f.open(FixedRecordFile::Mode::Create);
    for (int i = 0; i < 4; ++i)
        f.write(TeamWinsRecord{});
    f.seek(2);
    f.truncate();
    EXPECT_EQ(f.size(), 2);
    f.close();
    EXPECT_EQ(QFile(QStringLiteral("team.log")).size(), 24);
}

TEST(RecordFile, PartialTailIsNotARecordAndBlocksARewrite) {
    TempFolder dir;
    vantor::test::writeFile(QStringLiteral("stats.log"), QByteArray(96 * 2 + 40, 'x'));
    RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
    f.open(FixedRecordFile::Mode::Read);
    EXPECT_EQ(f.size(), 2);
    EXPECT_EQ(f.partialTailBytes(), 40);
    PlayerStatsRecord r;
    EXPECT_TRUE(f.read(r));
    EXPECT_TRUE(f.read(r));
    EXPECT_FALSE(f.read(r));
    f.close();
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log")).size(), 2u);

    try {
        ensureWholeRecords(QStringLiteral("stats.log"), sizeof(PlayerStatsRecord));
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("partial record of 40 bytes")));
    }
    EXPECT_EQ(QFile(QStringLiteral("stats.log")).size(), 96 * 2 + 40);
    EXPECT_NO_THROW(ensureWholeRecords(QStringLiteral("missing.log"), 96));
}

TEST(RecordFile, WritingAReadOnlyFileFails) {
    TempFolder dir;
    vantor::test::writeFile(QStringLiteral("team.log"), QByteArray(24, '\0'));
    RecordFile<TeamWinsRecord> f(QStringLiteral("team.log"));
    f.open(FixedRecordFile::Mode::Read);
    EXPECT_THROW(f.write(TeamWinsRecord{}), Error);
}

TEST(RewriteRecords, ReplacesTheFileWholeAndLeavesNoWorkFile) {
    TempFolder dir;
    vantor::test::writeFile(QStringLiteral("stats.log"), QByteArray(96 * 3, '\0'));
    std::vector<PlayerStatsRecord> fresh{player(1), player(2)};
    rewriteRecords(QStringLiteral("work.dat"), QStringLiteral("stats.log"), fresh);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
    const auto back = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].name.text(), "player2");
}

TEST(RewriteRecords, AFailedRenameKeepsTheOldFile) {
    TempFolder dir;
    const QByteArray old(96, 'o');
    vantor::test::writeFile(QStringLiteral("stats.log"), old);
    EXPECT_THROW(rewriteRecords(QStringLiteral("work.dat"), QStringLiteral("no/such/dir/stats.log"),
                                std::vector<PlayerStatsRecord>{player(1)}),
                 Error);
    EXPECT_EQ(vantor::test::readFile(QStringLiteral("stats.log")), old);
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
}

TEST(RecordFile, ReadManyTakesBufferedRecordsFirstThenTheRestInOneGo) {
    TempFolder dir;
    RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
    f.open(FixedRecordFile::Mode::Create);
    for (int i = 0; i < 5000; ++i)
        f.write(player(i));
    f.close();

    f.open(FixedRecordFile::Mode::Read);
    PlayerStatsRecord first;
    ASSERT_TRUE(f.read(first)); // fills the block buffer
    std::vector<PlayerStatsRecord> rest(6000);
    EXPECT_EQ(f.readMany(rest.data(), rest.size()), 4999u);
    EXPECT_EQ(f.position(), 5000);
    for (int i = 1; i < 5000; ++i)
        ASSERT_EQ(rest[std::size_t(i - 1)].kills, i);
    EXPECT_EQ(f.readMany(rest.data(), 1), 0u);
    EXPECT_FALSE(f.read(first));
}

TEST(RecordFile, ReadManyStopsBeforeAPartialRecord) {
    TempFolder dir;
    {
        RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
        f.open(FixedRecordFile::Mode::Create);
        f.write(player(1));
        f.write(player(2));
        f.close();
    }
    QFile raw(QStringLiteral("stats.log"));
    ASSERT_TRUE(raw.open(QIODevice::Append));
    raw.write("partial");
    raw.close();
    RecordFile<PlayerStatsRecord> f(QStringLiteral("stats.log"));
    f.open(FixedRecordFile::Mode::Read);
    std::vector<PlayerStatsRecord> all(3);
    EXPECT_EQ(f.readMany(all.data(), all.size()), 2u);
    EXPECT_EQ(all[1].kills, 2);
    EXPECT_EQ(f.position(), 2);
}
