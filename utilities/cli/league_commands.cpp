#include "command.h"
#include "league_output.h"
#include "options.h"
#include "window_options.h"

#include "history/league/awards.h"
#include "history/league/day_totals.h"
#include "history/league/standings.h"
#include "history/replay/history_commands.h"
#include "history/views/json_out.h"
#include "history/views/view_text.h"
#include "stats/rank_keys.h"

#include "common/error.h"

#include <map>

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kGroup = QStringLiteral("league");
const QString kHere = QStringLiteral(".");
const QString kRatingKey = QStringLiteral("Rating");

// A rank key, or "Rating": any other text is a wrong command line.
struct Order {
    std::optional<stats::RankKey> key; // none: by rating
    QString text;
};

Order orderOption(const Invocation& call, const QString& fallback = {}) {
    const QString text = call.isSet(kBy) || fallback.isEmpty() ? call.required(kBy) : fallback;
    if (text == kRatingKey)
        return Order{std::nullopt, text};
    const auto key = stats::rankKeyFromText(text);
    if (!key)
        throw UsageError{stats::unknownRankKeyMessage(text) + QStringLiteral(" Or \"Rating\".")};
    return Order{key, text};
}

std::int64_t minGamesOption(const Invocation& call) {
    if (!call.isSet(kMinGames))
        return 1;
    bool ok = false;
    const qlonglong n = call.value(kMinGames).toLongLong(&ok);
    if (!ok || n < 1)
        throw UsageError{QStringLiteral("--min-games must be a whole number from 1 on, not "
                                        "\"%1\".")
                             .arg(call.value(kMinGames))};
    return n;
}

QString zoneText(const Invocation& call) {
    return call.isSet(kUtc) ? QStringLiteral("UTC") : QStringLiteral("local time");
}

// The day a rating's deviation is shown for: the window's last, or today for an open end.
QDate ratingDay(const TimeWindow& window, WindowZone zone) {
    if (window.until.isEmpty())
        return today(zone);
    return QDate::fromString(QString::fromLatin1(window.until.left(10)),
                             QStringLiteral("yyyy-MM-dd"))
        .addDays(-1);
}

void totalsJson(JsonOut& j, const PlayerTotals& t) {
    const PlayerStatsRecord r = t.record();
    j.field("name", t.name);
    j.field("lastPlayed", t.lastPlayed);
    j.field("kills", r.kills);
    j.field("deaths", r.deaths);
    j.field("games", r.games);
    j.field("hitPercent", r.hitPercent);
    j.field("roundsFired", r.roundsFired);
    j.field("roundsTaken", r.roundsTaken);
    j.field("skillPoints", r.skillPoints);
}

