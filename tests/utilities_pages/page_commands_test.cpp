#include "page_fixtures.h"

#include "utilities/core/cli.h"
#include "utilities/core/page_commands.h"

#include "platform/settings_store.h"

#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::utilities;

namespace {
struct Outcome {
    std::optional<int> status;
    QString out, err;
};
Outcome run(const SettingsStore& store, const QStringList& args) {
    Outcome r;
    QTextStream out(&r.out), err(&r.err);
    r.status = runPageCommand(args, store, vantor::test::rankStats, out, err);
    return r;
}
} // namespace

TEST(PageCommands, PageSavesLikeTheButtonAndRankingsOnlyWrites) {
    vantor::test::TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    vantor::test::writeStats(QStringLiteral("stats.log"), vantor::test::samplePlayers(4));

    Outcome r = run(store, {"page", "Mine.html", "--by", "Kills", "--comment", "Hi & bye"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("Your HTML File was created successfully.\n"));
    EXPECT_TRUE(vantor::test::readFile(QStringLiteral("Mine.html")).contains("Hi & bye"));
    const PageHistories h = loadHistories(store);
    EXPECT_EQ(h.files.entries()[0], QStringLiteral("Mine.html"));
    EXPECT_EQ(h.comments.entries()[0], QStringLiteral("Hi & bye"));

    r = run(store, {"rankings"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(vantor::test::readFile(kRankingsPage)
                    .contains("Ranked by: </small><strong><small>"
                              "<font color=\"00FF00\">Skill Points"));

    r = run(store, {"rankings", "--coop"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral(".log File not found.  There are no Stats to view.\n"));
}

TEST(PageCommands, BadArgumentsShowTheUsage) {
    vantor::test::TempFolder dir;
    SettingsStore store(dir.file(QStringLiteral("registry.reg")));
    EXPECT_EQ(run(store, {"list"}).status, std::nullopt);
    for (const QStringList& args :
         {QStringList{"page", "--by", "Kills"}, QStringList{"page", "a.html"},
          QStringList{"rankings", "--by"}, QStringList{"rankings", "x"}}) {
        const Outcome r = run(store, args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: VantorUtilities page FILE")));
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.html")));
}

TEST(PageCommands, TheProgramsCommandLineRunsThem) {
    vantor::test::TempFolder dir;
    vantor::test::writeStats(QStringLiteral("stats.log"), vantor::test::samplePlayers(2));
    EXPECT_TRUE(isCommandLine({QStringLiteral("page")}));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runCommandLine(
                  {QStringLiteral("rankings"), QStringLiteral("--by"), QStringLiteral("Kills")},
                  out, err),
              0);
    EXPECT_TRUE(QFile::exists(kRankingsPage));
    EXPECT_TRUE(errText.isEmpty()) << errText.toStdString();
}
