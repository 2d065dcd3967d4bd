// A full disk and a read-only data folder: each program says what went wrong, and no data file
// is left damaged (the old content, whole, or records merged whole).
#include "fault_conditions.h"
#include "programs.h"

#include "common/error.h"
#include "common/record_file.h"
#include "platform/data_folder_lock.h"
#include "platform/settings_store.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/result_log_files.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace vantor;
using namespace vantor::test;
using Outcome = recorder::RecordingCycle::Outcome;

namespace {

QByteArray demoLog() {
    return readFile(QStringLiteral(VANTOR_TEST_DATA "/logs/demo_adversarial.log"));
}

// The four players of the demo log are Marrow, Ding Chavez, Gunner and Sniper Wolf: the first
// two are known here, so their merge rewrites records in place and Gunner's appends one.
std::vector<PlayerStatsRecord> knownPlayers(int fillers) {
    std::vector<PlayerStatsRecord> players = {statsRecord("Marrow", {.kills = 3, .games = 2}),
                                              statsRecord("Ding Chavez", {.kills = 1})};
    for (int i = 0; i < fillers; ++i)
        players.push_back(statsRecord("Filler " + QByteArray::number(i), {.kills = i}));
    return players;
}

std::vector<TeamWinsRecord> teams(int blue, int gold) {
    std::vector<TeamWinsRecord> t(2);
    t[0].team.setText("blue");
    t[0].wins = blue;
    t[1].team.setText("gold");
    t[1].wins = gold;
    return t;
}

void writeTeams(const QString& path, int blue, int gold) {
    const auto t = teams(blue, gold);
    writeFile(path,
              QByteArray(reinterpret_cast<const char*>(t.data()), 2 * sizeof(TeamWinsRecord)));
}

// One recording cycle on a data folder; where leases are not to be had (another user's log),
// the finished log is seen at the second look.
struct RecorderCycle {
    RecorderCycle(const QString& dataFolder, const QString& gameFolder)
        : cycle(dialogs, dataFolder) {
        cycle.setGameFolder(gameFolder);
        cycle.setToday([] { return QByteArray("6/10/00"); });
    }
    Outcome tick() {
        const Outcome first = cycle.Readlogs(false);
        if (first == Outcome::NoLog &&
            cycle.writeCheck().lastMethod() == WriteCompletionCheck::Method::Stable)
            return cycle.Readlogs(false);
        return first;
    }
    RecordingDialogs dialogs;
    recorder::RecordingCycle cycle;
};

bool wholeRecords(const QString& path, qint64 recordSize) {
    return QFile(path).size() % recordSize == 0;
}

QStringList setAside(const QString& game) {
    return QDir(game).entryList({QStringLiteral("RSResults0.bad-*")}, QDir::Files);
}

// A 512 KB file system in memory at `folder`, where this machine lets a test mount one.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& folder) : folder_(QFile::encodeName(folder)) {
        QDir().mkpath(folder);
        mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=512k") == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const char* whyNot() const { return std::strerror(error_); }

