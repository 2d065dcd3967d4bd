// 200 games of both types recorded by the real cycle, with upkeep between them: the history
// rebuilds the files byte for byte, and taking any one game out gives what recording the
// sequence without it gives, checked against a tally kept apart from the programs.
#include "history_fixture.h"

#include "history/journal/journal.h"
#include "history/journaled/journaled_changes.h"
#include "history/replay/history_commands.h"

#include <QFile>
#include <random>
#include <variant>

using namespace vantor;
using namespace vantor::test;
using Outcome = recorder::RecordingCycle::Outcome;

namespace {

using Totals = std::map<QByteArray, GameTally::Totals>;

// One step of the sequence: a game (its log and what it adds), or upkeep on a stats file.
struct GameStep {
    QByteArray log;
    GameTally delta;
    bool adversarial = true;
};
struct RankStep {
    bool coop = false;
    QString key;
};
struct DeleteStep {
    bool coop = false;
    QByteArray name;
};
struct PruneStep {
    bool coop = false;
    int games = 1;
};
using Step = std::variant<GameStep, RankStep, DeleteStep, PruneStep>;

struct Expected {
    Totals adversarial, cooperative;
    std::int64_t blue = 0, gold = 0;
};

// The sequence folded by hand, leaving out the game at skip (-1: none).
Expected tallyOf(const std::vector<Step>& steps, int skip) {
    Expected e;
    for (int i = 0; i < int(steps.size()); ++i) {
        if (i == skip)
            continue;
        if (const auto* g = std::get_if<GameStep>(&steps[i])) {
            for (const auto& [name, t] : g->delta.adversarial) {
                auto& s = e.adversarial[name];
                s.kills += t.kills, s.deaths += t.deaths, s.games += t.games;
                s.roundsFired += t.roundsFired, s.roundsTaken += t.roundsTaken;
            }
            for (const auto& [name, t] : g->delta.cooperative) {
                auto& s = e.cooperative[name];
                s.kills += t.kills, s.deaths += t.deaths, s.games += t.games;
                s.roundsFired += t.roundsFired, s.roundsTaken += t.roundsTaken;
            }
            e.blue += g->delta.blueWins;
            e.gold += g->delta.goldWins;
        } else if (const auto* d = std::get_if<DeleteStep>(&steps[i])) {
            (d->coop ? e.cooperative : e.adversarial).erase(d->name);
        } else if (const auto* p = std::get_if<PruneStep>(&steps[i])) {
            auto& m = p->coop ? e.cooperative : e.adversarial;
            std::erase_if(m, [&](const auto& kv) { return kv.second.games <= p->games; });
        }
    }
    return e;
}

Totals totalsIn(const QString& path) {
    Totals t;
    for (const PlayerStatsRecord& r : readAllRecords<PlayerStatsRecord>(path)) {
        if (r.isBlank())
            continue;
        auto& s = t[r.name.text()];
        s.kills += r.kills, s.deaths += r.deaths, s.games += r.games;
        s.roundsFired += r.roundsFired, s.roundsTaken += r.roundsTaken;
    }
    return t;
}

class Replay : public HistoryFolder {
protected:
    // Records the steps into folder (the history's data folder unless told).
    void run(const std::vector<Step>& steps, const QString& folder, int skip = -1) {
        for (int i = 0; i < int(steps.size()); ++i) {
            if (i == skip)
                continue;
            const QString stats = QDir(folder).filePath(kStatsFile);
            const QString coop = QDir(folder).filePath(kCoopStatsFile);
            if (const auto* g = std::get_if<GameStep>(&steps[i])) {
                ASSERT_EQ(record(g->log, folder), Outcome::Recorded) << "step " << i;
            } else if (const auto* r = std::get_if<RankStep>(&steps[i])) {
                if (QFile::exists(r->coop ? coop : stats))
                    journaled::rankStatsFile(journaling, r->coop ? coop : stats, r->key);
            } else if (const auto* d = std::get_if<DeleteStep>(&steps[i])) {
                journaled::deletePlayer(journaling, d->coop ? coop : stats, d->name);
            } else if (const auto* p = std::get_if<PruneStep>(&steps[i])) {
                journaled::deletePlayers(journaling, p->coop ? coop : stats,
                                         QString::number(p->games), QStringLiteral("Games Played"));
            }
        }
    }

    std::vector<Step> makeSteps(int games) {
        GameLogWriter writer(1209);
        std::mt19937 random(77);
        std::vector<Step> steps;
        const QStringList keys = {"Skill Points", "Kills", "Deaths", "Kills/Game", "Games Played"};
        for (int i = 0; i < games; ++i) {
            GameStep g;
            g.adversarial = random() % 3 != 0;
            g.log = writer.next(g.delta, g.adversarial);
            steps.emplace_back(std::move(g));
            switch (i % 25) {
            case 7:
                steps.emplace_back(RankStep{i % 2 == 1, keys[int(random() % keys.size())]});
                break;
            case 13:
                steps.emplace_back(DeleteStep{false, "Bot" + QByteArray::number(random() % 40)});
                break;
            case 19:
                steps.emplace_back(PruneStep{i % 2 == 0, 1});
                break;
            default:
                break;
            }
        }
        return steps;
    }

    void expectTally(const Expected& e, const QString& folder, const std::string& what) {
        EXPECT_EQ(totalsIn(QDir(folder).filePath(kStatsFile)), e.adversarial) << what;
        EXPECT_EQ(totalsIn(QDir(folder).filePath(kCoopStatsFile)), e.cooperative) << what;
        const auto teams = readAllRecords<TeamWinsRecord>(QDir(folder).filePath(kTeamFile));
        ASSERT_EQ(teams.size(), 2u) << what;
        EXPECT_EQ(teams[0].wins, e.blue) << what;
        EXPECT_EQ(teams[1].wins, e.gold) << what;
    }

