// The page commands, run in this process as the program runs them.
#include "tests/utilities/stats_files.h"

#include "utilities/cli/command_line.h"
#include "utilities/core/page_creation.h"
#include "utilities/core/recent_entries.h"

#include "platform/settings_store.h"

#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;
using vantor::test::readFile;

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

Outcome run(const QStringList& args) {
    Outcome r;
    QTextStream out(&r.out), err(&r.err);
    r.status = cli::runCommandLine(args, out, err);
    return r;
}

// A data folder with four players and a settings store of its own.
struct PageCommands : testing::Test {
    void SetUp() override {
        qputenv("VANTOR_REGISTRY", dir.file(QStringLiteral("registry.reg")).toLocal8Bit());
        vantor::test::writeStats(QStringLiteral("stats.log"),
                                 {vantor::test::statsRecord("a", {.kills = 3}),
                                  vantor::test::statsRecord("b", {.kills = 9}),
                                  vantor::test::statsRecord("c", {.kills = 1}),
                                  vantor::test::statsRecord("d", {.kills = 4})});
    }
    void TearDown() override { qunsetenv("VANTOR_REGISTRY"); }

    vantor::test::TempFolder dir;
    SettingsStore store{dir.file(QStringLiteral("registry.reg"))};
};

} // namespace

TEST_F(PageCommands, PageSavesLikeTheButtonAndRankingsOnlyWrites) {
    Outcome r = run({"page", "Mine.html", "--by", "Kills", "--comment", "Hi & bye"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Your HTML File was created successfully.\n"));
    EXPECT_TRUE(readFile(QStringLiteral("Mine.html")).contains("Hi & bye"));
    const RecentPageEntries h = loadRecentEntries(store);
    EXPECT_EQ(h.files.entries()[0], QStringLiteral("Mine.html"));
    EXPECT_EQ(h.comments.entries()[0], QStringLiteral("Hi & bye"));

    r = run({"rankings"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Wrote \"Rankings.html\", ranked by Skill Points.\n"));
    EXPECT_TRUE(readFile(kRankingsPage)
                    .contains("Ranked by: </small><strong><small>"
                              "<font color=\"00FF00\">Skill Points"));

    // The terminal is told which file is missing; the window's message names none.
    r = run({"rankings", "--coop"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("\"coop_stats.log\" not found. There are no Stats to view.\n"));

    // The pages' own headings and any letter case name the keys.
    for (const char* key : {"kills", "AVERAGE KILLS/GAME", "average hit %", "Skill points"}) {
        r = run({"rankings", "--quiet", "--by", key});
        EXPECT_EQ(r.status, 0) << key << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(PageCommands, BadArgumentsShowTheUsage) {
    for (const QStringList& args :
         {QStringList{"page", "--by", "Kills"}, QStringList{"page", "a.html"},
          QStringList{"rankings", "--by"}, QStringList{"rankings", "x"},
          QStringList{"page", "a.html", "--by", "kils"}, QStringList{"rankings", "--by=Skill"},
          QStringList{"page", "a.html", "--by=Kills", "--yes"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        // The command's own usage line first, then the other page command's.
        EXPECT_TRUE(r.err.contains(QStringLiteral("\nusage: VantorUtilities ") + args[0]))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("VantorUtilities page FILE --by KEY")));
        EXPECT_TRUE(r.err.contains(QStringLiteral("VantorUtilities rankings [--by KEY]")));
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.html")));
    EXPECT_FALSE(QFile::exists(kRankingsPage));
}

TEST_F(PageCommands, QuietPrintsOnlyFailures) {
    Outcome r = run({"page", "Quiet.html", "--by=Kills", "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QString());
    EXPECT_TRUE(QFile::exists(QStringLiteral("Quiet.html")));

    r = run({"page", "Quiet.html", "--by=Kills", "--coop", "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("\"coop_stats.log\" not found. HTML file was NOT created.\n"));
}

TEST(CommandLineWords, CommandsHelpAndQtOptions) {
    EXPECT_TRUE(cli::isCommandLine({QStringLiteral("page")}));
    EXPECT_TRUE(cli::isCommandLine({QStringLiteral("--help")}));
    EXPECT_TRUE(cli::isCommandLine({QStringLiteral("lsit")}));
    EXPECT_FALSE(cli::isCommandLine({QStringLiteral("-platform"), QStringLiteral("offscreen")}));
    EXPECT_FALSE(cli::isCommandLine({}));
}
