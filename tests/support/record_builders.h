#pragma once

#include "common/records.h"

#include <QByteArray>

namespace vantor::test {

// Records as the merge leaves them; derived values are left for the ranking to compute.
inline PlayerStatsRecord player(const QByteArray& name, int kills, int deaths, int games,
                                int hitPercentSum, int roundsFired = 0, int roundsTaken = 0,
                                const QByteArray& lastPlayed = "6/10/00") {
    PlayerStatsRecord r;
    r.name.setText(name);
    r.lastPlayed.setText(lastPlayed);
    r.kills = kills;
    r.deaths = deaths;
    r.games = games;
    r.hitPercentSum = hitPercentSum;
    r.roundsFired = roundsFired;
    r.roundsTaken = roundsTaken;
    return r;
}

inline LastGameRecord lastGamePlayer(const QByteArray& name, const QByteArray& team, int kills,
                                     int deaths, int hitPercent, const QByteArray& killedBy = {},
                                     int roundsFired = 0, int roundsTaken = 0) {
    LastGameRecord r;
    r.name.setText(name);
    r.lastPlayed.setText("6/10/00");
    r.killedBy.setText(killedBy);
    r.team.setText(team);
    r.kills = kills;
    r.deaths = deaths;
    r.games = 1;
    r.hitPercentSum = hitPercent;
    r.roundsFired = roundsFired;
    r.roundsTaken = roundsTaken;
    return r;
}

} // namespace vantor::test
