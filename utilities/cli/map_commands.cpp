#include "command.h"
#include "league_output.h"
#include "options.h"
#include "window_options.h"

#include "history/league/map_stats.h"
#include "history/replay/history_commands.h"
#include "history/views/game_views.h"
#include "history/views/json_out.h"
#include "history/views/view_text.h"

#include "common/cp1252.h"
#include "common/error.h"

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kGroup = QStringLiteral("league");
const QString kHere = QStringLiteral(".");
constexpr std::size_t kTopPlayers = 10;

QString averageText(const MapSummary& m) {
    const auto s = m.averageSeconds();
    return s ? QString::fromLatin1(elapsedText(*s)) : QStringLiteral("-");
}

int maps(const Invocation& call) {
    const TimeWindow window = windowOption(call);
    HistoryAccess access(kHere);
    MapTally tally(aliasesOf(access.journal(), call));
    forEachGame(access.journal(), call, window, nullptr,
                [&](const GameRow& g, bool, const std::vector<RatingChange>&) { tally.add(g); });
    const std::vector<MapSummary> list = tally.maps();
    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '[';
        bool first = true;
        for (const MapSummary& m : list) {
            j.bytes += first ? "\n{" : ",\n{";
            first = false;
            j.field("map", m.map);
            j.field("games", m.games);
            j.field("blueWins", m.blueWins);
            j.field("goldWins", m.goldWins);
            j.field("otherResults", m.otherResults);
            if (const auto s = m.averageSeconds())
                j.field("averageSeconds", *s);
            else
                j.literal("averageSeconds", "null");
            j.field("bestPlayer", m.bestPlayer);
            j.field("bestKills", m.bestKills);
            j.endObject();
        }
        j.bytes += "]\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << "Maps, " << window.label << ": " << list.size() << " maps\n";
    using A = TextColumns::Align;
    TextColumns columns(
        {A::Left, A::Right, A::Right, A::Right, A::Right, A::Right, A::Left, A::Right});
    columns.addRow(
        {"Map", "Games", "Blue won", "Gold won", "Other", "Avg time", "Best player", "Kills"});
    for (const MapSummary& m : list)
        columns.addRow({terminalText(m.map), QString::number(m.games), QString::number(m.blueWins),
                        QString::number(m.goldWins), QString::number(m.otherResults),
                        averageText(m), terminalText(m.bestPlayer), QString::number(m.bestKills)});
    printUtf8(call, columns.text());
    return 0;
}

int map(const Invocation& call) {
    const QString typed = call.positional.first();
    if (typed.isEmpty())
        throw UsageError{QStringLiteral("map needs a map name that is not empty.")};
    const QByteArray name = toCp1252(typed);
    const TimeWindow window = windowOption(call);
    HistoryAccess access(kHere);
    MapTally tally(aliasesOf(access.journal(), call));
    std::vector<GameRow> games;
    forEachGame(access.journal(), call, window, nullptr,
                [&](const GameRow& g, bool, const std::vector<RatingChange>&) {
                    if (g.map != name)
                        return;
                    tally.add(g);
                    games.push_back(g);
                });
    if (games.empty())
        throw Error(QStringLiteral("No game on the map \"%1\" in %2.").arg(typed, window.label));
    std::vector<Standing> top = tally.players(name);
    if (top.size() > kTopPlayers)
        top.resize(kTopPlayers);

    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += "{\"map\":";
        j.text(name);
        j.bytes += ",\"games\":[";
        for (std::size_t i = 0; i < games.size(); ++i) {
            const GameRow& g = games[i];
            j.bytes += i == 0 ? "\n{" : ",\n{";
            j.field("id", g.id);
            j.field("playedAt", g.playedAt);
            j.field("rules", g.rules);
            j.field("elapsedTime", g.elapsedTime);
            j.field("result", outcomeText(g.outcome));
            j.flag("undone", g.undone);
            j.field("players", qint64(g.players.size()));
            j.endObject();
        }
        j.bytes += "],\n\"top\":[";
        for (const Standing& s : top) {
            j.bytes += s.rank == 1 ? "\n{" : ",\n{";
            j.field("rank", s.rank);
            j.field("name", s.totals.name);
            j.field("kills", s.totals.kills);
            j.field("games", s.totals.games);
            j.field("deaths", s.totals.deaths);
            j.endObject();
        }
        j.bytes += "]}\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << "Map " << terminalText(name) << ", " << window.label << ": " << games.size()
             << " games\n";
    using A = TextColumns::Align;
    TextColumns list({A::Right, A::Left, A::Left, A::Left, A::Right, A::Left, A::Left});
    list.addRow({"ID", "Recorded", "Rules", "Time", "Players", "Result", ""});
    for (const GameRow& g : games)
        list.addRow({QString::number(g.id), QString::fromLatin1(g.playedAt), terminalText(g.rules),
                     terminalText(g.elapsedTime), QString::number(g.players.size()),
                     QString::fromLatin1(outcomeText(g.outcome)),
                     g.undone ? QStringLiteral("(undone)") : QString()});
    printUtf8(call, list.text());
    call.out << "Top " << top.size() << " by kills\n";
    TextColumns best({A::Right, A::Left, A::Right, A::Right, A::Right});
    best.addRow({"Rank", "Name", "Kills", "Games", "Deaths"});
    for (const Standing& s : top)
        best.addRow({QString::number(s.rank), terminalText(s.totals.name),
                     QString::number(s.totals.kills), QString::number(s.totals.games),
                     QString::number(s.totals.deaths)});
    printUtf8(call, best.text());
    return 0;
}

} // namespace

std::vector<Command> mapCommands() {
    QStringList windowed = windowOptionNames();
    windowed << kCoop << kJson;
    return {
        {QStringLiteral("maps"), windowUsage() + QStringLiteral(" [--coop] [--json]"),
         QStringLiteral("games, results and best player per map"), kGroup, windowed, 0,
         QStringLiteral("no names"), maps},
        {QStringLiteral("map"),
         QStringLiteral("NAME ") + windowUsage() + QStringLiteral(" [--coop] [--json]"),
         QStringLiteral("that map's games and its top ten"), kGroup, windowed, 1,
         QStringLiteral("one map name"), map},
    };
}

} // namespace vantor::utilities::cli