    // Takes every free page, so that only what fits into pages already held can be written.
    static void fill(const QString& folder) {
        QFile filler(folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

private:
    QByteArray folder_;
    bool mounted_ = false;
    int error_ = 0;
};

// The utilities' commands that rewrite or delete data files, as a user types them.
const QList<QStringList> kChangingCommands = {
    {"rank", "--by", "Kills"},
    {"prune", "0", "--by", "Skill Points", "--yes"},
    {"page", "p.html", "--by", "Deaths"},
    {"rankings", "--by", "Kills"},
    {"delete-player", "Filler 3", "--yes"},
    {"delete-stats-file", "--yes"},
};

} // namespace

TEST(FullDisk, TheRecorderMergesAWholeGameOrNoneAndKeepsTheGameAside) {
    TempFolder dir;
    QDir().mkdir(QStringLiteral("game"));
    const QString game = dir.file(QStringLiteral("game"));
    writeStats(QStringLiteral("stats.log"), knownPlayers(8));
    writeTeams(QStringLiteral("team.log"), 7, 4);
    const QByteArray statsBefore = readFile(QStringLiteral("stats.log"));
    const QByteArray teamsBefore = readFile(QStringLiteral("team.log"));
    const qint64 size = statsBefore.size();
    writeFile(recorder::resultLogPath(game, 0), demoLog());

    RecorderCycle recorder(dir.path(), game);
    Outcome outcome;
    {
        // Room for part of one more record only: the third player no longer fits.
        FileSizeLimit full(rlim_t(size + 40));
        outcome = recorder.tick();
    }
    EXPECT_EQ(outcome, Outcome::Failed);
    ASSERT_EQ(recorder.dialogs.shown.size(), 1);
    const QString message = recorder.dialogs.shown[0];
    EXPECT_TRUE(message.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << message.toStdString();
    EXPECT_TRUE(message.contains(
        QStringLiteral("The game was not recorded; the data files are as they were.")))
        << message.toStdString();

    // The two players merged before the disk was full are taken back with the rest.
    EXPECT_EQ(readFile(QStringLiteral("stats.log")), statsBefore);
    EXPECT_EQ(readFile(QStringLiteral("team.log")), teamsBefore);
    EXPECT_EQ(setAside(game).size(), 1);
    EXPECT_EQ(QDir(".").entryList(QDir::Files | QDir::Hidden),
              (QStringList{".vantor.lock", "stats.log", "team.log"}));
}

TEST(FullDisk, TheFirstGameOnAFullDiskLeavesNoPartFile) {
    TempFolder dir;
    QDir().mkdir(QStringLiteral("game"));
    const QString game = dir.file(QStringLiteral("game"));
    writeFile(recorder::resultLogPath(game, 0), demoLog());
    RecorderCycle recorder(dir.path(), game);
    {
        FileSizeLimit full(50);
        EXPECT_EQ(recorder.tick(), Outcome::Failed);
    }
    ASSERT_EQ(recorder.dialogs.shown.size(), 1);
    EXPECT_TRUE(recorder.dialogs.shown[0].contains(
        QStringLiteral("The game was not recorded; the data files are as they were.")));
    // Either no file or a whole one; a later game then starts it afresh.
    EXPECT_TRUE(wholeRecords(QStringLiteral("stats.log"), sizeof(PlayerStatsRecord)));
    EXPECT_FALSE(QFile::exists(QStringLiteral("team.log")));

    writeFile(recorder::resultLogPath(game, 0), demoLog());
    EXPECT_EQ(recorder.tick(), Outcome::Recorded);
    EXPECT_EQ(readStats(QStringLiteral("stats.log")).size(), 4u);
    EXPECT_EQ(readAllRecords<TeamWinsRecord>(QStringLiteral("team.log")).size(), 2u);
}

TEST(FullDisk, TheUtilitiesFailWithTheSystemsWordsAndLeaveTheFilesAsTheyWere) {
    TempFolder dir;
    writeStats(QStringLiteral("stats.log"), knownPlayers(2000)); // about 190 KB
    writeTeams(QStringLiteral("team.log"), 7, 4);
    const QByteArray stats = readFile(QStringLiteral("stats.log"));
    const QByteArray team = readFile(QStringLiteral("team.log"));
    RunOptions options;
    options.workingDir = dir.path();
    options.env = programEnvironment(dir.file(QStringLiteral("registry.reg")));
    options.childSetup = childFileSizeLimit(64 * 1024);

    for (const QStringList& args : kChangingCommands) {
        if (args.first() == QLatin1String("delete-player") ||
            args.first() == QLatin1String("delete-stats-file"))
            continue; // they write nothing new
        const ProgramRun run = runUtilities(args, options);
        SCOPED_TRACE(args.join(u' ').toStdString());
        EXPECT_EQ(run.status, 1) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
            << run.err.toStdString();
        EXPECT_EQ(readFile(QStringLiteral("stats.log")), stats);
        EXPECT_EQ(readFile(QStringLiteral("team.log")), team);
        EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("p.html")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("Rankings.html")));
}

TEST(FullDisk, ASettingsValueThatCannotBeStoredIsNamedAndTheStoreKept) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("registry.reg"));
    writeFile(path, QByteArrayLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"
                                      "\"hostname\"=\"ftp.example.org\"\n"));
    const QByteArray before = readFile(path);
    auto key = SettingsStore(path).openKey(kVantorKey, false);
    ASSERT_TRUE(key);
    QString message;
    {
        FileSizeLimit full(32);
        try {
            key->writeString(QStringLiteral("hostname"), QStringLiteral("ftp.example.net"));
        } catch (const Error& e) {
            message = e.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Failed to set data for 'hostname'"));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{"registry.reg", "registry.reg.lock"}));
}

// The same on a real file system that has run out of room.
TEST(FullDisk, AFullFileSystemLosesNothing) {
    TempFolder dir;
    const QString small = dir.file(QStringLiteral("small"));
    const QString game = dir.file(QStringLiteral("game"));
    ASSERT_TRUE(QDir().mkdir(game));
    SmallFileSystem fs(small);
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a small file system here: " << fs.whyNot();
    const QString stats = small + QStringLiteral("/stats.log");
    const QString team = small + QStringLiteral("/team.log");
    const QString store = small + QStringLiteral("/registry.reg");

    // 85 records end 32 bytes before a page boundary: Gunner's record needs a page no longer
    // there, while the players before him merge in place.
    writeStats(stats, knownPlayers(83));
    writeTeams(team, 7, 4);
    writeFile(store, QByteArrayLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vantor]\n"));
    const QByteArray statsBefore = readFile(stats), teamBefore = readFile(team),
                     storeBefore = readFile(store);
    DataFolderLock(small).tryLock(); // leaves the lock file, as any earlier game would
    SmallFileSystem::fill(small);

    writeFile(recorder::resultLogPath(game, 0), demoLog());
    RecorderCycle recorder(small, game);
    EXPECT_EQ(recorder.tick(), Outcome::Failed);
    ASSERT_EQ(recorder.dialogs.shown.size(), 1);
    EXPECT_TRUE(recorder.dialogs.shown[0].contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << recorder.dialogs.shown[0].toStdString();
    EXPECT_TRUE(wholeRecords(stats, sizeof(PlayerStatsRecord)));
    EXPECT_EQ(QFile(stats).size(), statsBefore.size());
    EXPECT_EQ(readFile(team), teamBefore);

    RunOptions options;
    options.workingDir = small;
    options.env = programEnvironment(store);
    const QByteArray statsAfterGame = readFile(stats);
    for (const QStringList& args : {QStringList{"rank", "--by", "Kills"},
                                    QStringList{"prune", "0", "--by", "Skill Points", "--yes"}}) {
        const ProgramRun run = runUtilities(args, options);
        EXPECT_EQ(run.status, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << run.err.toStdString();
        EXPECT_EQ(readFile(stats), statsAfterGame);
        EXPECT_FALSE(QFile::exists(small + QStringLiteral("/work.dat")));
    }

    auto key = SettingsStore(store).openKey(kVantorKey, false);
    ASSERT_TRUE(key);
    QString message;
    try {
        key->writeString(QStringLiteral("hostname"), QString(8192, u'h'));
    } catch (const Error& e) {
        message = e.message();
    }
    EXPECT_EQ(message, QStringLiteral("Failed to set data for 'hostname'"));
    EXPECT_EQ(readFile(store), storeBefore);

    // Room again: the next game is recorded whole.
    QFile::remove(small + QStringLiteral("/filler"));
    writeFile(recorder::resultLogPath(game, 0), demoLog());
    EXPECT_EQ(recorder.tick(), Outcome::Recorded);
    EXPECT_TRUE(wholeRecords(stats, sizeof(PlayerStatsRecord)));
    EXPECT_EQ(readAllRecords<TeamWinsRecord>(team)[0].wins, 8); // blue won the demo game
}

// The players would fit into the stats file's last page, the team file finds no room at all:
// the game is not counted at all, and the next one, with room again, is counted whole.
TEST(FullDisk, AGameThatFindsNoRoomIsNotCountedAndTheNextIsWhole) {
    TempFolder dir;
    const QString small = dir.file(QStringLiteral("small"));
    const QString game = dir.file(QStringLiteral("game"));
    ASSERT_TRUE(QDir().mkdir(game));
    SmallFileSystem fs(small);
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a small file system here: " << fs.whyNot();
    writeStats(small + QStringLiteral("/stats.log"), {statsRecord("Earlier", {})});
    DataFolderLock(small).tryLock();
    SmallFileSystem::fill(small);

    writeFile(recorder::resultLogPath(game, 0), demoLog());
    RecorderCycle recorder(small, game);
    EXPECT_EQ(recorder.tick(), Outcome::Failed);
    ASSERT_EQ(recorder.dialogs.shown.size(), 1);
    EXPECT_TRUE(recorder.dialogs.shown[0].contains(
        QStringLiteral("The game was not recorded; the data files are as they were.")))
        << recorder.dialogs.shown[0].toStdString();
    EXPECT_EQ(readStats(small + QStringLiteral("/stats.log")).size(), 1u);
    EXPECT_FALSE(QFile::exists(small + QStringLiteral("/team.log")));

    QFile::remove(small + QStringLiteral("/filler"));
    writeFile(recorder::resultLogPath(game, 0), demoLog());
    EXPECT_EQ(recorder.tick(), Outcome::Recorded);
    EXPECT_EQ(readStats(small + QStringLiteral("/stats.log")).size(), 5u);
    const auto teams = readAllRecords<TeamWinsRecord>(small + QStringLiteral("/team.log"));
    ASSERT_EQ(teams.size(), 2u);
    EXPECT_EQ(teams[0].wins, 1);
    EXPECT_EQ(teams[1].wins, 0);
}

TEST(ReadOnlyDataFolder, TheUtilitiesSayWhyAndChangeNothing) {
    TempFolder dir;
    const QString data = dir.file(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkdir(data));
    writeStats(data + QStringLiteral("/stats.log"), knownPlayers(5));
    writeTeams(data + QStringLiteral("/team.log"), 7, 4);
    const QByteArray stats = readFile(data + QStringLiteral("/stats.log"));
    const QByteArray team = readFile(data + QStringLiteral("/team.log"));
    RunOptions options;
    options.workingDir = data;
    options.env = programEnvironment(dir.file(QStringLiteral("registry.reg")));
    options.childSetup = childAsNobody();
    // The build folder may be closed to other users: they run a copy.
    options.program = dir.file(QStringLiteral("VantorUtilities"));
    ASSERT_TRUE(QFile::copy(utilitiesProgram(), options.program));
    makeReadOnlyFolder(data);
    const auto writable = qScopeGuard([&] { makeReachable(data); });

    // First without the lock file, which cannot be made there; then with one left by an
    // earlier run.
    for (const bool lockFileThere : {false, true}) {
        if (lockFileThere) {
            makeReachable(data);
            DataFolderLock(data).tryLock();
            makeReadOnlyFolder(data);
        }
        for (const QStringList& args : kChangingCommands) {
            SCOPED_TRACE(args.join(u' ').toStdString());
            const ProgramRun run = runUtilities(args, options);
            EXPECT_EQ(run.status, 1) << run.out.toStdString();
            EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(EACCES))) ||
                        run.err.contains(QStringLiteral("cannot be opened; nothing was changed")))
                << run.err.toStdString();
            EXPECT_EQ(readFile(data + QStringLiteral("/stats.log")), stats);
            EXPECT_EQ(readFile(data + QStringLiteral("/team.log")), team);
        }
    }
    const ProgramRun list = runUtilities({QStringLiteral("list")}, options);
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.endsWith(QStringLiteral("Total Players: 7\n"))) << list.out.toStdString();
    EXPECT_EQ(QDir(data).entryList(QDir::Files), (QStringList{"stats.log", "team.log"}));
}

