#pragma once

#include "common/data_files.h"
#include "common/records.h"
#include "common/skill.h"
#include "result_log.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <span>

namespace vantor {
class ChangeGuard;
}

namespace vantor::stats {

// How a game's record n takes in the stored record s of the same name: the sums (saturating),
// then the derived values.
template <class Record> void mergeTotals(Record& n, const Record& s);

// The rule of every merge into a stats file: a game's record goes into the first record of its
// name, which may be one appended earlier in the same merge, else it is appended. The table
// gives a name's first position (or -1), reads and writes a position and appends.
template <class Record, class Table> void mergeByName(Table& table, Record n) {
    if (const std::int64_t at = table.find(n.name.view()); at >= 0) {
        mergeTotals(n, table.read(at));
        table.write(at, n);
    } else {
        calcskill(n);
        table.append(n);
    }
}

// Adds one player's game to the stats file of the game type in `dataFolder`. A game type
// without a stats file is left alone (false).
bool saveplayer(const QString& dataFolder, PlayerStatsRecord player, QByteArrayView gameType);

// The same for all players of one game, in their order, reading the stats file once: the file
// ends as saveplayer called for each of them in turn would leave it. guard is told before each
// change of a file (the undo journal of the game).
bool saveplayers(const QString& dataFolder, std::span<const PlayerStatsRecord> players,
                 QByteArrayView gameType, ChangeGuard* guard = nullptr);

// The same merge on "lastgame.log"; the newest block's killed-by, team and date win.
void savelastgame(const QString& dataFolder, LastGameRecord player, ChangeGuard* guard = nullptr);

struct TeamTotals {
    TeamWinsRecord blue;
    TeamWinsRecord gold;
};

// Adds an adversarial game's win to "team.log" (blue record first, gold second) and gives the
// records as written. A game whose winner is unknown adds no win. Other game types: nothing.
TeamTotals saveteam(const QString& dataFolder, const TeamResult& result, QByteArrayView gameType,
                    ChangeGuard* guard = nullptr);

} // namespace vantor::stats
