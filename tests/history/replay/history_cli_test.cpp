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
          QStringList{"rebuild"}, QStringList{"rebuild", "--from-files"}, QStringList{"export"},
          QStringList{"history"}}) {
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
    r = utilities(
        {QStringLiteral("rebuild"), QStringLiteral("--from-files"), QStringLiteral("--yes")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(utilities({QStringLiteral("games")}).status, 0);
}

// Rankings between the games are events of their own; the games are still 1, 2, 3 ...
TEST_F(HistoryCommands, GamesAreNumberedWithoutGaps) {
    ASSERT_EQ(
        utilities({QStringLiteral("rank"), QStringLiteral("--by"), QStringLiteral("Kills")}).status,
        0);
    ASSERT_EQ(record(marrowGame()), Recorded::Recorded);
    const vantor::test::Outcome newest =
        utilities({QStringLiteral("games"), QStringLiteral("--last=1")});
    EXPECT_TRUE(newest.out.split(u'\n').value(1).trimmed().startsWith(QStringLiteral("6  ")))
        << newest.out.toStdString();
    const vantor::test::Outcome r =
        utilities({QStringLiteral("undo-game"), QStringLiteral("6"), QStringLiteral("--yes")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Undid game 6.\n"));

    // A history from before the numbers gets them when it is next opened.
    {
        auto journal = history::Journal::openExisting(data);
        journal->database().exec("DROP INDEX game_by_number");
        journal->database().exec("ALTER TABLE game DROP COLUMN number");
    }
    const auto rows = history::Journal::openExisting(data)->games(std::nullopt, -1);
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].id, std::int64_t(6 - i));
}

// A name the log holds twice is merged twice; the history keeps both blocks and shows both.
TEST_F(HistoryCommands, ANameTwiceInOneGameShowsAsBothItsBlocks) {
    ASSERT_EQ(record(readFile(QStringLiteral(VANTOR_TEST_DATA "/logs/same_name_twice.log"))),
              Recorded::Recorded);
    const vantor::test::Outcome h =
        utilities({QStringLiteral("history"), QStringLiteral("Marrow")});
    ASSERT_EQ(h.status, 0) << h.err.toStdString();
    int games = 0, kills = 0;
    for (const QString& line : h.out.split(u'\n').mid(1, lines(h.out) - 1)) {
        const QStringList cells = line.split(u' ', Qt::SkipEmptyParts);
        ++games;
        kills += cells.value(cells.size() - 4).toInt();
    }
    std::int32_t totalKills = 0, totalGames = 0;
    for (const PlayerStatsRecord& r :
         readAllRecords<PlayerStatsRecord>(file(QStringLiteral("stats.log"))))
        if (r.name.text() == "Marrow") {
            totalKills = r.kills;
            totalGames = r.games;
        }
    EXPECT_EQ(games, totalGames) << h.out.toStdString();
    EXPECT_EQ(kills, totalKills) << h.out.toStdString();

    const vantor::test::Outcome nobody = utilities(
        {QStringLiteral("player-page"), QStringLiteral("a.html"), QStringLiteral("Nobody")});
    EXPECT_EQ(nobody.status, 1);
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.html")));
}

// Upkeep is journaled like the games: listed with an id, taken back and put back by replay.
TEST_F(HistoryCommands, ChangesBesidesGamesCanBeUndone) {
    using vantor::test::Outcome;
    EXPECT_EQ(utilities({QStringLiteral("changes")}).out,
              QStringLiteral("No changes recorded besides the games.\n"));
    const QByteArray before = readFile(QStringLiteral("stats.log"));
    ASSERT_EQ(utilities({"rank", "--by", "Kills"}).status, 0);
    const QByteArray ranked = readFile(QStringLiteral("stats.log"));
    ASSERT_EQ(utilities({"delete-player", "Marrow", "--yes"}).status, 0);

    const Outcome list = utilities({QStringLiteral("changes")});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    const QStringList lines = list.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << list.out.toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("stats.log  ranking by Kills")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("Delete Player \"Marrow\"")))
        << lines[2].toStdString();
    const QString deletion = lines[2].section(u' ', 0, 0, QString::SectionSkipEmpty);
    const QString ranking = lines[1].section(u' ', 0, 0, QString::SectionSkipEmpty);

    const struct {
        QStringList args;
        QByteArray stats;
    } steps[] = {
        {{"undo-change", deletion, "--yes"}, ranked},
        {{"undo-change", ranking, "--yes"}, before},
        {{"redo-change", deletion, "--yes"}, {}}, // Marrow deleted from the unranked file
        {{"redo-change", ranking, "--yes"}, {}},
    };
    for (const auto& step : steps) {
        const Outcome r = utilities(step.args);
        EXPECT_EQ(r.status, 0) << step.args.join(' ').toStdString() << ": " << r.err.toStdString();
        if (!step.stats.isNull())
            EXPECT_EQ(readFile(QStringLiteral("stats.log")), step.stats)
                << step.args.join(' ').toStdString();
    }
    EXPECT_FALSE(utilities({QStringLiteral("list")}).out.contains(QStringLiteral("Marrow")));
    EXPECT_EQ(utilities({"rebuild", "--yes"}).status, 0);

    // A game's id is no change's id, and taking back twice is refused.
    EXPECT_EQ(utilities({"undo-change", "1", "--yes"}).status, 1);
    EXPECT_EQ(utilities({"undo-change", deletion}).status, 2);
    ASSERT_EQ(utilities({"undo-change", deletion, "--yes"}).status, 0);
    const Outcome again = utilities({"undo-change", deletion, "--yes"});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("undone already"))) << again.err.toStdString();
    EXPECT_TRUE(utilities({QStringLiteral("changes")}).out.contains(QStringLiteral("(undone)")));
}

TEST(HistoryHelp, ListsTheHistoryCommandsWithinATerminalsWidth) {
    const vantor::test::Outcome r = utilities({QStringLiteral("--help")});
    ASSERT_EQ(r.status, 0);
    for (const char* usage :
         {"games [--coop] [--last N]", "history NAME [--coop]", "player-page FILE NAME [--coop]",
          "export --json [--coop]", "rebuild [--from-files] --yes", "undo-game ID --yes",
          "redo-game ID --yes", "changes [--coop]", "undo-change ID --yes"})
        EXPECT_TRUE(r.out.contains(QLatin1String(usage))) << usage;
    for (const QString& line : r.out.split(u'\n'))
        EXPECT_LE(line.size(), 79) << line.toStdString();
}
