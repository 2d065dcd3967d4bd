#include "recording_cycle.h"

#include "history/journal/journal.h"
#include "platform/date_time_text.h"

namespace vantor::recorder {

history::GameRecord journalGame(const stats::ResultLog& log, const QByteArray& logBytes) {
    history::GameRecord g;
    g.playedAt = stampText().toLatin1();
    g.gameType = log.info.gameType;
    g.map = log.info.map;
    g.rules = log.info.rules;
    g.elapsedTime = log.info.elapsedTime;
    g.outcome = !log.teams.known    ? history::TeamOutcome::Unknown
                : log.teams.blueWon ? history::TeamOutcome::BlueWon
                                    : history::TeamOutcome::RedWon;
    g.log = logBytes;
    for (const stats::PlayerResult& p : log.players) {
        history::GamePlayer pl;
        pl.name = p.stats.name.text();
        pl.team = p.lastGame.team.text();
        pl.killedBy = p.lastGame.killedBy.text();
        pl.lastPlayed = p.stats.lastPlayed.text();
        pl.kills = p.stats.kills;
        pl.deaths = p.stats.deaths;
        pl.hitPercentSum = p.stats.hitPercentSum;
        pl.roundsFired = p.stats.roundsFired;
        pl.roundsTaken = p.stats.roundsTaken;
        g.players.push_back(std::move(pl));
    }
    return g;
}

} // namespace vantor::recorder
