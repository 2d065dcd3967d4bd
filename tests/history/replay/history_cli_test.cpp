// The history commands as game hosts run them: the built VantorUtilities in a data folder
// whose games the real recording cycle recorded.
#include "history_fixture.h"
#include "tests/utilities/run_utilities.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vantor;
using namespace vantor::test;
using Recorded = recorder::RecordingCycle::Outcome;

namespace {

class HistoryCommands : public HistoryFolder {
protected:
    HistoryCommands() {
        QDir::setCurrent(data);
        GameLogWriter writer(7);
        GameTally t;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(record(writer.next(t, i != 2, 5)), Recorded::Recorded);
        EXPECT_EQ(record(marrowGame()), Recorded::Recorded);
    }

    // A game with a known player, so the per-player commands have someone to show.
    static QByteArray marrowGame() {
        return readFile(QStringLiteral(VANTOR_TEST_DATA "/logs/demo_adversarial.log"));
    }

    static int lines(const QString& text) { return int(text.count(u'\n')); }
};

} // namespace

TEST_F(HistoryCommands, ListTheGamesNewestFirstAndPerPlayer) {
    vantor::test::Outcome all = utilities({QStringLiteral("games")});
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    vantor::test::Outcome last = utilities({QStringLiteral("games"), QStringLiteral("--last=2")});
    ASSERT_EQ(last.status, 0) << last.err.toStdString();
    EXPECT_EQ(lines(all.out) - lines(last.out), 2) << all.out.toStdString();
    EXPECT_TRUE(last.out.contains(QStringLiteral("Oil Refinery"))) << "the newest game";
    vantor::test::Outcome coop = utilities({QStringLiteral("games"), QStringLiteral("--coop")});
    EXPECT_EQ(lines(all.out) - lines(coop.out), 3) << coop.out.toStdString();

    vantor::test::Outcome h = utilities({QStringLiteral("history"), QStringLiteral("Marrow")});
    ASSERT_EQ(h.status, 0) << h.err.toStdString();
    EXPECT_TRUE(h.out.contains(QStringLiteral("Oil Refinery"))) << h.out.toStdString();
}

TEST_F(HistoryCommands, WriteAPlayerPageButNeverOverADataFile) {
    vantor::test::Outcome r = utilities(
        {QStringLiteral("player-page"), QStringLiteral("marrow.html"), QStringLiteral("Marrow")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray page = readFile(QStringLiteral("marrow.html"));
    EXPECT_TRUE(page.contains("<svg")) << page.left(300).toStdString();
    EXPECT_FALSE(page.contains("<script"));

    const QByteArray stats = readFile(QStringLiteral("stats.log"));
    r = utilities(
        {QStringLiteral("player-page"), QStringLiteral("STATS.LOG"), QStringLiteral("Marrow")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(QStringLiteral("stats.log")), stats);
}

TEST_F(HistoryCommands, ExportOneJsonDocument) {
    const vantor::test::Outcome r = utilities({QStringLiteral("export"), QStringLiteral("--json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.left(300).toStdString();
    EXPECT_EQ(doc.object().value(QStringLiteral("games")).toArray().size(), 4);
}

TEST_F(HistoryCommands, UndoRedoAndRebuildThroughTheProgram) {
    const QByteArray stats = readFile(QStringLiteral("stats.log"));
    vantor::test::Outcome r =
        utilities({QStringLiteral("undo-game"), QStringLiteral("5"), QStringLiteral("--yes")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_NE(readFile(QStringLiteral("stats.log")), stats);
    EXPECT_TRUE(utilities({QStringLiteral("games")}).out.contains(QStringLiteral("(undone)")));
    r = utilities({QStringLiteral("redo-game"), QStringLiteral("5"), QStringLiteral("--yes")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(QStringLiteral("stats.log")), stats);
    r = utilities({QStringLiteral("rebuild"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("identical"))) << r.out.toStdString();
}

TEST_F(HistoryCommands, AWrongCommandLineIsRefusedWithStatus2AndChangesNothing) {
    const QByteArray stats = readFile(QStringLiteral("stats.log"));
    for (const QStringList& args :
         {QStringList{"undo-game", "5"}, QStringList{"undo-game", "five", "--yes"},
          QStringList{"undo-game", "0", "--yes"}, QStringList{"games", "--last", "0"},
          QStringList{"rebuild"}, QStringList{"rebuild", "--yes", "--from-files"},
          QStringList{"export"}, QStringList{"history"}}) {
        const vantor::test::Outcome r = utilities(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_EQ(readFile(QStringLiteral("stats.log")), stats);
    const vantor::test::Outcome missing =
        utilities({QStringLiteral("undo-game"), QStringLiteral("99"), QStringLiteral("--yes")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("no game 99"))) << missing.err.toStdString();
}

TEST_F(HistoryCommands, RefuseWhileOutOfStepUntilANewBaseline) {
    QFile::remove(QStringLiteral("team.log"));
    vantor::test::Outcome r = utilities({QStringLiteral("games")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("rebuild --from-files"))) << r.err.toStdString();
    r = utilities({QStringLiteral("rebuild"), QStringLiteral("--from-files")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(utilities({QStringLiteral("games")}).status, 0);
}

TEST(HistoryHelp, ListsTheHistoryCommandsWithinATerminalsWidth) {
    const vantor::test::Outcome r = utilities({QStringLiteral("--help")});
    ASSERT_EQ(r.status, 0);
    for (const char* usage :
         {"games [--coop] [--last N]", "history NAME [--coop]", "player-page FILE NAME [--coop]",
          "export --json [--coop]", "rebuild --yes | --from-files", "undo-game ID --yes",
          "redo-game ID --yes"})
        EXPECT_TRUE(r.out.contains(QLatin1String(usage))) << usage;
    for (const QString& line : r.out.split(u'\n'))
        EXPECT_LE(line.size(), 79) << line.toStdString();
}
