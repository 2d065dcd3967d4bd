#include "common/error.h"
#include "common/file_writer.h"
#include "live_fixtures.h"
#include "recorder/live/live_stats.h"
#include "stats/live_rankings.h"
#include "tests/support/site_links.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::recorder;
using namespace vantor::test;

using Names = std::vector<QByteArray>;

namespace {

TeamWinsRecord team(const char* name, int wins) {
    TeamWinsRecord t;
    t.team.setText(name);
    t.wins = wins;
    return t;
}

// A data folder below the current directory, so that nothing may land in the wrong place.
struct LiveFixture {
    TempFolder dir;
    QString data = dir.file(QStringLiteral("data"));
    SettingsStore store{dir.file(QStringLiteral("registry.reg"))};
    LiveStats live{data, store};
    int uploads = 0;

    LiveFixture() {
        QDir().mkpath(data);
        live.dateText = [] { return QByteArray("6/10/00"); };
        live.timeText = [] { return QByteArray("9:41:07 PM"); };
        live.onPageWritten = [this] { ++uploads; };
        live.links = siteLinks();
    }
    QString file(const char* name) const { return QDir(data).filePath(QString::fromLatin1(name)); }
    void set(const char* name, const QString& value) {
        store.openKey(kVantorKey, true)->writeString(QString::fromLatin1(name), value);
    }
};

stats::GameInfo adversarial(const QByteArray& rules = "Team Survival") {
    return {"Adversarial", "Bank", rules, "05:12"};
}

} // namespace

TEST(LiveStatsPage, TeamSurvivalGameWritesThePageAndClearsTheLastGame) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    f.set("LiveStatsReloadtime", QStringLiteral("30")); // as the setup window spells it
    f.set("usecustomimage", QStringLiteral("true"));
    f.set("customimagepath", QStringLiteral("http://clan.example.com/logo.gif"));
    writeRecords<TeamWinsRecord>(f.file("team.log"), {team("blue", 7), team("gold", 4)});
    writeRecords<PlayerStatsRecord>(
        f.file("stats.log"),
        {player("Vargas", 20, 9, 8, 320, 800, 60, "6/2/00"), player("", 500, 0, 1, 0),
         player("Ding", 31, 4, 9, 450, 990, 25), player("<Sn&ke>", 2, 2, 2, 90, 40, 12),
         player("Old Timer", 31, 4, 9, 450, 700, 80, "1/15/00")});
    writeRecords<LastGameRecord>(f.file("lastgame.log"),
                                 {lastGamePlayer("Vargas", "gold", 1, 1, 25, "Ding", 40, 3),
                                  lastGamePlayer("<Sn&ke>", "", 0, 0, 10, "", 12, 0),
                                  lastGamePlayer("Ding", "blue", 3, 0, 60, "", 90, 1)});
    bool seenByUpload = false;
    f.live.onPageWritten = [&] {
        ++f.uploads;
        seenByUpload = QFile::exists(f.file("live.html")) && !QFile::exists(f.file("lastgame.log"));
    };

    EXPECT_TRUE(f.live.writePage(adversarial(), "Marrow"));

    expectGolden("adversarial_team_survival.html", readFile(f.file("live.html")));
    EXPECT_EQ(f.uploads, 1);
    EXPECT_TRUE(seenByUpload);
    EXPECT_EQ(namesIn(readAllRecords<PlayerStatsRecord>(f.file("stats.log"))),
              (Names{"Ding", "Old Timer", "Vargas", "<Sn&ke>"}));
    EXPECT_FALSE(QFile::exists(f.file("work.dat")));
    EXPECT_FALSE(QFile::exists("live.html"));
}

