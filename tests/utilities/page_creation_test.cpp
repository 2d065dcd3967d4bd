#include "page_fixtures.h"

#include "utilities/core/page_creation.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/error.h"
#include "common/record_file.h"
#include "platform/data_folder_lock.h"
#include "platform/date_time_text.h"
#include "platform/settings_store.h"

#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::utilities;
using vantor::test::player;

namespace {

const QDateTime kNow(QDate(2000, 6, 10), QTime(21, 5, 7));

// A data folder with a settings store, the game's key and a page maker wired to fakes.
struct PageFixture : ::testing::Test {
    vantor::test::TempFolder dir;
    SettingsStore store{dir.file(QStringLiteral("registry.reg"))};
    vantor::test::RecordingDialogs dialogs;
    QStringList events;
    int rankings = 0;
    PageCreation maker{store, dialogs, [this](const QString& file, const QString& key) {
                           ++rankings;
                           events << QStringLiteral("rank");
                           ranker(file, key);
                       }};
    Ranker ranker = vantor::test::rankStats;

    PageFixture() {
        maker.winePrefix = dir.file(QStringLiteral("no-wine"));
        maker.clock = [] { return kNow; };
        maker.progress.show = [this] { events << QStringLiteral("show"); };
        maker.progress.hide = [this] { events << QStringLiteral("hide"); };
        maker.progress.processEvents = [] {};
        store.update([](RegFile& f) {
            f.setValue(kGameKeyPath(), QStringLiteral("MultiplayerPlayerName"),
                       QStringLiteral("Sn\u00e9ak<y>"));
        });
    }
    static QString kGameKeyPath() {
        return QStringLiteral("Software\\Red Storm Entertainment\\Rogue Spear");
    }

    PageHead expectedHead(PageKind kind, const QByteArray& key, const QByteArray& comment) {
        PageHead h;
        h.kind = kind;
        h.playerName = "Sn\xe9"
                       "ak<y>";
        h.gameType = "Adversarial";
        h.rankKey = key;
        h.comment = comment;
        h.dateText = toCp1252(shortDateText(kNow.date()));
        h.timeText = toCp1252(longTimeText(kNow.time()));
        return h;
    }

    std::vector<PlayerStatsRecord> someStats() {
        std::vector<PlayerStatsRecord> s = {player("Low", 1, 9, 2, 20), vantor::test::blankRecord(),
                                            player("High", 30, 2, 5, 300),
                                            player("Mid", 12, 0, 3, 150)};
        vantor::test::writeStats(QStringLiteral("stats.log"), s);
        return s;
    }

    PageRequest request(const QString& comment, const QString& file) {
        return {QStringLiteral("Adversarial"), QStringLiteral("Skill Points"), comment, file};
    }
};

} // namespace

TEST_F(PageFixture, SaveRanksWritesThePageAndStoresTheHistories) {
    const auto stats = someStats();
    RecentPageEntries h;
    ASSERT_TRUE(
        maker.createStatsPage(request(QStringLiteral("Week 1"), QStringLiteral("My.html")), h));

    const auto ranked = vantor::test::rankedByKey(stats, QStringLiteral("Skill Points"));
    EXPECT_EQ(vantor::test::readFile(QStringLiteral("My.html")),
              statsPageBytes(expectedHead(PageKind::Stats, "Skill Points", "Week 1"), ranked));
    const auto onDisk = readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log"));
    ASSERT_EQ(onDisk.size(), 3u);
    EXPECT_EQ(onDisk[0].name.text(), QByteArray("Mid"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));

    EXPECT_EQ(dialogs.shown,
              QStringList{QStringLiteral("info: Your HTML File was created successfully.")});
    EXPECT_EQ(events, (QStringList{"show", "rank", "hide"}));
    const RecentPageEntries stored = loadRecentEntries(store);
    EXPECT_EQ(stored.files.entries()[0], QStringLiteral("My.html"));
    EXPECT_EQ(stored.comments.entries()[0], QStringLiteral("Week 1"));
    EXPECT_EQ(stored.files, h.files);
}

TEST_F(PageFixture, SaveStopsWithItsMessagesAndLeavesEverythingAsItWas) {
    RecentPageEntries h;
    EXPECT_FALSE(maker.createStatsPage({QString(), QStringLiteral("Kills"), {}, "a.html"}, h));
    EXPECT_FALSE(maker.createStatsPage(request({}, QStringLiteral("a.html")), h));
    const auto stats = someStats();
    const QByteArray before = vantor::test::readFile(QStringLiteral("stats.log"));
    EXPECT_FALSE(maker.createStatsPage(request(QStringLiteral("kept in memory"), {}), h));
    EXPECT_EQ(dialogs.shown, (QStringList{"info:  You must select a game type. ",
                                          "info:  .log file not found.  HTML file was NOT created.",
                                          "info:  You Must Enter In A File Name."}));
    EXPECT_EQ(events, (QStringList{"show", "hide", "show", "hide"}));
    EXPECT_EQ(rankings, 0);
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.html")));
    EXPECT_EQ(vantor::test::readFile(QStringLiteral("stats.log")), before);
    // The comment waits in memory for the next page; nothing was stored.
    EXPECT_EQ(h.comments.entries()[0], QStringLiteral("kept in memory"));
    EXPECT_FALSE(store.keyExists(kVantorKey));
}