TEST(ReadOnlyDataFolder, TheRecorderKeepsTheGameAsideAndSaysWhy) {
    TempFolder dir;
    const QString data = dir.file(QStringLiteral("data"));
    const QString game = dir.file(QStringLiteral("game"));
    ASSERT_TRUE(QDir().mkdir(data) && QDir().mkdir(game));
    writeStats(data + QStringLiteral("/stats.log"), knownPlayers(5));
    writeTeams(data + QStringLiteral("/team.log"), 7, 4);
    const QByteArray stats = readFile(data + QStringLiteral("/stats.log"));
    const QByteArray team = readFile(data + QStringLiteral("/team.log"));
    writeFile(recorder::resultLogPath(game, 0), demoLog());
    makeReadOnlyFolder(data);
    ::chmod(QFile::encodeName(game).constData(), 0777);
    const auto writable = qScopeGuard([&] { makeReachable(data); });

    RecorderCycle recorder(data, game);
    Outcome outcome;
    {
        ActAsNobody nobody;
        outcome = recorder.tick();
    }
    EXPECT_EQ(outcome, Outcome::Failed);
    ASSERT_EQ(recorder.dialogs.shown.size(), 1);
    const QString message = recorder.dialogs.shown[0];
    EXPECT_TRUE(message.contains(QString::fromLocal8Bit(std::strerror(EACCES))))
        << message.toStdString();
    EXPECT_TRUE(message.contains(
        QStringLiteral("The game was not recorded; the data files are as they were.")));
    EXPECT_EQ(setAside(game).size(), 1);
    EXPECT_EQ(readFile(data + QStringLiteral("/stats.log")), stats);
    EXPECT_EQ(readFile(data + QStringLiteral("/team.log")), team);
}
