#include "command.h"
#include "options.h"

#include "history/journaled/journaled_changes.h"
#include "stats/game_type.h"
#include "stats/rank_keys.h"
#include "stats/ranking.h"
#include "stats/upkeep.h"

#include "common/cp1252.h"
#include "common/visible_text.h"

namespace vantor::utilities::cli {

namespace {

const QString kGroup = QStringLiteral("players");

QString quoted(const QString& s) {
    return QStringLiteral("\"") + s + QStringLiteral("\"");
}

// A key that is none of the eight is a wrong command line, refused before any file is read.
QString rankKeyOption(const Invocation& call) {
    const QString key = call.required(kBy);
    if (!stats::rankKeyFromText(key))
        throw UsageError{stats::unknownRankKeyMessage(key)};
    return key;
}

int list(const Invocation& call) {
    auto names =
        stats::listPlayers(statsFileName(call.gameType())).value_or(std::vector<QByteArray>{});
    stats::sortForListing(names);
    for (const QByteArray& name : names)
        call.out << terminalText(name) << '\n';
    call.out << "Total Players: " << names.size() << '\n';
    return 0;
}

int rank(const Invocation& call) {
    const QString key = rankKeyOption(call);
    const QString statsPath = statsFileName(call.gameType());
    const stats::RankResult r = journaled::rankStatsFile(call.journaling, statsPath, key);
    call.out << "Ranked " << quoted(statsPath) << " by " << key << ": " << r.written << " of "
             << r.recordCount << " records kept.\n";
    return 0;
}

int deleteOnePlayer(const Invocation& call) {
    const QString name = call.positional.first();
    if (name.isEmpty())
        throw UsageError{QStringLiteral("delete-player needs a name that is not empty.")};
    const QString statsPath = statsFileName(call.gameType());
    const auto blanked = journaled::deletePlayer(call.journaling, statsPath, toCp1252(name));
    if (!blanked) {
        call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
        return 1;
    }
    if (*blanked == 0)
        call.out << "No player named " << quoted(name) << " in " << quoted(statsPath) << ".\n";
    else
        call.out << "Deleted " << quoted(name) << " from " << quoted(statsPath) << ": " << *blanked
                 << " records blanked.\n";
    return 0;
}

int prune(const Invocation& call) {
    const QString measure = call.required(kBy);
    if (!stats::deleteMeasureFromText(measure))
        throw UsageError{stats::unknownMeasureMessage(measure)};
    const QString count = call.positional.first();
    if (count.isEmpty())
        throw UsageError{QStringLiteral("prune needs a count.")};
    const QString statsPath = statsFileName(call.gameType());
    const auto r = journaled::deletePlayers(call.journaling, statsPath, count, measure);
    if (!r) {
        call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
        return 1;
    }
    call.out << "Deleted " << (r->examined - r->kept) << " of " << r->examined << " records from "
             << quoted(statsPath) << ".\n";
    return 0;
}

int deleteStatsFile(const Invocation& call) {
    const QString gameType = call.gameType();
    if (!call.isSet(kYes))
        throw UsageError{QStringLiteral("%1 Add --yes to delete it.")
                             .arg(stats::deleteStatsFileQuestion(gameType))};
    journaled::deleteStatsFiles(call.journaling, gameType);
    call.out << stats::statsFileDeletedMessage(gameType) << '\n';
    return 0;
}

} // namespace

std::vector<Command> playerCommands() {
    const QString none = QStringLiteral("no names");
    return {
        {QStringLiteral("list"),
         QStringLiteral("[--coop]"),
         QStringLiteral("list the players, then their count"),
         kGroup,
         {kCoop},
         0,
         none,
         list},
        {QStringLiteral("rank"),
         QStringLiteral("--by KEY [--coop]"),
         QStringLiteral("rewrite the stats file in rank order"),
         kGroup,
         {kBy, kCoop},
         0,
         none,
         rank},
        {QStringLiteral("delete-player"),
         QStringLiteral("NAME [--coop]"),
         QStringLiteral("remove every record of the player NAME"),
         kGroup,
         {kCoop},
         1,
         QStringLiteral("one player name"),
         deleteOnePlayer},
        {QStringLiteral("prune"),
         QStringLiteral("N --by MEASURE [--coop]"),
         QStringLiteral("remove the players with N or less"),
         kGroup,
         {kBy, kCoop},
         1,
         QStringLiteral("one count"),
         prune},
        {QStringLiteral("delete-stats-file"),
         QStringLiteral("[--coop] --yes"),
         QStringLiteral("delete the stats file (and \"team.log\")"),
         kGroup,
         {kCoop, kYes},
         0,
         none,
         deleteStatsFile},
    };
}

} // namespace vantor::utilities::cli