TEST(LiveStatsPage, WithoutAPageNameNothingIsTouched) {
    LiveFixture f;
    writeRecords<PlayerStatsRecord>(f.file("stats.log"),
                                    {player("b", 1, 0, 1, 0), player("", 0, 0, 1, 0)});
    writeRecords<LastGameRecord>(f.file("lastgame.log"), {lastGamePlayer("b", "blue", 1, 0, 0)});
    const QByteArray stats = readFile(f.file("stats.log"));
    const QByteArray lastGame = readFile(f.file("lastgame.log"));

    EXPECT_FALSE(f.live.writePage(adversarial(), "Marrow"));

    EXPECT_EQ(readFile(f.file("stats.log")), stats);
    EXPECT_EQ(readFile(f.file("lastgame.log")), lastGame);
    EXPECT_EQ(QDir(f.data).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(f.uploads, 0);
}

TEST(LiveStatsPage, MissingTeamFileShowsNoWins) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    writeRecords<PlayerStatsRecord>(f.file("stats.log"), {player("a", 1, 0, 1, 0)});

    EXPECT_TRUE(f.live.writePage(adversarial(), "Marrow"));

    const QByteArray page = readFile(f.file("live.html"));
    EXPECT_TRUE(page.contains("Blue</font> Wins: <font color=\"#CCCCCC\">0</font>"));
    EXPECT_TRUE(page.contains("Gold</font> Wins: <font color=\"#CCCCCC\">0</font>"));
    EXPECT_FALSE(QFile::exists(f.file("team.log")));
    EXPECT_EQ(f.uploads, 1);
}

TEST(LiveStatsPage, CooperativeGameRanksOnlyTheCooperativeFile) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("coop.html"));
    writeRecords<PlayerStatsRecord>(f.file("stats.log"),
                                    {player("advLow", 1, 0, 1, 0), player("advHigh", 9, 0, 1, 0)});
    writeRecords<PlayerStatsRecord>(
        f.file("coop_stats.log"), {player("coopLow", 1, 0, 1, 0), player("coopHigh", 9, 0, 1, 0)});
    const QByteArray adversarialStats = readFile(f.file("stats.log"));

    EXPECT_TRUE(f.live.writePage({"Cooperative", "Embassy", "Mission", "3:00"}, "Marrow"));

    EXPECT_EQ(readFile(f.file("stats.log")), adversarialStats);
    EXPECT_EQ(namesIn(readAllRecords<PlayerStatsRecord>(f.file("coop_stats.log"))),
              (Names{"coopHigh", "coopLow"}));
    const QByteArray page = readFile(f.file("coop.html"));
    EXPECT_TRUE(page.contains("coopHigh"));
    EXPECT_FALSE(page.contains("advHigh"));
}

TEST(LiveStatsPage, ImageUrlFollowsTheFlagAndOtherTextKeepsIt) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    f.set("customimagepath", QStringLiteral("http://img.example.com/a.gif"));
    auto pageHasImage = [&] {
        f.live.writePage(adversarial(), "Marrow");
        return readFile(f.file("live.html"))
            .contains("\r\n<IMG SRC=\"http://img.example.com/a.gif\"");
    };

    f.set("usecustomimage", QStringLiteral("true"));
    EXPECT_TRUE(pageHasImage());
    f.set("usecustomimage", QStringLiteral("TRUE"));
    f.set("customimagepath", QStringLiteral("http://img.example.com/other.gif"));
    EXPECT_TRUE(pageHasImage());
    f.set("usecustomimage", QStringLiteral("false"));
    EXPECT_FALSE(pageHasImage());
    f.set("usecustomimage", QString());
    f.set("customimagepath", QStringLiteral("http://img.example.com/a.gif"));
    EXPECT_FALSE(pageHasImage());
    EXPECT_TRUE(f.live.imageUrl().isEmpty());
}

TEST(LiveStatsPage, APageThatCannotBeCreatedChangesNoDataFile) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("no such folder/live.html"));
    writeRecords<PlayerStatsRecord>(f.file("stats.log"),
                                    {player("low", 1, 0, 1, 0), player("high", 9, 0, 1, 0)});
    writeRecords<LastGameRecord>(f.file("lastgame.log"), {lastGamePlayer("low", "", 1, 0, 0)});
    const QByteArray stats = readFile(f.file("stats.log"));

    EXPECT_THROW(f.live.writePage(adversarial(), "Marrow"), Error);

    EXPECT_EQ(readFile(f.file("stats.log")), stats);
    EXPECT_TRUE(QFile::exists(f.file("lastgame.log")));
    EXPECT_EQ(f.uploads, 0);
    EXPECT_FALSE(f.live.isRunning());
}

TEST(LiveStatsPage, UnknownGameTypeStillShowsTheLastGame) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    writeRecords<PlayerStatsRecord>(f.file("stats.log"), {player("adv", 1, 0, 1, 0)});
    writeRecords<LastGameRecord>(f.file("lastgame.log"), {lastGamePlayer("stranger", "", 1, 0, 0)});

    EXPECT_TRUE(f.live.writePage({"Adversarial Plus", "Bank", "", "1:00"}, "Marrow"));

    const QByteArray page = readFile(f.file("live.html"));
    EXPECT_TRUE(page.contains("stranger"));
    EXPECT_FALSE(page.contains(">adv</td>"));
    EXPECT_FALSE(page.contains("Wins:"));
}