int standings(const Invocation& call) {
    const Order order = orderOption(call);
    const std::int64_t minGames = minGamesOption(call);
    if (!order.key)
        refuseCoopRating(call);
    const TimeWindow window = windowOption(call);
    HistoryAccess access(kHere);
    const AliasMap aliases = aliasesOf(access.journal(), call);

    PlayerTally tally(aliases);
    RatingBook ratings(aliases);
    std::optional<std::vector<PlayerTotals>> totals;
    if (order.key)
        totals = dayTotals(access.journal().database(), call.isSet(kCoop), window);
    if (totals)
        totals = countedUnder(aliases, std::move(*totals));
    else {
        forEachGame(access.journal(), call, window, order.key ? nullptr : &ratings,
                    [&](const GameRow& g, bool inWindow, const std::vector<RatingChange>&) {
                        if (inWindow)
                            tally.add(g);
                    });
        totals = tally.players();
    }
    const QDate day = ratingDay(window, windowZone(call));
    const auto ratingOf = [&](const PlayerTotals& p) {
        const Rating* r = ratings.find(p.name);
        return r ? *r : unratedPlayer();
    };
    const std::vector<Standing> ranked =
        rankPlayers(*totals, minGames, [&](const PlayerTotals& p) -> std::int64_t {
            if (!order.key)
                return tenths(ratingOf(p).rating());
            return stats::rankKeyValue(*order.key, p.record());
        });

    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '[';
        for (const Standing& s : ranked) {
            j.bytes += s.rank == 1 ? "\n{" : ",\n{";
            totalsJson(j, s.totals);
            if (!order.key) {
                const Rating r = ratingOf(s.totals);
                j.literal("rating", decimalJson(tenths(r.rating()), 1));
                j.literal("deviation", decimalJson(tenths(r.deviationOn(day)), 1));
                j.flag("provisional", r.provisional());
            }
            j.field("rank", s.rank);
            j.endObject();
        }
        j.bytes += "]\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << "Standings by " << order.text << ", " << window.label << " (" << zoneText(call)
             << "): " << ranked.size() << " players\n";
    using A = TextColumns::Align;
    std::vector<A> aligns{A::Right, A::Left,  A::Right, A::Right, A::Right,
                          A::Right, A::Right, A::Right, A::Right, A::Right};
    if (!order.key)
        aligns.insert(aligns.end(), {A::Right, A::Right, A::Left});
    TextColumns columns(aligns);
    QStringList heading{"Rank",  "Name",  "Games", "Kills", "Deaths",
                        "Hit %", "Fired", "Taken", "Skill", "Kills/Game"};
    if (!order.key)
        heading << "Rating"
                << "RD"
                << "";
    columns.addRow(heading);
    for (const Standing& s : ranked) {
        const PlayerStatsRecord r = s.totals.record();
        QStringList row{
            QString::number(s.rank),        terminalText(s.totals.name),
            QString::number(r.games),       QString::number(r.kills),
            QString::number(r.deaths),      QString::number(r.hitPercent),
            QString::number(r.roundsFired), QString::number(r.roundsTaken),
            QString::number(r.skillPoints), decimalText(killsPerGameValue(r.kills, r.games), 2)};
        if (!order.key) {
            const Rating rating = ratingOf(s.totals);
            row << decimalText(tenths(rating.rating()), 1)
                << decimalText(tenths(rating.deviationOn(day)), 1)
                << (rating.provisional() ? QStringLiteral("provisional") : QString());
        }
        columns.addRow(row);
    }
    printUtf8(call, columns.text());
    return 0;
}

QString awardValueText(const Award& a, const AwardEntry& e) {
    return decimalText(e.value, a.decimals, a.title == kRatingGainTitle);
}

int awards(const Invocation& call) {
    const TimeWindow window = windowOption(call);
    HistoryAccess access(kHere);
    const std::vector<Award> list = windowAwards(access.journal().database(), call.isSet(kCoop),
                                                 window, aliasesOf(access.journal(), call));

    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '[';
        bool first = true;
        for (const Award& a : list) {
            j.bytes += first ? "\n{" : ",\n{";
            first = false;
            j.field("award", a.title.toLatin1());
            j.field("minimumGames", a.minimumGames);
            for (const auto& [key, entry] :
                 {std::pair{"winner", &a.winner}, std::pair{"runnerUp", &a.runnerUp}}) {
                if (!*entry) {
                    j.literal(key, "null");
                    continue;
                }
                j.key(key);
                j.bytes += '{';
                j.field("name", (*entry)->name);
                j.literal("value", decimalJson((*entry)->value, a.decimals));
                j.endObject();
                j.bytes += ',';
            }
            j.endObject();
        }
        j.bytes += "]\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << "Awards, " << window.label << " (" << zoneText(call) << ")\n";
    using A = TextColumns::Align;
    TextColumns columns({A::Left, A::Left, A::Right, A::Left, A::Right});
    columns.addRow({"Award", "Winner", "Value", "Runner-up", "Value"});
    for (const Award& a : list) {
        QString title = a.title;
        if (a.minimumGames > 1)
            title += QStringLiteral(" (%1+ games)").arg(a.minimumGames);
        QStringList row{title};
        for (const auto* entry : {&a.winner, &a.runnerUp})
            row << (*entry ? terminalText((*entry)->name) : QStringLiteral("-"))
                << (*entry ? awardValueText(a, **entry) : QString());
        columns.addRow(row);
    }
    printUtf8(call, columns.text());
    call.out << "Ties go to the player with more games in the window, then to the name first in "
                "byte order.\n";
    return 0;
}

// One finished period of the hall of fame and its tally.
struct Period {
    QString kind; // "week", "month", "season"
    QString label;
    PlayerTally players;
};

int hallOfFame(const Invocation& call) {
    const Order order = orderOption(call, QStringLiteral("Skill Points"));
    if (!order.key)
        refuseCoopRating(call);
    const std::int64_t minGames = minGamesOption(call);
    const WindowZone zone = windowZone(call);
    const QByteArray todayStart = dayStart(today(zone), zone);
    const SeasonList seasons = storedSeasons();
    HistoryAccess access(kHere);
    const AliasMap aliases = aliasesOf(access.journal(), call);

    // Periods by the time they start, so the list reads in the order they were played.
    std::map<std::pair<QByteArray, int>, Period> periods;
    std::vector<std::pair<TimeWindow, const Season*>> seasonWindows;
    for (const Season& s : seasons.seasons())
        if (seasons.end(s) && dayStart(*seasons.end(s), zone) <= todayStart)
            seasonWindows.push_back({seasons.window(s, zone), &s});
    RatingBook ratings(aliases);
    forEachGame(
        access.journal(), call, allTime(), order.key ? nullptr : &ratings,
        [&](const GameRow& g, bool, const std::vector<RatingChange>&) {
            if (g.undone || QByteArrayView(g.playedAt) >= QByteArrayView(todayStart))
                return;
            // The day a game belongs to in the zone: a local day unless --utc.
            QDate day = QDate::fromString(QString::fromLatin1(g.playedAt.left(10)),
                                          QStringLiteral("yyyy-MM-dd"));
            if (zone == WindowZone::Utc)
                day = QDateTime::fromString(QString::fromLatin1(g.playedAt),
                                            QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          .toUTC()
                          .date();
            if (!day.isValid())
                return;
            const auto addTo = [&](const QString& kind, int kindOrder, const TimeWindow& w) {
                if (w.until.isEmpty() || w.until > todayStart)
                    return; // not finished
                auto& p =
                    periods.try_emplace({w.from, kindOrder}, Period{{}, {}, PlayerTally(aliases)})
                        .first->second;
                p.kind = kind;
                p.label = w.label;
                p.players.add(g);
            };
            addTo(QStringLiteral("week"), 0, weekWindow(isoWeekOf(day), zone));
            addTo(QStringLiteral("month"), 1, monthWindow(day, zone));
            for (const auto& [w, season] : seasonWindows)
                if (w.contains(g.playedAt))
                    addTo(QStringLiteral("season"), 2, w);
        });

    struct Winner {
        const Period* period;
        Standing best;
    };
    std::vector<Winner> winners;
    for (const auto& [key, p] : periods) {
        const auto ranked =
            rankForAward(p.players.players(), minGames, [&](const PlayerTotals& t) -> std::int64_t {
                if (order.key)
                    return stats::rankKeyValue(*order.key, t.record());
                const Rating* r = ratings.find(t.name);
                return tenths((r ? *r : unratedPlayer()).rating());
            });
        if (!ranked.empty())
            winners.push_back({&p, ranked.front()});
    }
    const int decimals = order.key ? 0 : 1;
    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '[';
        bool first = true;
        for (const Winner& w : winners) {
            j.bytes += first ? "\n{" : ",\n{";
            first = false;
            j.field("period", w.period->kind.toLatin1());
            j.field("window", toCp1252(w.period->label));
            j.field("name", w.best.totals.name);
            j.literal("value", decimalJson(w.best.value, decimals));
            j.field("games", w.best.totals.games);
            j.endObject();
        }
        j.bytes += "]\n";
        printUtf8(call, j.bytes);
        return 0;
    }
    call.out << "Hall of Fame by " << order.text << " (" << zoneText(call) << ")\n";
    if (winners.empty()) {
        call.out << "No finished week, month or season has games yet.\n";
        return 0;
    }
    using A = TextColumns::Align;
    TextColumns columns({A::Left, A::Left, A::Left, A::Right, A::Right});
    columns.addRow({"Period", "", "Winner", order.text, "Games"});
    for (const Winner& w : winners)
        columns.addRow({w.period->kind, w.period->label, terminalText(w.best.totals.name),
                        decimalText(w.best.value, decimals), QString::number(w.best.totals.games)});
    printUtf8(call, columns.text());
    return 0;
}

} // namespace

std::vector<Command> leagueCommands() {
    const QString none = QStringLiteral("no names");
    QStringList windowed = windowOptionNames();
    windowed << kCoop << kJson;
    return {
        {QStringLiteral("standings"),
         QStringLiteral("--by KEY ") + windowUsage() +
             QStringLiteral(" [--min-games N] [--coop] [--json]"),
         QStringLiteral("players' totals over a window"), kGroup,
         windowed + QStringList{kBy, kMinGames}, 0, none, standings},
        {QStringLiteral("awards"), windowUsage() + QStringLiteral(" [--coop] [--json]"),
         QStringLiteral("a window's awards"), kGroup, windowed, 0, none, awards},
        {QStringLiteral("hall-of-fame"),
         QStringLiteral("[--by KEY] [--min-games N] [--utc] [--coop] [--json]"),
         QStringLiteral("winners of every finished period"),
         kGroup,
         {kBy, kMinGames, kUtc, kCoop, kJson},
         0,
         none,
         hallOfFame},
    };
}

} // namespace vantor::utilities::cli
