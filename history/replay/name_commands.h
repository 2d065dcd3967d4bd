#pragma once

#include "history/journal/player_names.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace vantor::history {

// What `alias NAME --is MAIN` does to one game type's stats file and history.
struct AliasPlan {
    QByteArray name;
    QByteArray main;
    bool coop = false;
    QString statsFile; // its name in the data folder
    int records = 0;   // NAME's records in it, added into MAIN's and blanked
    bool mainHasRecord = false;
    std::int64_t games = 0; // NAME's games in the history, from now on counted as MAIN's
};

// Checks an alias: refused (vantor::Error) when a name is empty or unknown (no record in the
// stats file and no game in the history), when NAME is MAIN, or when it would make a chain or a
// loop (NAME an alias already or the main name of others, MAIN an alias itself). Changes nothing.
AliasPlan planAlias(const QString& dataFolder, const QByteArray& name, const QByteArray& main,
                    bool coop);
// Checks it again under the lock and makes it: the stats file merged, then the journaled
// event, which replay and `undo-change` know. Gives what it did.
AliasPlan addAlias(const QString& dataFolder, const QByteArray& name, const QByteArray& main,
                   bool coop);

// `hide` / `unhide`: a journaled mark that changes no file. Refused for an unknown player, a
// player hidden already (hide) or not hidden (unhide).
void setHidden(const QString& dataFolder, const QByteArray& name, bool hidden);
// Whether `hide` would take the name: a known player not hidden; else the refusal is thrown.
void checkHide(const QString& dataFolder, const QByteArray& name);

} // namespace vantor::history
