// A game's players merged in one pass over the stats file, against the same players merged one
// saveplayer at a time: the two files must be equal byte for byte.
#include "stats/merge.h"

#include "common/record_file.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace vantor;
using namespace vantor::stats;
using vantor::test::readFile;
using vantor::test::TempFolder;
using vantor::test::writeFile;

namespace {

// Few names, so that games meet names held twice in the file, twice in one game, and blank.
PlayerStatsRecord randomPlayer(std::mt19937& random) {
    PlayerStatsRecord p;
    const int pick = int(random() % 12);
    p.name.setText(pick == 0 ? QByteArray() : "name" + QByteArray::number(pick));
    // Bytes past the name's length must travel with the record untouched.
    p.name.bytes[40] = char(random());
    p.lastPlayed.setText("6/1" + QByteArray::number(int(random() % 10)) + "/00");
    p.kills = int(random() % 9);
    p.deaths = int(random() % 4);
    p.games = 1;
    p.hitPercentSum = int(random() % 101);
    p.hitPercent = p.hitPercentSum;
    p.roundsFired = random() % 3 == 0 ? 0 : int(random() % 300);
    p.roundsTaken = int(random() % 8);
    return p;
}

class MergeGame : public testing::Test {
protected:
    TempFolder dir;
    QString one = dir.file(QStringLiteral("one"));
    QString each = dir.file(QStringLiteral("each"));

    void SetUp() override {
        QDir().mkpath(one);
        QDir().mkpath(each);
    }
    void putInBoth(const QByteArray& stats) {
        writeFile(one + QStringLiteral("/stats.log"), stats);
        writeFile(each + QStringLiteral("/stats.log"), stats);
    }
    void recordInBoth(const std::vector<PlayerStatsRecord>& game) {
        EXPECT_TRUE(saveplayers(one, game, kAdversarial));
        for (const PlayerStatsRecord& p : game)
            saveplayer(each, p, kAdversarial);
    }
    QByteArray oneFile() { return readFile(one + QStringLiteral("/stats.log")); }
    QByteArray eachFile() { return readFile(each + QStringLiteral("/stats.log")); }
};

} // namespace

TEST_F(MergeGame, ManyGamesEndAsOneSaveplayerAfterAnother) {
    std::mt19937 random(7);
    // A file written by hand may hold a name more than once.
    QByteArray start;
    for (int i = 0; i < 30; ++i) {
        const PlayerStatsRecord r = randomPlayer(random);
        start.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    putInBoth(start);
    for (int game = 0; game < 60; ++game) {
        std::vector<PlayerStatsRecord> players;
        for (int i = 0, n = 1 + int(random() % 16); i < n; ++i)
            players.push_back(randomPlayer(random));
        recordInBoth(players);
        ASSERT_EQ(oneFile(), eachFile()) << "after game " << game;
    }
}

TEST_F(MergeGame, ANameHeldTwiceGoesIntoItsFirstRecord) {
    std::mt19937 random(3);
    PlayerStatsRecord twice = randomPlayer(random);
    twice.name.setText("twice");
    PlayerStatsRecord last = randomPlayer(random);
    last.name.setText("last");
    QByteArray file;
    for (const PlayerStatsRecord& r : {twice, randomPlayer(random), twice, last})
        file.append(reinterpret_cast<const char*>(&r), sizeof r);
    putInBoth(file);
    recordInBoth({last, twice, twice});
    EXPECT_EQ(oneFile(), eachFile());
    EXPECT_EQ(oneFile().size(), file.size());
    const auto third = [](const QByteArray& f) {
        return f.mid(2 * sizeof(PlayerStatsRecord), sizeof(PlayerStatsRecord));
    };
    EXPECT_EQ(third(oneFile()), third(file));
}

TEST_F(MergeGame, AMissingFileIsCreatedWithTheGameMergedByName) {
    std::mt19937 random(5);
    std::vector<PlayerStatsRecord> players{randomPlayer(random), randomPlayer(random)};
    players.push_back(players[0]);
    recordInBoth(players);
    EXPECT_EQ(oneFile(), eachFile());
    EXPECT_EQ(oneFile().size(), qsizetype(2 * sizeof(PlayerStatsRecord)));
}

TEST_F(MergeGame, APartialRecordAtTheEndIsOverwrittenAsByTheSingleMerge) {
    std::mt19937 random(9);
    const PlayerStatsRecord known = randomPlayer(random);
    putInBoth(QByteArray(reinterpret_cast<const char*>(&known), sizeof known) + "cut short");
    recordInBoth({randomPlayer(random), known, randomPlayer(random)});
    EXPECT_EQ(oneFile(), eachFile());
}

TEST_F(MergeGame, NoPlayersOrNoStatsFileTouchNothing) {
    EXPECT_TRUE(saveplayers(one, {}, kAdversarial));
    EXPECT_FALSE(QFile::exists(one + QStringLiteral("/stats.log")));
    std::mt19937 random(1);
    const std::vector<PlayerStatsRecord> game{randomPlayer(random)};
    EXPECT_FALSE(saveplayers(one, game, "Deathmatch"));
    EXPECT_TRUE(QDir(one).isEmpty());
}
