// Standings, awards and maps through the program, checked against totals recomputed here from
// the games themselves; an undone game against a history that never had it; bad command lines.
#include "tests/support/temp_folder.h"
#include "tests/utilities/run_utilities.h"

#include "history/journal/journal.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <random>

using namespace vantor;
using namespace vantor::test;
using history::GameRecord;
using history::TeamOutcome;

namespace {

const QStringList kPool = {"Marrow", "Gunner", "Ding", "Wolf",  "Eddie", "Tomcat",
                           "Vega",   "Ash",    "Rook", "Quill", "Nova",  "Jinx"};
const QStringList kMaps = {"Oil Refinery", "Bank", "Embassy"};

// Games every few hours from November 2026 to January 2027, the same every run.
std::vector<GameRecord> makeGames(int count) {
    std::mt19937 random(25);
    std::vector<GameRecord> games;
    QDateTime at(QDate(2026, 11, 20), QTime(18, 0));
    for (int i = 0; i < count; ++i) {
        at = at.addSecs(3600 * (3 + int(random() % 20)));
        GameRecord g;
        g.playedAt = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
        g.gameType = "Adversarial";
        g.map = kMaps[int(random() % 3)].toLatin1();
        g.rules = "Team Survival";
        g.elapsedTime =
            QByteArray::number(random() % 20) + ':' + QByteArray::number(10 + random() % 50);
        g.outcome = TeamOutcome(random() % 3);
        QStringList names = kPool;
        std::shuffle(names.begin(), names.end(), random);
        for (int p = 0; p < 8; ++p) {
            history::GamePlayer pl;
            pl.name = names[p].toLatin1();
            pl.team = p % 2 ? "gold" : "blue";
            pl.lastPlayed = "12/9/26";
            pl.kills = int(random() % 6);
            pl.deaths = int(random() % 2);
            pl.hitPercentSum = int(random() % 101);
            pl.roundsFired = int(random() % 300);
            pl.roundsTaken = int(random() % 5);
            g.players.push_back(pl);
        }
        games.push_back(g);
    }
    return games;
}

class LeagueCommands : public testing::Test {
protected:
    LeagueCommands() {
        QDir().mkpath(data);
        QDir::setCurrent(data);
        env.insert(QStringLiteral("VANTOR_REGISTRY"), dir.filePath(QStringLiteral("store.reg")));
    }

    void journal(const std::vector<GameRecord>& games, const QString& folder) {
        QDir().mkpath(folder);
        auto j = history::Journal::openOrCreate(folder);
        for (const GameRecord& g : games)
            j->addGame(g, {});
    }

    Outcome run(QStringList args, const QString& folder = {}) {
        if (!folder.isEmpty())
            QDir::setCurrent(folder);
        Outcome o = utilities(args, env);
        QDir::setCurrent(data);
        return o;
    }

    QJsonArray json(const QStringList& args, const QString& folder = {}) {
        const Outcome o = run(args + QStringList{QStringLiteral("--json")}, folder);
        EXPECT_EQ(o.status, 0) << args.join(u' ').toStdString() << ": " << o.err.toStdString();
        return QJsonDocument::fromJson(o.out.toUtf8()).array();
    }

