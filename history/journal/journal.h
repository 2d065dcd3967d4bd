#pragma once

#include "file_digest.h"
#include "game_rows.h"
#include "sqlite_db.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace vantor::history {

// What changed the data files. The numbers are stored; never renumber them.
enum class EventKind {
    Game = 1,            // a recorded game merged into its stats file and "team.log"
    Rank = 2,            // the utilities ranked a stats file by a key (arg1)
    LiveRank = 3,        // the recorder ranked a stats file for its live page
    DeletePlayer = 4,    // arg1: the name
    DeletePlayers = 5,   // arg1: the count text, arg2: the measure
    DeleteStatsFile = 6, // the stats file of the game type (and "team.log" with "stats.log")
    UndoGame = 7,        // arg1: the event's id, a game's or another change's; replay looks at the
    RedoGame = 8,        // event's mark instead
    Alias = 9,           // arg1: the other name, arg2: the name its games count under
    Hide = 10,           // arg1: the name left out of published pages (both game types)
    Unhide = 11,         // arg1: the name shown again
};
inline constexpr std::int64_t kLastEventKind = 11;
bool changesFiles(EventKind kind);
// A change a user made with the utilities or the recorder's live page, other than a game:
// ranking, Delete Player, Delete Players, Delete Stats File. These can be undone one by one.
bool isUpkeep(EventKind kind);

// One player's figures as the merge was given them.
struct GamePlayer {
    QByteArray name;
    QByteArray team;
    QByteArray killedBy;
    QByteArray lastPlayed; // the date stamped on the record
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
    std::int32_t hitPercentSum = 0; // this game's hit percentage
    std::int32_t roundsFired = 0;
    std::int32_t roundsTaken = 0;
};

// A recorded game as the journal keeps it.
struct GameRecord {
    std::int64_t id = 0;
    QByteArray playedAt; // "YYYY-MM-DD HH:MM:SS"
    QByteArray gameType;
    QByteArray map;
    QByteArray rules;
    QByteArray elapsedTime;
    TeamOutcome outcome = TeamOutcome::Unknown;
    QByteArray log; // the result log's bytes
    bool undone = false;
    std::vector<GamePlayer> players;
};

// Any other change of the files.
struct ChangeEvent {
    EventKind kind = EventKind::Rank;
    bool coop = false;
    QByteArray arg1;
    QByteArray arg2;
};

// One event as replay walks them, oldest first.
struct StoredEvent {
    std::int64_t id = 0;
    QByteArray at; // "YYYY-MM-DD HH:MM:SS"
    EventKind kind = EventKind::Rank;
    bool coop = false;
    bool undone = false;
    QByteArray arg1;
    QByteArray arg2;
    QByteArray digest; // of the files after it
};

// The digest of the three files as one stored value.
QByteArray combinedDigest(const std::map<QString, FileState>& files);

// The game history "games.db" of one data folder. Every write is one transaction, so the
// database itself is never half changed; agreement with the files is checked by digests.
// Every failure throws vantor::Error; nothing here changes a data file.
class Journal {
public:
    // Opens the journal; a missing one is made, with a baseline copy of the current files.
    // Call it holding the data-folder lock.
    static std::unique_ptr<Journal> openOrCreate(const QString& dataFolder);
    // nullptr when there is none.
    static std::unique_ptr<Journal> openExisting(const QString& dataFolder);
    static QString pathIn(const QString& dataFolder);

    // Games whose commit a crash left unknown: kept when their claimed log (claimKey) is gone,
    // deleted while it is still there, since that game was undone and waits to be recorded.
    void settlePending(const QByteArray& currentClaimKey);

    // Compares the files with what the journal last saw. Empty when they agree; else why not,
    // and the journal is marked out of step (firstTime tells whether it was in step until now).
    struct StepCheck {
        bool inStep = true;
        bool firstTime = false;
        QString reason;
    };
    StepCheck checkFiles();
    // Why it is out of step, or empty.
    QString outOfStepReason();
    void markOutOfStep(const QString& reason);
    // The files were rebuilt as the history has them: it agrees with them again.
    void acceptFiles();

