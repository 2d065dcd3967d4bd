// What someone who can write into the data folder (a shared game host, a synced folder, a
// restored backup) tries against the real programs, and what each attempt must come to.
#include "common/error.h"
#include "common/scratch_folder.h"
#include "history/journal/sqlite_db.h"
#include "recorder/recording/claimed_log.h"
#include "tests/robustness/programs.h"
#include "tests/support/journal_entries.h"
#include "tests/support/temp_folder.h"
#include "tests/utilities/stats_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vantor;
using namespace vantor::test;

namespace {

// The data folder and, beside it, a folder that is none of the programs' business.
struct Folders {
    TempFolder root;
    QString data = root.file(QStringLiteral("data"));
    QString outside = root.file(QStringLiteral("outside"));
    Folders() {
        QDir().mkpath(data);
        QDir().mkpath(outside);
    }
    QString in(const QString& name) const { return QDir(data).filePath(name); }
    QString out(const QString& name) const { return QDir(outside).filePath(name); }
};

const QByteArray kOutside = "not Vantor's to change";

struct HostileFolderCase {
    const char* attempt;
    std::function<void(const Folders&)> plant;
    QStringList command;
    int status;
    const char* said; // a part of what the command says, on either stream
    std::function<void(const Folders&, const ProgramRun&)> check;
};

void statsWithKim(const Folders& f) {
    writeStats(f.in(QStringLiteral("stats.log")),
               {statsRecord("Kim", {.kills = 3}), statsRecord("Lee", {.kills = 1})});
}

// A history whose game table became a view over a query without end.
void endlessHistory(const Folders& f) {
    statsWithKim(f);
    history::Database db(f.in(QStringLiteral("games.db")), true, 1000);
    db.exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value BLOB)");
    db.exec("INSERT INTO meta VALUES('version', 1)");
    db.exec("CREATE VIEW game AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
            "SELECT i AS event, '' AS game_type, '' AS map, '' AS rules, '' AS elapsed, "
            "0 AS outcome, '' AS log FROM n");
}

// A game cut off mid-way, as far as the folder shows, with journal as its undo journal.
void interruptedGame(const Folders& f, const QByteArray& journal) {
    statsWithKim(f);
    writeFile(f.in(QStringLiteral(".vantor.game")), "a result log");
    writeFile(f.in(QStringLiteral(".vantor.journal")), journal);
}

void fifoAt(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
}

// Sparse: it takes no room on the disk.
void hugeFileAt(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(4) << 30));
}

// Refused once: set aside under a new name with nothing changed, and the next command runs.
void journalSetAside(const Folders& f, const ProgramRun&) {
    EXPECT_FALSE(QFileInfo::exists(f.in(QStringLiteral(".vantor.journal"))));
    EXPECT_EQ(QDir(f.data)
                  .entryList({QStringLiteral(".vantor.journal.refused-*")},
                             QDir::AllEntries | QDir::System | QDir::Hidden)
                  .size(),
              1);
    EXPECT_EQ(namesIn(readStats(f.in(QStringLiteral("stats.log")))),
              QByteArrayList({"Kim", "Lee"}));
    RunOptions options;
    options.workingDir = f.data;
    options.env = programEnvironment(f.root.file(QStringLiteral("registry.reg")));
    const ProgramRun again = runUtilities({"rank", "--by", "Kills"}, options);
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
}

void outsideUntouched(const Folders& f, const ProgramRun&) {
    EXPECT_EQ(readFile(f.out(QStringLiteral("victim"))), kOutside);
}

