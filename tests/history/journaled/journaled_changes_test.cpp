#include "history/journaled/journaled_changes.h"

#include "common/data_files.h"
#include "common/error.h"
#include "history/journal/file_digest.h"
#include "history/journal/journal.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString kStats = QStringLiteral("stats.log");
const history::Journaling kOn{true, {}};

std::vector<history::EventKind> eventsIn(const QString& folder) {
    std::vector<history::EventKind> kinds;
    const auto journal = history::Journal::openExisting(folder);
    if (journal)
        journal->forEachEvent([&](const history::StoredEvent& e) { kinds.push_back(e.kind); });
    return kinds;
}

struct Change {
    const char* what;
    std::function<void()> run;
    std::vector<history::EventKind> events;
    bool refused = false; // before any change: no history is made
};

// Each operation is journaled once when it changes the files; one refused before it changes
// them leaves no history behind.
TEST(JournaledChanges, AnOperationAddsItsEventOnlyWhenItChangesTheFiles) {
    using history::EventKind;
    const std::vector<Change> changes = {
        {"rank",
         [] { journaled::rankStatsFile(kOn, kStats, QStringLiteral("Kills")); },
         {EventKind::Rank}},
        {"delete player",
         [] { journaled::deletePlayer(kOn, kStats, "a"); },
         {EventKind::DeletePlayer}},
        {"delete nobody", [] { journaled::deletePlayer(kOn, kStats, "nobody"); }, {}},
        {"delete players",
         [] { journaled::deletePlayers(kOn, kStats, "1", QStringLiteral("Games Played")); },
         {EventKind::DeletePlayers}},
        {"delete stats file",
         [] { journaled::deleteStatsFiles(kOn, kAdversarialText); },
         {EventKind::DeleteStatsFile}},
        {"live ranking",
         [] { journaled::rankForLivePage(kOn, ".", kStats); },
         {EventKind::LiveRank}},
        {"unknown key",
         [] {
             EXPECT_THROW(journaled::rankStatsFile(kOn, kStats, QStringLiteral("Height")), Error);
         },
         {},
         true},
        {"unknown measure",
         [] {
             EXPECT_THROW(journaled::deletePlayers(kOn, kStats, "1", QStringLiteral("Height")),
                          Error);
         },
         {},
         true},
    };
    for (const Change& c : changes) {
        TempFolder dir;
        writeStats(kStats, {statsRecord("a", {.kills = 1}), statsRecord("b", {.kills = 2})});
        c.run();
        EXPECT_EQ(eventsIn("."), c.events) << c.what;
        if (c.refused)
            EXPECT_FALSE(QFile::exists(history::Journal::pathIn("."))) << c.what;
    }
}

// The history takes the ranked file's digest from the ranking instead of reading the file
// again; it must be the digest of the bytes on the disk, or the history would disagree.
TEST(JournaledChanges, TheRankedFilesDigestIsTheDigestOfItsBytes) {
    for (const int players : {0, 1, 3, 20000}) {
        TempFolder dir;
        std::vector<PlayerStatsRecord> records;
        for (int i = 0; i < players; ++i)
            records.push_back(statsRecord("p" + QByteArray::number(i), {.kills = i % 7}));
        records.push_back(blankStatsRecord("gone")); // left out of the ranked file
        writeStats(kStats, records);
        journaled::rankStatsFile(kOn, kStats, QStringLiteral("Kills"));
        const auto journal = history::Journal::openExisting(".");
        ASSERT_TRUE(journal) << players;
        EXPECT_EQ(journal->knownStates().at(kStats).digest, history::digestFile(kStats).digest)
            << players;
        EXPECT_TRUE(journal->checkFiles().inStep) << players;
    }
}

TEST(JournaledChanges, WaitForTheOtherProgramsLockOnTheDataFolder) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("a", {.kills = 1}), statsRecord("b", {.kills = 2})});
    QProcess holder;
    holder.start(QStringLiteral(PLATFORM_HELPER),
                 {QStringLiteral("hold"), dir.path(), QStringLiteral("400")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    QElapsedTimer timer;
    timer.start();
    int idles = 0;
    journaled::rankStatsFile(kOn, kStats, QStringLiteral("Kills"), {}, [&] { ++idles; });
    EXPECT_GE(timer.elapsed(), 200);
    EXPECT_GT(idles, 0);
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"b", "a"}));
    holder.waitForFinished();
}

} // namespace