    // Adds an event after the files were changed; gives its id. claimKey marks a game not yet
    // known to be committed (empty for none).
    // hints: states of changed files already known (from the records a game changed), trusted
    // while the file's identity is the one they name.
    std::int64_t addGame(const GameRecord& game, const QByteArray& claimKey,
                         const std::map<QString, FileState>& hints = {});
    // What the journal last saw of the files.
    std::map<QString, FileState> knownStates() { return storedStates(); }
    // hints: states of files whose digest the caller folded as it wrote them.
    std::int64_t addChange(const ChangeEvent& event,
                           const std::map<QString, FileState>& hints = {});
    // An event that changes no file (a hide): it carries the digest the files had last and
    // leaves what the journal saw of them alone, so it can be added while out of step.
    std::int64_t addMark(const ChangeEvent& event);
    // Takes back an event whose change was undone.
    void removeEvent(std::int64_t id);
    // Marks an event (a game or an upkeep change) undone or not, with an undo/redo event
    // carrying the files' new digest.
    void markEvent(std::int64_t id, bool undone);
    // Starts afresh from the current files: a new baseline, the old events kept for showing but
    // no longer replayed.
    void startBaseline();

    // Reading.
    std::vector<GameRow> games(std::optional<bool> coop, std::int64_t last);
    std::vector<GameRow> gamesOf(const QByteArray& name, std::optional<bool> coop);
    // id: the game's event.
    std::optional<GameRecord> game(std::int64_t id);
    // Every game in id order, players filled in, one at a time: memory stays bounded however
    // long the history. coop: only games of that type (all when unset); afterEvent: only the
    // games recorded after that event.
    void forEachGame(std::optional<bool> coop, const std::function<void(const GameRow&)>& visit,
                     std::int64_t afterEvent = 0);
    // What the games up to an event were: equal stamps, taken before and after other changes,
    // mean those games are still the same (none added before it, removed, undone or redone).
    struct GamesStamp {
        std::int64_t throughEvent = 0;
        std::int64_t games = 0;       // game events up to it, undone ones included
        std::int64_t lastMarking = 0; // the newest undo or redo event
        QByteArray identity;          // the first event and throughEvent as stored
        bool operator==(const GamesStamp&) const = default;
    };
    // holding: a stamp before throughEvent that is known to hold, so only the games after it
    // are counted.
    GamesStamp gamesStamp(std::optional<bool> coop, std::int64_t throughEvent,
                          const GamesStamp* holding = nullptr);
    // In one read of the history: when since still holds, visits the games after it and gives
    // the stamp through the last one; else visits nothing and gives nullopt. Without since, from
    // the first game.
    std::optional<GamesStamp> foldGames(std::optional<bool> coop, const GamesStamp* since,
                                        const std::function<void(const GameRow&)>& visit);
    // The event of the game numbered so (GameRow::id); nullopt when there is none.
    std::optional<std::int64_t> gameEvent(std::int64_t number);
    // The upkeep changes, oldest first (coop: only those of that stats file).
    std::vector<StoredEvent> upkeepChanges(std::optional<bool> coop);
    std::optional<StoredEvent> upkeepChange(std::int64_t id);
    // Whether the event can still be replayed (recorded since the current baseline).
    bool replayable(std::int64_t id);
    // The last event before the current baseline (0 for none).
    std::int64_t baselineEnd() { return metaInteger("baseline_after"); }
    // The baseline's files: name -> bytes (a null QByteArray for a file that did not exist).
    std::map<QString, QByteArray> baseline();
    // The events since the baseline, oldest first.
    void forEachEvent(const std::function<void(const StoredEvent&)>& visit);
    QByteArray lastDigest();

    Database& database() { return db_; }
    const QString& dataFolder() const { return folder_; }

private:
    Journal(const QString& dataFolder, bool create);
    void createSchema();
    void writeBaseline();
    // Refuses a database holding a view, a virtual table or a trigger, none of which we make:
    // in place of one of our tables, its queries could run forever or read what it chooses.
    void checkSchemaIsOurs();
    void checkVersion();
    std::map<QString, FileState> storedStates();
    // Reads the files' identities, hashing only those that changed since the last event.
    std::map<QString, FileState> currentStates(const std::map<QString, FileState>& known,
                                               bool* changed,
                                               const std::map<QString, FileState>& hints = {});
    void storeStates(const std::map<QString, FileState>& states);
    std::int64_t insertEvent(EventKind kind, bool coop, const QByteArray& arg1,
                             const QByteArray& arg2, const QByteArray& claim,
                             const QByteArray& digest);
    std::vector<GameRow> rowsOf(Statement& select);
    void fillPlayers(std::vector<GameRow>& rows);
    std::int64_t metaInteger(const char* key);

    QString folder_;
    Database db_;
};

} // namespace vantor::history