TEST(LiveStatsPage, WaitsForTheOtherProgramAndReleasesTheFolderBeforeTheUpload) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    writeRecords<LastGameRecord>(f.file("lastgame.log"), {lastGamePlayer("a", "", 1, 0, 0)});
    QProcess holder;
    holder.start(QStringLiteral(PLATFORM_HELPER),
                 {QStringLiteral("hold"), f.data, QStringLiteral("700")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));

    f.live.lockTimeoutMs = 50;
    EXPECT_THROW(f.live.writePage(adversarial(), "Marrow"), Error);
    EXPECT_FALSE(QFile::exists(f.file("live.html")));
    EXPECT_TRUE(QFile::exists(f.file("lastgame.log")));

    int idleCalls = 0;
    int helperResult = -1;
    f.live.lockTimeoutMs = 10000;
    f.live.idle = [&] { ++idleCalls; };
    f.live.onPageWritten = [&] {
        helperResult = QProcess::execute(QStringLiteral(PLATFORM_HELPER),
                                         {QStringLiteral("hold"), f.data, QStringLiteral("0")});
    };
    EXPECT_TRUE(f.live.writePage(adversarial(), "Marrow"));
    EXPECT_GT(idleCalls, 0);
    EXPECT_EQ(helperResult, 0);
    EXPECT_FALSE(QFile::exists(f.file("lastgame.log")));
    holder.waitForFinished();
}

TEST(LiveStatsPage, AStoredReloadTimeThatIsNoNumberCountsDownFromThirty) {
    for (const auto& [stored, written] : {std::pair<QString, QByteArray>{"abc", "30"},
                                          {"", "30"},
                                          {"4", "30"},
                                          {"3601", "30"},
                                          {"0x10", "30"},
                                          {"45 ", "30"},
                                          {"045", "45"},
                                          {"3600", "3600"},
                                          {"5", "5"}}) {
        LiveFixture f;
        f.set("hostfilename", QStringLiteral("live.html"));
        f.set("LiveStatsReloadTime", stored);
        writeRecords<PlayerStatsRecord>(f.file("stats.log"), {player("a", 1, 0, 1, 0)});
        EXPECT_TRUE(f.live.writePage(adversarial(), "Marrow"));
        EXPECT_TRUE(readFile(f.file("live.html")).contains("\r\nvar x = " + written + "\r\n"))
            << stored.toStdString();
    }
}

namespace {
// The disk fills once the page has had its first megabyte.
int pageWrites = 0;
ssize_t fullAfterFirstBlock(int fd, const void* data, std::size_t size, off_t offset) {
    if (++pageWrites > 1) {
        errno = ENOSPC;
        return -1;
    }
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}
} // namespace

TEST(LiveStatsPage, APageCutShortByAFullDiskLeavesNoPageAndKeepsTheLastGame) {
    LiveFixture f;
    f.set("hostfilename", QStringLiteral("live.html"));
    std::vector<PlayerStatsRecord> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back(player("p" + QByteArray::number(i), i % 7, 1, 1, 0));
    writeRecords<PlayerStatsRecord>(f.file("stats.log"), many);
    writeRecords<LastGameRecord>(f.file("lastgame.log"), {lastGamePlayer("p1", "", 1, 0, 0)});
    // The ranking goes first, through the same writes; the page's own come after it.
    stats::rankStatsFileBySkill(f.file("stats.log"), f.file("work.dat"));
    stats::rankLastGameFileBySkill(f.file("lastgame.log"), f.file("work.dat"));

    pageWrites = 0;
    const WriteCall previous = setWriteCall(&fullAfterFirstBlock);
    EXPECT_THROW(f.live.writePage(adversarial(), "Marrow"), Error);
    setWriteCall(previous);

    EXPECT_GT(pageWrites, 1);
    EXPECT_FALSE(QFile::exists(f.file("live.html")));
    EXPECT_TRUE(QFile::exists(f.file("lastgame.log")));
    EXPECT_EQ(f.uploads, 0);
}
