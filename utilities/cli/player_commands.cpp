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

// The names in the player list's order, one a line.
void printNames(const Invocation& call, std::vector<QByteArray> names) {
    stats::sortForListing(names);
    for (const QByteArray& name : names)
        call.out << terminalText(name) << '\n';
}

QString records(qint64 n) {
    return QString::number(n) + (n == 1 ? QStringLiteral(" record") : QStringLiteral(" records"));
}

// The stats file of the command, refused in a folder that is no data folder at all.
QString statsFileOf(const Invocation& call) {
    requireDataFolder();
    return statsFileName(call.gameType());
}

int list(const Invocation& call) {
    auto names = stats::listPlayers(statsFileOf(call)).value_or(std::vector<QByteArray>{});
    const std::size_t count = names.size();
    printNames(call, std::move(names));
    call.out << "Total Players: " << count << '\n';
    return 0;
}

int rank(const Invocation& call) {
    const QString key = rankKeyNamed(call.required(kBy));
    const QString statsPath = statsFileOf(call);
    const stats::RankResult r = journaled::rankStatsFile(call.journaling, statsPath, key);
    call.out << "Ranked " << quoted(statsPath) << " by " << key << ": " << r.written << " of "
             << r.recordCount << " records kept.\n";
    return 0;
}

int deleteOnePlayer(const Invocation& call) {
    const QString name = call.nonEmpty(0, QStringLiteral("a name"));
    const QString statsPath = statsFileOf(call);
    const auto found = stats::countPlayerRecords(statsPath, toCp1252(name));
    if (!found) {
        call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
        return 1;
    }
    if (*found == 0) {
        call.err << "No player named " << quoted(name) << " in " << quoted(statsPath)
                 << "; nothing was changed.\n";
        return 1;
    }
    if (!call.isSet(kYes)) {
        call.out << "Would delete " << quoted(name) << " from " << quoted(statsPath) << " ("
                 << records(*found) << ").\n";
        call.err << "Nothing was changed. Add --yes to delete the player.\n";
        return 1;
    }
    const auto blanked = journaled::deletePlayer(call.journaling, statsPath, toCp1252(name));
    if (!blanked) {
        call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
        return 1;
    }
    call.out << "Deleted " << quoted(name) << " from " << quoted(statsPath) << ": "
             << records(*blanked) << " blanked.\n";
    return 0;
}

int prune(const Invocation& call) {
    const QString measure = measureNamed(call.required(kBy));
    const QString count = call.nonEmpty(0, QStringLiteral("a count"));
    const QString statsPath = statsFileOf(call);
    if (!call.isSet(kYes)) {
        const auto gone = stats::recordsToPrune(statsPath, count, measure);
        if (!gone) {
            call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
            return 1;
        }
        std::vector<QByteArray> names;
        for (const PlayerStatsRecord& r : *gone)
            if (!r.isBlank())
                names.push_back(r.name.text());
        const qint64 blanks = qint64(gone->size() - names.size());
        call.out << "Would delete " << names.size() << (names.size() == 1 ? " player" : " players")
                 << " with " << count << " " << measure << " or less from " << quoted(statsPath)
                 << (blanks > 0
                         ? QStringLiteral(", and %1 left blank by deletions").arg(records(blanks))
                         : QString())
                 << (names.empty() ? "." : ":") << '\n';
        printNames(call, std::move(names));
        call.err << "Nothing was changed. Add --yes to delete them.\n";
        return 1;
    }
    const auto r = journaled::deletePlayers(call.journaling, statsPath, count, measure);
    if (!r) {
        call.err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
        return 1;
    }
    call.out << "Deleted " << (r->examined - r->kept) << " of " << records(r->examined) << " from "
             << quoted(statsPath) << ".\n";
    return 0;
}

int deleteStatsFile(const Invocation& call) {
    const QString gameType = call.gameType();
    if (!call.isSet(kYes))
        throw UsageError{QStringLiteral("%1 Add --yes to delete it.")
                             .arg(stats::deleteStatsFileQuestion(gameType))};
    if (journaled::deleteStatsFiles(call.journaling, gameType) == 0) {
        call.err << "There is no " << gameType << " Stats file (" << quoted(statsFileName(gameType))
                 << "); nothing was deleted.\n";
        return 1;
    }
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
         QStringLiteral("NAME [--coop] [--yes]"),
         QStringLiteral("remove every record of the player NAME"),
         kGroup,
         {kCoop, kYes},
         1,
         QStringLiteral("one player name"),
         deleteOnePlayer},
        {QStringLiteral("prune"),
         QStringLiteral("N --by MEASURE [--coop] [--yes]"),
         QStringLiteral("remove the players with N or less"),
         kGroup,
         {kBy, kCoop, kYes},
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
