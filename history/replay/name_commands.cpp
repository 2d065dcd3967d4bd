#include "name_commands.h"

#include "history_commands.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/visible_text.h"
#include "stats/upkeep.h"

#include <QDir>
#include <QFile>
#include <optional>

namespace vantor::history {

namespace {

QString quoted(const QByteArray& name) {
    return QStringLiteral("\"") + terminalText(name) + QStringLiteral("\"");
}

std::int64_t gamesPlayedAs(Database& db, const QByteArray& name, std::optional<bool> coop) {
    Statement s(db.handle(), "SELECT count(DISTINCT p.event) FROM player p JOIN event e ON "
                             "e.id=p.event WHERE p.name=?1 AND e.kind=1 AND e.undone=0 AND "
                             "(?2 IS NULL OR e.coop=?2)");
    s.bind(1, name);
    if (coop)
        s.bind(2, std::int64_t(*coop));
    s.step();
    return s.integer(0);
}

// The records of a name in a stats file (0 when the file cannot be read).
int recordsOf(const QString& statsPath, const QByteArray& name) {
    const auto names = stats::listPlayers(statsPath);
    if (!names)
        return 0;
    return int(std::count(names->begin(), names->end(), name));
}

QString statsFileOf(bool coop) {
    return coop ? kCoopStatsFile : kStatsFile;
}

void refuseUnknown(const QByteArray& name, const QString& where) {
    throw Error(QStringLiteral("There is no player %1 in %2 or in the game history; nothing was "
                               "changed.")
                    .arg(quoted(name), where));
}

AliasPlan check(Journal& journal, const QString& dataFolder, const QByteArray& name,
                const QByteArray& main, bool coop) {
    if (name.isEmpty() || main.isEmpty())
        throw Error(QStringLiteral("An alias needs two names that are not empty; nothing was "
                                   "changed."));
    if (name == main)
        throw Error(QStringLiteral("%1 cannot be an alias of itself; nothing was changed.")
                        .arg(quoted(name)));
    const AliasMap aliases = aliasMap(journal.database(), coop);
    if (const auto it = aliases.constFind(name); it != aliases.cend())
        throw Error(QStringLiteral("%1 is an alias of %2 already; nothing was changed.")
                        .arg(quoted(name), quoted(*it)));
    if (const auto it = aliases.constFind(main); it != aliases.cend())
        throw Error(QStringLiteral("%1 is itself an alias of %2: aliases do not form chains. Give "
                                   "%2 as the main name; nothing was changed.")
                        .arg(quoted(main), quoted(*it)));
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        if (*it == name)
            throw Error(QStringLiteral("%1 is the main name of its alias %2: aliases do not form "
                                       "chains. Nothing was changed.")
                            .arg(quoted(name), quoted(it.key())));
    AliasPlan plan;
    plan.name = name;
    plan.main = main;
    plan.coop = coop;
    plan.statsFile = statsFileOf(coop);
    const QString statsPath = QDir(dataFolder).filePath(plan.statsFile);
    plan.records = recordsOf(statsPath, name);
    plan.mainHasRecord = recordsOf(statsPath, main) > 0;
    plan.games = gamesPlayedAs(journal.database(), name, coop);
    const QString where = QStringLiteral("\"%1\"").arg(plan.statsFile);
    if (plan.records == 0 && plan.games == 0)
        refuseUnknown(name, where);
    if (!plan.mainHasRecord && gamesPlayedAs(journal.database(), main, coop) == 0)
        refuseUnknown(main, where);
    return plan;
}

bool knownAnywhere(Journal& journal, const QString& dataFolder, const QByteArray& name) {
    for (const bool coop : {false, true})
        if (recordsOf(QDir(dataFolder).filePath(statsFileOf(coop)), name) > 0)
            return true;
    return gamesPlayedAs(journal.database(), name, std::nullopt) > 0 ||
           hiddenNames(journal.database()).contains(name);
}

void checkHideIn(Journal& journal, const QString& dataFolder, const QByteArray& name, bool hidden) {
    if (name.isEmpty())
        throw Error(QStringLiteral("A player's name cannot be empty; nothing was changed."));
    const bool isHidden = hiddenNames(journal.database()).contains(name);
    if (hidden && isHidden)
        throw Error(QStringLiteral("%1 is hidden already.").arg(quoted(name)));
    if (!hidden && !isHidden)
        throw Error(
            QStringLiteral("%1 is not hidden (\"hidden\" lists who is).").arg(quoted(name)));
    if (!knownAnywhere(journal, dataFolder, name))
        throw Error(QStringLiteral("There is no player %1 in the stats files or in the game "
                                   "history; nothing was changed.")
                        .arg(quoted(name)));
}

} // namespace

AliasPlan planAlias(const QString& dataFolder, const QByteArray& name, const QByteArray& main,
                    bool coop) {
    HistoryAccess access(dataFolder);
    return check(access.journal(), dataFolder, name, main, coop);
}

AliasPlan addAlias(const QString& dataFolder, const QByteArray& name, const QByteArray& main,
                   bool coop) {
    HistoryAccess access(dataFolder);
    Journal& journal = access.journal();
    const AliasPlan plan = check(journal, dataFolder, name, main, coop);
    stats::mergePlayerInto(QDir(dataFolder).filePath(plan.statsFile), name, main);
    journal.addChange({EventKind::Alias, coop, name, main});
    return plan;
}

void checkHide(const QString& dataFolder, const QByteArray& name) {
    HistoryAccess access(dataFolder, false);
    checkHideIn(access.journal(), dataFolder, name, true);
}

void setHidden(const QString& dataFolder, const QByteArray& name, bool hidden) {
    // Hiding changes no file: a history out of step with the files still keeps it.
    HistoryAccess access(dataFolder, false);
    checkHideIn(access.journal(), dataFolder, name, hidden);
    access.journal().addMark({hidden ? EventKind::Hide : EventKind::Unhide, false, name, {}});
}

} // namespace vantor::history