TEST_F(PageFixture, EmptyCommentPrintsNoneAndLeavesTheCommentHistory) {
    someStats();
    RecentPageEntries h;
    h.comments.offer(QStringLiteral("older"));
    ASSERT_TRUE(maker.createStatsPage(request({}, QStringLiteral("b.html")), h));
    EXPECT_TRUE(vantor::test::readFile(QStringLiteral("b.html"))
                    .contains("Comments: <font color=\"00FF00\">None</small>"));
    EXPECT_EQ(h.comments.entries()[0], QStringLiteral("older"));
    EXPECT_EQ(h.comments.entries()[1], QString());
}

TEST_F(PageFixture, ANameTypedWithoutExtensionIsWrittenAsTyped) {
    someStats();
    RecentPageEntries h;
    ASSERT_TRUE(maker.createStatsPage(request({}, QStringLiteral("MyStats")), h));
    EXPECT_TRUE(QFile::exists(QStringLiteral("MyStats")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("MyStats.html")));
}

TEST_F(PageFixture, APageNamedLikeADataFileIsRefusedBeforeAnythingIsTouched) {
    someStats();
    const QByteArray before = vantor::test::readFile(QStringLiteral("stats.log"));
    RecentPageEntries h;
    EXPECT_FALSE(maker.createStatsPage(request({}, QStringLiteral("./stats.log")), h));
    EXPECT_EQ(vantor::test::readFile(QStringLiteral("stats.log")), before);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("HTML file was NOT created.")));
    EXPECT_EQ(rankings, 0);
}

TEST_F(PageFixture, RankingsViewPrintsNoneAndLeavesTheHistoriesAlone) {
    const auto stats = someStats();
    ASSERT_TRUE(maker.createRankingsPage(QStringLiteral("Adversarial"), QStringLiteral("Kills")));
    const auto ranked = vantor::test::rankedByKey(stats, QStringLiteral("Kills"));
    EXPECT_EQ(vantor::test::readFile(kRankingsPage),
              statsPageBytes(expectedHead(PageKind::Rankings, "Kills", "None"), ranked));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(store.keyExists(kVantorKey));
    EXPECT_EQ(events, (QStringList{"show", "rank", "hide"}));
}

TEST_F(PageFixture, RankingsViewMessages) {
    EXPECT_FALSE(maker.createRankingsPage(QString(), QStringLiteral("Kills")));
    EXPECT_FALSE(maker.createRankingsPage(QStringLiteral("Cooperative"), QStringLiteral("Kills")));
    EXPECT_EQ(dialogs.shown,
              (QStringList{"info:  You must select a game type. ",
                           "info:  .log File not found.  There are no Stats to view."}));
    EXPECT_FALSE(QFile::exists(kRankingsPage));
}

TEST_F(PageFixture, TheDataFolderIsLockedWhileTheStatsFileIsRanked) {
    someStats();
    bool lockedMeanwhile = false;
    ranker = [&](const QString& file, const QString& key) {
        // A second descriptor stands for the other program.
        const int fd = ::open(kLockFile.toLocal8Bit().constData(), O_RDONLY);
        lockedMeanwhile = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        if (fd >= 0)
            ::close(fd);
        vantor::test::rankStats(file, key);
    };
    ASSERT_TRUE(maker.createRankingsPage(QStringLiteral("Adversarial"), QStringLiteral("Kills")));
    EXPECT_TRUE(lockedMeanwhile);
    DataFolderLock after;
    EXPECT_TRUE(after.tryLock());
}

TEST_F(PageFixture, ARefusedRankingLeavesNoPageFile) {
    someStats();
    RecentPageEntries h;
    EXPECT_THROW(maker.createStatsPage({QStringLiteral("Adversarial"),
                                        QStringLiteral("Fastest"),
                                        {},
                                        QStringLiteral("c.html")},
                                       h),
                 Error);
    EXPECT_FALSE(QFile::exists(QStringLiteral("c.html")));
    EXPECT_EQ(events.last(), QStringLiteral("hide"));
    EXPECT_FALSE(store.keyExists(kVantorKey));
}

TEST_F(PageFixture, AFileThatCannotBeCreatedFailsBeforeTheRanking) {
    someStats();
    RecentPageEntries h;
    EXPECT_THROW(maker.createStatsPage(request({}, QStringLiteral("no/such/folder.html")), h),
                 Error);
    EXPECT_EQ(rankings, 0);
}

TEST_F(PageFixture, AWriteErrorMidPageRemovesThePartialFile) {
    vantor::test::writeStats(QStringLiteral("stats.log"), vantor::test::samplePlayers(120));
    // The page (~120 KB) outgrows a 32 KB file size limit; the stats file (11 KB) does not.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 32 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    RecentPageEntries h;
    QString message;
    try {
        maker.createStatsPage(request({}, QStringLiteral("big.html")), h);
    } catch (const Error& e) {
        message = e.message();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot write to \"big.html\"")))
        << message.toStdString();
    EXPECT_FALSE(QFile::exists(QStringLiteral("big.html")));
    EXPECT_EQ(events.last(), QStringLiteral("hide"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(readAllRecords<PlayerStatsRecord>(QStringLiteral("stats.log")).size(), 120u);
}