    history::FileSet files() const { return history::currentFiles(data); }

    std::vector<std::int64_t> gameIds() {
        auto journal = history::Journal::openExisting(data);
        std::vector<std::int64_t> ids;
        for (const auto& row : journal->games(std::nullopt, -1))
            ids.insert(ids.begin(), row.id);
        return ids;
    }
};

} // namespace

TEST_F(Replay, TwoHundredGamesRebuildByteForByteAndAnyOneGameCanBeTakenOut) {
    const std::vector<Step> steps = makeSteps(200);
    run(steps, data);
    ASSERT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('\n').toStdString();
    expectTally(tallyOf(steps, -1), data, "all games");
    const history::FileSet recorded = files();

    EXPECT_EQ(history::rebuildFiles(data), 0);
    EXPECT_EQ(files(), recorded);

    const std::vector<std::int64_t> ids = gameIds();
    ASSERT_EQ(ids.size(), 200u);
    std::vector<int> gameSteps;
    for (int i = 0; i < int(steps.size()); ++i)
        if (std::holds_alternative<GameStep>(steps[i]))
            gameSteps.push_back(i);

    // The first, the last, and games before each kind of upkeep.
    for (int n : {0, 7, 13, 19, 101, 150, 199}) {
        const std::string what = "without game " + std::to_string(n);
        history::setGameUndone(data, ids[n], true);
        expectTally(tallyOf(steps, gameSteps[n]), data, what);
        history::setGameUndone(data, ids[n], false);
        EXPECT_EQ(files(), recorded) << "redo of game " << n;
    }

    // Byte for byte what recording the sequence without one game gives.
    const QString without = dir.filePath(QStringLiteral("without"));
    QDir().mkpath(without);
    run(steps, without, gameSteps[13]);
    history::setGameUndone(data, ids[13], true);
    EXPECT_EQ(files(), history::currentFiles(without));
    EXPECT_EQ(history::rebuildFiles(data), 0) << "an undone game replays as undone";
}

TEST_F(Replay, AGameAlreadyUndoneOrUnknownIsRefusedAndTheFilesStay) {
    GameLogWriter writer(5);
    GameTally t;
    ASSERT_EQ(record(writer.next(t, true, 4)), Outcome::Recorded);
    const auto before = files();
    EXPECT_THROW(history::setGameUndone(data, 99, true), Error);
    EXPECT_THROW(history::setGameUndone(data, 1, false), Error);
    history::setGameUndone(data, 1, true);
    EXPECT_THROW(history::setGameUndone(data, 1, true), Error);
    EXPECT_TRUE(files().at(kStatsFile).isNull()) << "the only game made the file";
    history::setGameUndone(data, 1, false);
    EXPECT_EQ(files(), before);
}

namespace {

QByteArray logLine(const char* label, const QByteArray& value) {
    return QByteArray(label) + value + " \r\n";
}

// An adversarial log of the named players, each with one kill.
QByteArray logOf(const QList<QByteArray>& names) {
    QByteArray log = logLine("Type  : ", "Adversarial") + logLine("Map Name   : ", "Bank") +
                     "Server\r\n" + logLine("Rules  : ", "Team Survival") +
                     logLine("Elapsed Time  : ", "05:12") + "\r\n";
    for (const QByteArray& name : names)
        log += "Player\r\n" + logLine("Team        : ", "0") + "Character\r\n" +
               logLine("Health Status : ", "2") + logLine("Player Name  : ", name) +
               logLine("Kills            : ", "1") + logLine("Hit Percentage  : ", "40") +
               logLine("Rounds Fired         : ", "9") + logLine("Rounds Taken         : ", "2") +
               logLine("Killed By            : ", "x") + logLine("Team Won     : ", "1") + "\r\n";
    return log;
}

} // namespace

TEST_F(Replay, OddFilesReplayAsTheMergeLeftThem) {
    // A blank record, a name twice and a partial record at the end, before the history began.
    PlayerStatsRecord a, blank, twin;
    a.name.setText("A");
    a.games = 2;
    blank.games = 1;
    twin.name.setText("A");
    twin.kills = 7;
    QByteArray stats;
    for (const PlayerStatsRecord* r : {&blank, &a, &twin})
        stats += QByteArray(reinterpret_cast<const char*>(r), sizeof *r);
    writeFile(file(kStatsFile), stats + QByteArray(40, '\x7f'));

    ASSERT_EQ(record(logOf({"A", "", "B", "A"})), Outcome::Recorded);
    {
        // The empty name went into the blank record, the second A is never merged into, and B
        // took the place of the partial record.
        const auto records = readAllRecords<PlayerStatsRecord>(file(kStatsFile));
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[0].games, 2);
        EXPECT_EQ(records[1].games, 4);
        EXPECT_EQ(records[2].kills, 7);
        EXPECT_EQ(records[3].name.text(), "B");
    }
    GameLogWriter writer(3);
    GameTally t;
    ASSERT_EQ(record(writer.next(t, false, 6)), Outcome::Recorded);
    journaled::deleteStatsFiles(journaling, kCooperativeText, data);
    ASSERT_EQ(record(writer.next(t, false, 3)), Outcome::Recorded);
    journaled::rankStatsFile(journaling, file(kStatsFile), QStringLiteral("Kills/Game"));
    ASSERT_EQ(record(logOf({"B", "C", ""})), Outcome::Recorded);
    ASSERT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('\n').toStdString();

    const auto recorded = files();
    EXPECT_EQ(history::rebuildFiles(data), 0);
    EXPECT_EQ(files(), recorded);
}