const HostileFolderCase kCases[] = {
    {"stats.log is a hard link to a file outside",
     [](const Folders& f) {
         statsWithKim(f);
         writeFile(f.out(QStringLiteral("victim")), kOutside);
         QFile::remove(f.in(QStringLiteral("stats.log")));
         ASSERT_EQ(::link(QFile::encodeName(f.out(QStringLiteral("victim"))).constData(),
                          QFile::encodeName(f.in(QStringLiteral("stats.log"))).constData()),
                   0);
     },
     {"delete-player", "Kim"},
     1,
     "",
     outsideUntouched},
    {"a player name that sets the terminal's title",
     [](const Folders& f) {
         writeStats(f.in(QStringLiteral("stats.log")), {statsRecord("\x1b]0;owned\x07Kim", {})});
     },
     {"list"},
     0,
     "?]0;owned?Kim",
     [](const Folders&, const ProgramRun& run) { EXPECT_FALSE(run.out.contains(u'\x1b')); }},
    {"a player page named as SQLite's rollback journal",
     statsWithKim,
     {"player-page", "GAMES.DB-journal", "Kim"},
     1,
     "holds Vantor's data",
     [](const Folders& f, const ProgramRun&) {
         EXPECT_FALSE(QFile::exists(f.in(QStringLiteral("GAMES.DB-journal"))));
     }},
    {"games.db with an endless view for its game table: games",
     endlessHistory,
     {"games"},
     1,
     "\"rebuild --from-files --yes\" sets it aside",
     nullptr},
    {"the same: export", endlessHistory, {"export", "--json"}, 1, "the view \"game\"", nullptr},
    {"the same, set aside by rebuild --from-files",
     endlessHistory,
     {"rebuild", "--from-files", "--yes"},
     0,
     "",
     [](const Folders& f, const ProgramRun&) {
         EXPECT_EQ(
             QDir(f.data).entryList({QStringLiteral("games.db.unreadable-????????-??????")}).size(),
             1);
     }},
};

const HostileFolderCase kJournalCases[] = {
    {"a journal naming the lock files and the history",
     [](const Folders& f) {
         writeFile(f.in(QStringLiteral("games.db")), "history");
         interruptedGame(f, kJournalHeader + journalEntry('A', ".vantor.lock", -1) +
                                journalEntry('A', ".vantor.recorder.lock", -1) +
                                journalEntry('S', "games.db", 0));
     },
     {"rank", "--by", "Kills"},
     1,
     "names \".vantor.lock\", which no game changes",
     [](const Folders& f, const ProgramRun& run) {
         EXPECT_EQ(readFile(f.in(QStringLiteral("games.db"))), "history");
         journalSetAside(f, run);
     }},
    {"a journal making stats.log 1 TiB",
     [](const Folders& f) {
         interruptedGame(f, kJournalHeader + journalEntry('S', "stats.log", qint64(1) << 40));
     },
     {"rank", "--by", "Kills"},
     1,
     "reaches beyond what a game can have written",
     journalSetAside},
    {"a journal writing far past the end of stats.log",
     [](const Folders& f) {
         interruptedGame(f, kJournalHeader + journalEntry('S', "stats.log", 10) +
                                journalEntry('R', "stats.log", qint64(1) << 40, "x"));
     },
     {"rank", "--by", "Kills"},
     1,
     "reaches beyond",
     journalSetAside},
    {"a FIFO as the journal",
     [](const Folders& f) {
         interruptedGame(f, {});
         QFile::remove(f.in(QStringLiteral(".vantor.journal")));
         fifoAt(f.in(QStringLiteral(".vantor.journal")));
     },
     {"rank", "--by", "Kills"},
     1,
     "not a plain file",
     journalSetAside},
    {"a 4 GiB journal of nothing",
     [](const Folders& f) {
         interruptedGame(f, {});
         hugeFileAt(f.in(QStringLiteral(".vantor.journal")));
     },
     {"rank", "--by", "Kills"},
     0,
     "Ranked",
     nullptr},
    {"a folder as the journal of a committed game",
     [](const Folders& f) {
         statsWithKim(f);
         QDir().mkpath(f.in(QStringLiteral(".vantor.journal/x")));
     },
     {"rank", "--by", "Kills"},
     1,
     "is a folder",
     journalSetAside},
};

