// The command line, run as game hosts run it: the built program in a data folder.
#include "run_utilities.h"
#include "tests/utilities/stats_files.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString kStats = QStringLiteral("stats.log");

} // namespace

TEST(CommandLine, ListsPlayersLikeTheWindow) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("bravo", {}), blankStatsRecord("x"), statsRecord("J\xF6rg", {}),
                        statsRecord("alpha", {})});
    Outcome r = utilities({QStringLiteral("list")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("alpha\nbravo\nJ\u00F6rg\nTotal Players: 3\n"));

    r = utilities({QStringLiteral("list"), QStringLiteral("--coop")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Total Players: 0\n"));
}

TEST(CommandLine, RanksAndRefusesUnknownKeys) {
    TempFolder dir;
    writeStats(QStringLiteral("coop_stats.log"),
               {statsRecord("few", {.kills = 1}), statsRecord("many", {.kills = 40})});
    Outcome r = utilities({QStringLiteral("rank"), QStringLiteral("--by"), QStringLiteral("Kills"),
                           QStringLiteral("--coop")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(QStringLiteral("coop_stats.log"))),
              QByteArrayList({"many", "few"}));

    const QByteArray before = readFile(QStringLiteral("coop_stats.log"));
    // An unknown key is a wrong command line, refused before the file is read.
    r = utilities({QStringLiteral("rank"), QStringLiteral("--by=kils"), QStringLiteral("--coop")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"kils\" is not a way to rank players")));
    EXPECT_EQ(readFile(QStringLiteral("coop_stats.log")), before);

    r = utilities({QStringLiteral("rank")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--by")));
}

TEST(CommandLine, DeletesAndPrunesPlayers) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("J\xF6rg", {.games = 5}), statsRecord("Jorg", {.games = 2}),
                        statsRecord("Kim", {.games = 9})});
    Outcome r = utilities(
        {QStringLiteral("delete-player"), QStringLiteral("J\u00F6rg"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"", "Jorg", "Kim"}));

    r = utilities({QStringLiteral("prune"), QStringLiteral("2"), QStringLiteral("--by"),
                   QStringLiteral("Games Played"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"Kim"}));

    r = utilities({QStringLiteral("prune"), QStringLiteral("two"), QStringLiteral("--by"),
                   QStringLiteral("Games Played"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'two' is not a valid integer value\n"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("work.dat")));
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"Kim"}));

    // A name that starts with a dash is a name, not an option.
    writeStats(kStats, {statsRecord("-=Sniper=-", {}), statsRecord("Kim", {.games = 9})});
    r = utilities(
        {QStringLiteral("delete-player"), QStringLiteral("-=Sniper=-"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"", "Kim"}));

    r = utilities(
        {QStringLiteral("delete-player"), QStringLiteral("Kim"), QStringLiteral("--coop")});
    EXPECT_EQ(r.status, 1); // no cooperative stats file
    EXPECT_FALSE(QFile::exists(QStringLiteral("coop_stats.log")));
}