    QTemporaryDir dir;
    QString data = dir.filePath(QStringLiteral("data"));
    QProcessEnvironment env;
    TempFolder cwd;
};

struct Totals {
    qint64 kills = 0, deaths = 0, games = 0, hitSum = 0, fired = 0;
};

TEST_F(LeagueCommands, WindowsAddUpAsTheirGames) {
    const std::vector<GameRecord> games = makeGames(400);
    journal(games, data);
    ASSERT_EQ(run({"season", "add", "Autumn", "2026-11-01"}).status, 0);
    ASSERT_EQ(run({"season", "add", "Winter", "2026-12-15"}).status, 0);
    ASSERT_EQ(run({"season", "add", "Spring", "2027-01-10"}).status, 0);

    const struct {
        QStringList args;
        const char* from;  // of the recording times, inclusive
        const char* until; // exclusive
    } windows[] = {
        {{}, "", "9"},
        {{"--month", "2026-12"}, "2026-12-01", "2027-01-01"},
        {{"--week", "2026-W49"}, "2026-11-30", "2026-12-07"},
        {{"--since", "2026-12-10", "--until", "2026-12-20"}, "2026-12-10", "2026-12-21"},
        {{"--until", "2026-11-30"}, "", "2026-12-01"},
        {{"--season", "winter"}, "2026-12-15", "2027-01-10"},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.args.join(u' ').toStdString());
        std::map<QString, Totals> players;
        std::map<QString, std::array<qint64, 4>> maps; // games, blue, gold, other
        qint64 blue = 0, gold = 0;
        for (const GameRecord& g : games) {
            if (g.playedAt < QByteArray(w.from) || g.playedAt >= QByteArray(w.until))
                continue;
            auto& m = maps[QString::fromLatin1(g.map)];
            ++m[0];
            ++m[g.outcome == TeamOutcome::BlueWon ? 1 : g.outcome == TeamOutcome::RedWon ? 2 : 3];
            blue += g.outcome == TeamOutcome::BlueWon;
            gold += g.outcome == TeamOutcome::RedWon;
            for (const history::GamePlayer& p : g.players) {
                Totals& t = players[QString::fromLatin1(p.name)];
                t.kills += p.kills;
                t.deaths += p.deaths;
                t.games += 1;
                t.hitSum += p.hitPercentSum;
                t.fired += p.roundsFired;
            }
        }
        ASSERT_FALSE(players.empty());

        const QJsonArray standings = json(QStringList{"standings", "--by", "Kills"} + w.args);
        ASSERT_EQ(standings.size(), qsizetype(players.size()));
        qint64 lastKills = std::numeric_limits<qint64>::max();
        for (const QJsonValue& v : standings) {
            const QJsonObject o = v.toObject();
            const Totals& t = players[o["name"].toString()];
            EXPECT_EQ(o["kills"].toInteger(), t.kills);
            EXPECT_EQ(o["deaths"].toInteger(), t.deaths);
            EXPECT_EQ(o["games"].toInteger(), t.games);
            EXPECT_EQ(o["hitPercent"].toInteger(), t.hitSum / t.games);
            EXPECT_EQ(o["roundsFired"].toInteger(), t.fired);
            EXPECT_EQ(o["skillPoints"].toInteger(),
                      100 * t.kills / (t.deaths + 1) + t.hitSum / t.games);
            EXPECT_LE(o["kills"].toInteger(), lastKills) << "ranked by kills";
            lastKills = o["kills"].toInteger();
        }

        const QJsonArray mapList = json(QStringList{"maps"} + w.args);
        ASSERT_EQ(mapList.size(), qsizetype(maps.size()));
        for (const QJsonValue& v : mapList) {
            const QJsonObject o = v.toObject();
            const auto& m = maps[o["map"].toString()];
            EXPECT_EQ(o["games"].toInteger(), m[0]);
            EXPECT_EQ(o["blueWins"].toInteger(), m[1]);
            EXPECT_EQ(o["goldWins"].toInteger(), m[2]);
            EXPECT_EQ(o["otherResults"].toInteger(), m[3]);
        }

        std::map<QString, QJsonObject> awards;
        for (const QJsonValue& v : json(QStringList{"awards"} + w.args))
            awards[v.toObject()["award"].toString()] = v.toObject();
        ASSERT_EQ(awards.size(), 8u);
        const auto best = [&](auto valueOf, qint64 minGames) {
            std::optional<std::pair<qint64, QString>> top; // value, name: ties as stated
            qint64 topGames = 0;
            for (const auto& [name, t] : players) {
                if (t.games < minGames)
                    continue;
                const qint64 v = valueOf(t);
                if (!top || v > top->first || (v == top->first && t.games > topGames)) {
                    top = {v, name};
                    topGames = t.games;
                }
            }
            return top;
        };
        const auto entry = [&](const char* award, const char* who,
                               const char* field) -> QJsonValue {
            return awards[QString::fromLatin1(award)][QLatin1String(who)]
                .toObject()[QLatin1String(field)];
        };
        const auto kills = best([](const Totals& t) { return t.kills; }, 1);
        EXPECT_EQ(entry("Most kills", "winner", "name").toString(), kills->second);
        EXPECT_EQ(entry("Most kills", "winner", "value").toInteger(), kills->first);
        const auto played = best([](const Totals& t) { return t.games; }, 1);
        EXPECT_EQ(entry("Most games played", "winner", "name").toString(), played->second);
        const auto rate = best([](const Totals& t) { return t.kills * 100 / t.games; }, 5);
        if (rate) {
            EXPECT_EQ(qRound64(entry("Best kills per game", "winner", "value").toDouble() * 100),
                      rate->first);
        }
        EXPECT_EQ(entry("Team with most wins", "winner", "value").toInteger(),
                  std::max(blue, gold));
        EXPECT_EQ(entry("Team with most wins", "runnerUp", "value").toInteger(),
                  std::min(blue, gold));
    }
}