// Attempts on what the programs do inside: no command, the check does it.
const HostileFolderCase kInsideCases[] = {
    {"the replay folder swapped for a link to another folder mid-way",
     [](const Folders& f) { writeFile(f.out(QStringLiteral("victim")), kOutside); },
     {},
     0,
     "",
     [](const Folders& f, const ProgramRun&) {
         QString renamed;
         {
             const ScratchFolder scratch(f.data, QStringLiteral(".vantor.replay-"));
             writeFile(scratch.path() + QStringLiteral("/stats.log"), "replayed");
             renamed = f.in(scratch.name() + QStringLiteral(".moved"));
             ASSERT_TRUE(QFile::rename(f.in(scratch.name()), renamed));
             ASSERT_TRUE(QFile::link(f.outside, f.in(scratch.name())));
             writeFile(scratch.path() + QStringLiteral("/team.log"), "replayed");
             EXPECT_EQ(readFile(scratch.path() + QStringLiteral("/stats.log")), "replayed");
         }
         EXPECT_EQ(QDir(f.outside).entryList(QDir::Files), QStringList({"victim"}));
         outsideUntouched(f, {});
         EXPECT_TRUE(QDir(renamed).isEmpty());
     }},
    {"a query of the history without end",
     [](const Folders&) {},
     {},
     0,
     "",
     [](const Folders& f, const ProgramRun&) {
         history::Database db(f.in(QStringLiteral("games.db")), true, 1000, 300);
         try {
             db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                     "SELECT count(*) FROM n");
             ADD_FAILURE() << "it ended";
         } catch (const Error& e) {
             EXPECT_TRUE(e.message().contains("ran too long")) << e.message().toStdString();
         }
     }},
    {"a FIFO as the claimed log",
     [](const Folders& f) { fifoAt(f.in(QStringLiteral(".vantor.game"))); },
     {},
     0,
     "",
     [](const Folders& f, const ProgramRun&) {
         try {
             recorder::readClaimedLog(f.data);
             ADD_FAILURE() << "read a FIFO";
         } catch (const Error& e) {
             EXPECT_TRUE(e.message().contains("not a plain file")) << e.message().toStdString();
         }
     }},
    {"a 4 GiB claimed log",
     [](const Folders& f) { hugeFileAt(f.in(QStringLiteral(".vantor.game"))); },
     {},
     0,
     "",
     [](const Folders& f, const ProgramRun&) {
         try {
             recorder::readClaimedLog(f.data);
             ADD_FAILURE() << "read 4 GiB";
         } catch (const Error& e) {
             EXPECT_TRUE(e.message().contains("more than the")) << e.message().toStdString();
         }
     }},
};

TEST(HostileFolder, EveryAttemptIsRefusedOrHarmless) {
    std::vector<HostileFolderCase> cases(std::begin(kCases), std::end(kCases));
    cases.insert(cases.end(), std::begin(kJournalCases), std::end(kJournalCases));
    cases.insert(cases.end(), std::begin(kInsideCases), std::end(kInsideCases));
    for (const HostileFolderCase& c : cases) {
        SCOPED_TRACE(c.attempt);
        Folders f;
        ASSERT_NO_FATAL_FAILURE(c.plant(f));
        if (c.command.isEmpty()) {
            c.check(f, {});
            continue;
        }
        RunOptions options;
        options.workingDir = f.data;
        options.env = programEnvironment(f.root.file(QStringLiteral("registry.reg")));
        options.timeoutMs = 30000;
        const ProgramRun run = runUtilities(c.command, options);
        EXPECT_TRUE(run.finished) << "hung";
        EXPECT_EQ(run.status, c.status) << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).contains(QString::fromUtf8(c.said)))
            << run.out.toStdString() << run.err.toStdString();
        if (c.check)
            c.check(f, run);
    }
}

} // namespace