TEST(CommandLine, DeletingTheStatsFileNeedsYes) {
    TempFolder dir;
    writeFile(kStats, {});
    writeFile(QStringLiteral("team.log"), {});
    Outcome r = utilities({QStringLiteral("delete-stats-file")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(QFile::exists(kStats));
    r = utilities({QStringLiteral("delete-stats-file"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Your Adversarial Stats file has been deleted.\n"));
    EXPECT_FALSE(QFile::exists(kStats));
    EXPECT_FALSE(QFile::exists(QStringLiteral("team.log")));
}

TEST(CommandLine, HelpAndMistakes) {
    TempFolder dir;
    Outcome r = utilities({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    for (const char* command :
         {"list", "rank", "delete-player", "prune", "delete-stats-file", "page", "rankings",
          "upload", "--help", "--coop", "--by", "--comment", "--yes", "Kills/Game"})
        EXPECT_TRUE(r.out.contains(QLatin1String(command))) << command;
    for (const QString& line : r.out.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_EQ(utilities({QStringLiteral("lsit")}).status, 2);
    EXPECT_EQ(utilities({QStringLiteral("list"), QStringLiteral("--cop")}).status, 2);
    EXPECT_EQ(utilities({QStringLiteral("delete-player")}).status, 2);
}

TEST(CommandLine, UnknownMeasuresAndNegativeCountsForPrune) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("low", {.kills = 0}), statsRecord("high", {.kills = 50})});
    const QByteArray before = readFile(kStats);
    Outcome r =
        utilities({QStringLiteral("prune"), QStringLiteral("3"), QStringLiteral("--by=Games")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"Games\" is not a measure")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("usage: VantorUtilities prune N --by MEASURE")));
    EXPECT_EQ(readFile(kStats), before);

    // "-5" is a count, not an option: every record has more skill points, none goes.
    r = utilities({QStringLiteral("prune"), QStringLiteral("-5"),
                   QStringLiteral("--by=Skill Points"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"low", "high"}));

    // The count is read by the result logs' number rule.
    r = utilities({QStringLiteral("prune"), QStringLiteral("3 "), QStringLiteral("--by"),
                   QStringLiteral("Skill Points"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'3 ' is not a valid integer value\n"));
    r = utilities({QStringLiteral("prune"), QStringLiteral("$10"), QStringLiteral("--by"),
                   QStringLiteral("skill points"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"high"}));
}

TEST(CommandLine, EveryCommandTakesByWithAnEqualsSign) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("few", {.kills = 1}), statsRecord("many", {.kills = 40})});
    Outcome r =
        utilities({QStringLiteral("page"), QStringLiteral("x.html"), QStringLiteral("--by=Kills")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(
        readFile(QStringLiteral("x.html"))
            .contains(
                "Players are Ranked by: </small><strong><small><font color=\"00FF00\">Kills"));
    r = utilities({QStringLiteral("rankings"), QStringLiteral("--by=Deaths")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(QStringLiteral("Rankings.html")));
    r = utilities({QStringLiteral("rank"), QStringLiteral("--by=Kills")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(namesIn(readStats(kStats)), QByteArrayList({"many", "few"}));
}

TEST(CommandLine, WithoutYesDeletionsOnlySayWhatTheyWouldDelete) {
    TempFolder dir;
    writeStats(kStats, {statsRecord("Kim", {.games = 9}), statsRecord("bo", {.games = 2}),
                        blankStatsRecord("gone"), statsRecord("Al", {.games = 3})});
    const QByteArray before = readFile(kStats);
    const struct {
        QStringList args;
        const char* out;
        const char* err;
    } cases[] = {
        {{"prune", "3", "--by", "Games Played"},
         "Would delete 2 players with 3 Games Played or less from \"stats.log\", and 1 record "
         "left blank by deletions:\nAl\nbo\n",
         "Nothing was changed. Add --yes to delete them.\n"},
        {{"prune", "0", "--by", "games played"},
         "Would delete 0 players with 0 Games Played or less from \"stats.log\".\n",
         "Nothing was changed. Add --yes to delete them.\n"},
        {{"delete-player", "Kim"},
         "Would delete \"Kim\" from \"stats.log\" (1 record).\n",
         "Nothing was changed. Add --yes to delete the player.\n"},
        {{"delete-player", "Nobody Here", "--yes"},
         "",
         "No player named \"Nobody Here\" in \"stats.log\"; nothing was changed.\n"},
        {{"delete-stats-file", "--coop", "--yes"},
         "",
         "There is no Cooperative Stats file (\"coop_stats.log\"); nothing was deleted.\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = utilities(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out.toStdString(), c.out);
        EXPECT_EQ(r.err.toStdString(), c.err);
        EXPECT_EQ(readFile(kStats), before);
    }
    const Outcome r = utilities(
        {QStringLiteral("delete-player"), QStringLiteral("Kim"), QStringLiteral("--yes")});
    EXPECT_EQ(r.out, QStringLiteral("Deleted \"Kim\" from \"stats.log\": 1 record blanked.\n"));
}

// A folder without stats files or history is the wrong one: every command says so and leaves
// it as it was, with no history, lock or page made in it.
TEST(CommandLine, AFolderWithoutDataIsRefusedAndLeftEmpty) {
    TempFolder dir;
    for (const QStringList& args :
         {QStringList{"list"}, QStringList{"rank", "--by", "Kills"},
          QStringList{"prune", "3", "--by", "Games Played", "--yes"},
          QStringList{"delete-player", "Marrow", "--yes"}, QStringList{"games"},
          QStringList{"history", "Marrow"}, QStringList{"export", "--json"},
          QStringList{"player-page", "a.html", "Marrow"}, QStringList{"undo-game", "1", "--yes"},
          QStringList{"rebuild", "--from-files", "--yes"}}) {
        const Outcome r = utilities(args);
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("no stats files and no game history")))
            << r.err.toStdString();
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList())
            << args.join(' ').toStdString();
    }
}

TEST(CommandLine, WithoutADisplayTheWindowSaysWhatToDo) {
    TempFolder dir;
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString());
    env.insert(QStringLiteral("DISPLAY"), QString());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    const Outcome r = utilities({}, env);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("No display: run VantorUtilities with a command")))
        << r.err.toStdString();
    for (const char* command : {"list", "page", "upload", "undo-game"})
        EXPECT_TRUE(r.err.contains(QLatin1String(command))) << command;
    for (const QString& line : r.err.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}
