#pragma once

#include "history/journal/game_rows.h"
#include "history/journal/player_names.h"

#include "common/page_links.h"
#include "common/records.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantor::history {

// What the history commands show. Names and other game texts come in as code page 1252 bytes;
// every view decodes them itself, so a caller passes rows as the journal holds them.
//
// The two text views are UTF-8 for a terminal, columns aligned by characters. Control
// characters a player put into his name are shown as '?', so a name cannot move the cursor or
// recolour the terminal.

// `games`: a heading, then one line per game in the order given (newest first): id, date and
// time, map, rules, players, team result ("blue won", "gold won", "-"), "(undone)" for a game
// taken back. "No games recorded." when there are none.
QByteArray gamesListText(const std::vector<GameRow>& newestFirst);

// `history NAME`: a heading, then one line per block of that player, oldest first (by id):
// id, date and time, map, team, kills, deaths, hit %, skill points, "(undone)". Games without
// the player are passed over, so the caller may give all games of the stats file.
QByteArray playerHistoryText(const QByteArray& name, const std::vector<GameRow>& games);

// `player-page`: an HTML page in the colours of the stats pages, with the logo, credit and
// links of `links`, the player's totals (`totals` null: the player is no longer in the stats
// file), a chart of skill points and kills per game drawn as inline SVG, and a table of the
// player's games. Self-contained: no script, nothing fetched. Undone games stay in the table,
// marked, but are not drawn: they no longer count. UTF-8, all game texts escaped. A page
// published for a while says when it was made: "Last updated: <lastUpdated>" (none when empty).
// hidden: players who asked to be left out of pages; a "Killed by" naming one stays empty.
QByteArray playerPageHtml(const QByteArray& name, const PlayerStatsRecord* totals,
                          const std::vector<GameRow>& games, const PageLinks& links,
                          const QString& lastUpdated = QString(), const NameSet& hidden = {});

// `export --json`: {"players":[...],"games":[...]} as one UTF-8 JSON document. Blank records
// (deleted players) are left out. A game's "outcome" is "blue", "gold" or null when unknown.
QByteArray exportJson(const std::vector<PlayerStatsRecord>& players,
                      const std::vector<GameRow>& games);

// One game as `export --json` writes it in its "games" list.
QByteArray gameJson(const GameRow& game);

// The blocks of `game` whose name the merge would join with `name`: those with the same bytes,
// case-sensitive, both compared as the stats file stores names (cut to 50 characters). A name
// the log holds twice was merged twice, so both blocks count. Empty when he did not play.
std::vector<const PlayerGameRow*> blocksOf(const GameRow& game, const QByteArray& name);

// Every block of the player in `games`, by game number (a game's blocks in log order).
struct PlayedBlock {
    const GameRow* game;
    const PlayerGameRow* player;
};
std::vector<PlayedBlock> blocksOf(const std::vector<GameRow>& games, const QByteArray& name);

// The game's team result as the views word it: "blue won", "gold won", or "-" when unknown.
QByteArray outcomeText(TeamOutcome outcome);

} // namespace vantor::history
