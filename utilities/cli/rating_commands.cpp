#include "command.h"
#include "league_output.h"
#include "options.h"
#include "window_options.h"

#include "history/league/rating.h"
#include "history/replay/history_commands.h"
#include "history/views/json_out.h"
#include "history/views/view_text.h"

#include "common/cp1252.h"
#include "common/error.h"

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kHere = QStringLiteral(".");

struct RatedGame {
    RatingChange change;
    QByteArray playedAt;
    QByteArray map;
};

int rating(const Invocation& call) {
    const QString typed = call.positional.first();
    if (typed.isEmpty())
        throw UsageError{QStringLiteral("rating needs a player name that is not empty.")};
    refuseCoopRating(call);
    HistoryAccess access(kHere);
    const AliasMap aliases = aliasesOf(access.journal(), call);
    // An alias's rating is its main name's.
    const QByteArray name = countedName(aliases, toCp1252(typed).left(50));
    RatingBook book(aliases);
    std::vector<RatedGame> rows;
    bool played = false;
    forEachGame(access.journal(), call, allTime(), &book,
                [&](const GameRow& g, bool, const std::vector<RatingChange>& changes) {
                    for (const RatingChange& c : changes)
                        if (c.name == name)
                            rows.push_back({c, g.playedAt, g.map});
                    if (!played && !g.undone)
                        for (const PlayerGameRow& p : g.players)
                            played = played || countedName(aliases, p.name) == name;
                });
    if (!played)
        throw Error(QStringLiteral("\"%1\" played no game in the game history.").arg(typed));
    const Rating* found = book.find(name);
    const Rating now = found ? *found : unratedPlayer();
    const QDate day = today(WindowZone::Local);

    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '{';
        j.field("name", name);
        j.literal("rating", decimalJson(tenths(now.rating()), 1));
        j.literal("deviation", decimalJson(tenths(now.deviationOn(day)), 1));
        j.literal("volatility", QByteArray::number(now.sigma, 'f', 6));
        j.field("ratedGames", now.games);
        j.flag("provisional", now.provisional());
        j.key("games");
        j.bytes += '[';
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const RatedGame& r = rows[i];
            j.bytes += i == 0 ? "\n{" : ",\n{";
            j.field("id", r.change.gameId);
            j.field("playedAt", r.playedAt);
            j.field("map", r.map);
            j.flag("won", r.change.won);
            j.literal("before", decimalJson(tenths(r.change.before.rating()), 1));
            j.literal("after", decimalJson(tenths(r.change.after.rating()), 1));
            j.literal("deviation", decimalJson(tenths(r.change.after.deviation()), 1));
            j.endObject();
        }
        j.bytes += "]}\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << terminalText(name) << ": rating " << decimalText(tenths(now.rating()), 1)
             << ", deviation " << decimalText(tenths(now.deviationOn(day)), 1) << ", " << now.games
             << " rated games" << (now.provisional() ? ", provisional" : "") << '\n';
    using A = TextColumns::Align;
    TextColumns columns({A::Right, A::Left, A::Left, A::Left, A::Right, A::Right, A::Right});
    columns.addRow({"ID", "Recorded", "Map", "Result", "Before", "After", "RD"});
    for (const RatedGame& r : rows)
        columns.addRow({QString::number(r.change.gameId), QString::fromLatin1(r.playedAt),
                        terminalText(r.map),
                        r.change.won ? QStringLiteral("won") : QStringLiteral("lost"),
                        decimalText(tenths(r.change.before.rating()), 1),
                        decimalText(tenths(r.change.after.rating()), 1),
                        decimalText(tenths(r.change.after.deviation()), 1)});
    printUtf8(call, columns.text());
    return 0;
}

} // namespace

std::vector<Command> ratingCommands() {
    return {
        {QStringLiteral("rating"),
         QStringLiteral("NAME [--json]"),
         QStringLiteral("the player's rating, game by game"),
         QStringLiteral("league"),
         {kJson, kCoop},
         1,
         QStringLiteral("one player name"),
         rating},
    };
}

} // namespace vantor::utilities::cli