// Each finished week, month and season names its best player by kills, recounted here.
TEST_F(LeagueCommands, HallOfFameOfFinishedPeriods) {
    const std::vector<GameRecord> games = makeGames(150);
    journal(games, data);
    ASSERT_EQ(run({"season", "add", "Autumn", "2026-11-01"}).status, 0);
    ASSERT_EQ(run({"season", "add", "Winter", "2026-12-01"}).status, 0);
    const QDate today = QDate::currentDate();
    struct Period {
        QDate end;                                            // the day after
        std::map<QString, std::pair<qint64, qint64>> players; // kills, games
    };
    std::map<QString, Period> periods; // "week 2026-W48", ...
    for (const GameRecord& g : games) {
        const QDate day = QDate::fromString(QString::fromLatin1(g.playedAt.left(10)), Qt::ISODate);
        int year = 0;
        const int week = day.weekNumber(&year);
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        const QDate first(day.year(), day.month(), 1);
        std::vector<std::pair<QString, QDate>> in = {
            {QStringLiteral("week %1-W%2").arg(year).arg(week, 2, 10, QLatin1Char('0')),
             monday.addDays(7)},
            {QStringLiteral("month ") + first.toString(QStringLiteral("yyyy-MM")),
             first.addMonths(1)}};
        if (day >= QDate(2026, 11, 1) && day < QDate(2026, 12, 1))
            in.push_back({QStringLiteral("season Autumn"), QDate(2026, 12, 1)});
        for (const auto& [name, end] : in) {
            if (end > today)
                continue;
            Period& p = periods[name];
            p.end = end;
            for (const history::GamePlayer& pl : g.players) {
                auto& t = p.players[QString::fromLatin1(pl.name)];
                t.first += pl.kills;
                t.second += 1;
            }
        }
    }
    std::map<QString, QString> expected;
    for (const auto& [name, p] : periods) {
        std::pair<qint64, qint64> best{-1, 0};
        for (const auto& [player, t] : p.players)
            if (t > best) { // kills, then games; equal: the name first in order stays
                best = t;
                expected[name] = player;
            }
    }
    std::map<QString, QString> shown;
    for (const QJsonValue& v : json({"hall-of-fame", "--by", "Kills"})) {
        const QJsonObject o = v.toObject();
        shown[o["period"].toString() + u' ' + o["window"].toString()] = o["name"].toString();
    }
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(expected.empty());
}

TEST_F(LeagueCommands, AnUndoneGameCountsAsNeverPlayed) {
    const std::vector<GameRecord> games = makeGames(60);
    std::vector<GameRecord> without = games;
    without.erase(without.begin() + 20);
    const QString other = dir.filePath(QStringLiteral("without"));
    journal(games, data);
    journal(without, other);
    ASSERT_EQ(run({"undo-game", "21", "--yes"}).status, 0);

    const QStringList asked[] = {{"standings", "--by", "Rating"},
                                 {"standings", "--by", "Kills", "--month", "2026-12"},
                                 {"awards"},
                                 {"maps"}};
    for (const QStringList& args : asked)
        EXPECT_EQ(json(args), json(args, other)) << args.join(u' ').toStdString();
    const Outcome a = run({"rating", "Marrow", "--json"});
    const Outcome b = run({"rating", "Marrow", "--json"}, other);
    const QJsonObject ra = QJsonDocument::fromJson(a.out.toUtf8()).object();
    const QJsonObject rb = QJsonDocument::fromJson(b.out.toUtf8()).object();
    for (const char* field : {"rating", "deviation", "volatility", "ratedGames"})
        EXPECT_EQ(ra[field], rb[field]) << field;

    ASSERT_EQ(run({"redo-game", "21", "--yes"}).status, 0);
    EXPECT_NE(json({"standings", "--by", "Kills"}), json({"standings", "--by", "Kills"}, other));
}

TEST_F(LeagueCommands, BadInputIsRefusedAndChangesNothing) {
    journal(makeGames(10), data);
    ASSERT_EQ(run({"season", "add", "Autumn", "2026-11-01"}).status, 0);
    const QByteArray store = readFile(dir.filePath(QStringLiteral("store.reg")));
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{"standings"}, 2},
        {{"standings", "--by", "Luck"}, 2},
        {{"standings", "--by", "Kills", "--since", "2026-02-30"}, 2},
        {{"standings", "--by", "Kills", "--since", "2026-12-10", "--until", "2026-12-01"}, 2},
        {{"standings", "--by", "Kills", "--week", "2026-W60"}, 2},
        {{"standings", "--by", "Kills", "--month", "2026-13"}, 2},
        {{"standings", "--by", "Kills", "--week", "--month"}, 2},
        {{"standings", "--by", "Kills", "--min-games", "0"}, 2},
        {{"standings", "--by", "Kills", "--season", "Nope"}, 1},
        {{"standings", "--by", "Rating", "--coop"}, 1},
        {{"awards", "--season", "Nope"}, 1},
        {{"map", "No Such Map"}, 1},
        {{"rating", "Nobody"}, 1},
        {{"season", "add", "Later", "someday"}, 2},
        {{"season", "add", "autumn", "2026-12-01"}, 1},
        {{"season", "add", "Other", "2026-11-01"}, 1},
        {{"season", "remove", "Autumn"}, 2},
        {{"season", "remove", "Nope", "--yes"}, 1},
        {{"season", "rename"}, 2},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, c.status)
            << c.args.join(u' ').toStdString() << ": " << o.err.toStdString();
        EXPECT_FALSE(o.err.isEmpty()) << c.args.join(u' ').toStdString();
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("store.reg"))), store);
    }
    EXPECT_FALSE(QFile::exists(QDir(data).filePath(QStringLiteral("stats.log"))));
}

} // namespace
