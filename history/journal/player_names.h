#pragma once

#include "game_rows.h"
#include "sqlite_db.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace vantor::history {

// Other names a player went by: alias -> the name his games count under.
using AliasMap = QHash<QByteArray, QByteArray>;
QByteArray countedName(const AliasMap& aliases, const QByteArray& name);

// The rows' players (and who killed them) under the names their games count under.
void countRowsUnder(const AliasMap& aliases, std::vector<GameRow>& rows);

// Players who asked to be left out of every published page.
using NameSet = QSet<QByteArray>;

// One alias in force, as `alias` made it.
struct AliasEntry {
    std::int64_t id = 0; // its event, the id `undo-change` takes
    QByteArray at;       // "YYYY-MM-DD HH:MM:SS"
    bool coop = false;
    QByteArray name;
    QByteArray main;
};

// One hidden player, as the latest `hide` of the name made it.
struct HiddenEntry {
    std::int64_t id = 0;
    QByteArray at;
    QByteArray name;
};

// The aliases in force (not undone), oldest first; coop: only those of that game type;
// throughId: only those made up to that event.
std::vector<AliasEntry>
aliasEntries(Database& db, std::optional<bool> coop,
             std::int64_t throughId = std::numeric_limits<std::int64_t>::max());
AliasMap aliasMap(Database& db, bool coop,
                  std::int64_t throughId = std::numeric_limits<std::int64_t>::max());

// The players hidden now: every hide and unhide not undone, in the order they were made.
std::vector<HiddenEntry> hiddenEntries(Database& db);
NameSet hiddenNames(Database& db);
// The rows as they may be published: hidden players' rows gone, a "killed by" naming one empty.
void leaveOutHidden(const NameSet& hidden, std::vector<GameRow>& rows);

// The same from a data folder's history, for whoever only reads it (pages, the site): empty
// when the folder has no history. Throws vantor::Error when it cannot be read.
AliasMap aliasMapIn(const QString& dataFolder, bool coop);
NameSet hiddenNamesIn(const QString& dataFolder);

} // namespace vantor::history
