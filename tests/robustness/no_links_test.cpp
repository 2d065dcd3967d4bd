// Links planted in the data folder (or beside the settings store) never make either program
// write outside it: files the programs create replace the link, data files opened for update
// refuse it with a message.
#include "common/data_files.h"
#include "common/error.h"
#include "common/record_file.h"
#include "platform/data_folder_lock.h"
#include "platform/settings_store.h"
#include "recorder/live/live_stats.h"
#include "stats/live_rankings.h"
#include "stats/merge.h"
#include "stats/ranking.h"
#include "tests/support/record_builders.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::test;

namespace {

// A data folder and, beside it, a folder a link may point into.
struct Planted {
    TempFolder dir;
    QString data = dir.file(QStringLiteral("data"));
    QString outside = dir.file(QStringLiteral("outside"));
    const QByteArray victim = "not Vantor's to write";

    Planted() {
        QDir().mkpath(data);
        QDir().mkpath(outside);
    }
    QString in(const QString& name) const { return QDir(data).filePath(name); }
    QString out(const QString& name) const { return QDir(outside).filePath(name); }
    // A link in the data folder to a file outside; existing when victimised.
    void plant(const QString& name, const QString& target, bool existing = true) {
        if (existing)
            writeFile(out(target), victim);
        ASSERT_TRUE(QFile::link(out(target), in(name)));
    }
    void expectOutsideUntouched() {
        for (const QFileInfo& f : QDir(outside).entryInfoList(QDir::Files))
            EXPECT_EQ(readFile(f.filePath()), victim) << f.fileName().toStdString();
    }
    int filesOutside() const { return int(QDir(outside).entryList(QDir::Files).size()); }
};

std::vector<PlayerStatsRecord> someStats() {
    return {statsRecord("Low", {.kills = 1}), statsRecord("High", {.kills = 9})};
}

} // namespace

TEST(NoLinksFollowed, PlantedLinksInTheDataFolderNeverLeadAWriteOutside) {
    Planted p;

    // A stale "work.dat" link: both programs' rankings rewrite through a fresh file.
    writeStats(p.in(kStatsFile), someStats());
    p.plant(kWorkFile, QStringLiteral("work-target"));
    stats::rankStatsFile(p.in(kStatsFile), QStringLiteral("Kills"));
    EXPECT_EQ(namesIn(readStats(p.in(kStatsFile))), QByteArrayList({"High", "Low"}));
    p.plant(kWorkFile, QStringLiteral("work-target"));
    writeStats(p.in(kStatsFile), someStats());
    stats::rankStatsFileBySkill(p.in(kStatsFile), p.in(kWorkFile));
    EXPECT_EQ(namesIn(readStats(p.in(kStatsFile))), QByteArrayList({"High", "Low"}));
    EXPECT_FALSE(QFileInfo::exists(p.in(kWorkFile)));
    p.expectOutsideUntouched();

    // A missing stats file that is a dangling link: the merge refuses, nothing is created.
    p.plant(kCoopStatsFile, QStringLiteral("coop-target"), false);
    const auto merge = [&] {
        stats::saveplayer(p.data, player("Ding", 1, 0, 1, 50), kCooperative);
    };
    try {
        merge();
        ADD_FAILURE() << "merged through a link";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("symbolic link")))
            << e.message().toStdString();
    }
    EXPECT_EQ(p.filesOutside(), 1); // only "work-target"

    // "lastgame.log" linked to an existing file: no merge into it.
    p.plant(kLastGameFile, QStringLiteral("lastgame-target"));
    EXPECT_THROW(stats::savelastgame(p.data, lastGamePlayer("Ding", "blue", 1, 0, 50)), Error);
    p.expectOutsideUntouched();

    // A stats file with a second name outside (a hard link): a game is not merged into it.
    QFile::remove(p.in(kCoopStatsFile));
    writeFile(p.out(QStringLiteral("hard-target")), p.victim);
    ASSERT_EQ(::link(QFile::encodeName(p.out(QStringLiteral("hard-target"))).constData(),
                     QFile::encodeName(p.in(kCoopStatsFile)).constData()),
              0);
    try {
        merge();
        ADD_FAILURE() << "merged through a hard link";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("hard link"))) << e.message().toStdString();
    }
    p.expectOutsideUntouched();
    QFile::remove(p.in(kCoopStatsFile));

    // The live page named by a link: the page replaces the link.
    QFile::remove(p.in(kLastGameFile));
    SettingsStore store(p.dir.file(QStringLiteral("registry.reg")));
    store.openKey(kVantorKey, true)
        ->writeString(QStringLiteral("hostfilename"), QStringLiteral("live.html"));
    p.plant(QStringLiteral("live.html"), QStringLiteral("page-target"));
    recorder::LiveStats live(p.data, store);
    live.dateText = [] { return QByteArray("6/10/00"); };
    live.timeText = [] { return QByteArray("9:41:07 PM"); };
    EXPECT_TRUE(live.writePage({"Adversarial", "Bank", "Team Survival", "05:12"}, "Me"));
    EXPECT_FALSE(QFileInfo(p.in(QStringLiteral("live.html"))).isSymLink());
    EXPECT_TRUE(readFile(p.in(QStringLiteral("live.html"))).contains("High"));
    p.expectOutsideUntouched();

    // The lock file as a dangling link: the lock is refused, not created outside.
    QFile::remove(p.in(kLockFile)); // the one the rankings made
    p.plant(kLockFile, QStringLiteral("lock-target"), false);
    DataFolderLock lock(p.data);
    EXPECT_THROW(lock.tryLock(), Error);
    EXPECT_FALSE(QFileInfo::exists(p.out(QStringLiteral("lock-target"))));

    // The settings store's temporary file as a link: the store is still written whole, by
    // rename, and the link's target is left alone.
    ASSERT_TRUE(
        QFile::link(p.out(QStringLiteral("page-target")), store.path() + QStringLiteral(".tmp")));
    store.openKey(kVantorKey, true)
        ->writeString(QStringLiteral("hostname"), QStringLiteral("ftp.example.com"));
    EXPECT_EQ(store.openKey(kVantorKey, false)->readString(QStringLiteral("hostname")),
              QStringLiteral("ftp.example.com"));
    EXPECT_FALSE(QFileInfo(store.path()).isSymLink());
    p.expectOutsideUntouched();
}
