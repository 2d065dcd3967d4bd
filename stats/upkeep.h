#pragma once

#include "data_folder.h"

#include "common/records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantor::stats {

// Refresh Players: the names of the non-blank records, in file order, as their bytes.
// nullopt when the file cannot be opened (it does not exist yet, say).
std::optional<std::vector<QByteArray>> listPlayers(const QString& statsPath);

// The player list's alphabetical order: without regard to case first, then by case; the
// names are compared as the code page shows them.
void sortForListing(std::vector<QByteArray>& names);

// How a removed player's record looks: name emptied (the bytes after its length stay), the
// totals zeroed but games 1; the date and the rounds fired and taken are kept.
void blankRecord(PlayerStatsRecord& r);

// Delete Player: blanks, in place, every record whose name is exactly these bytes (case
// counts). Gives the number of records blanked, or nullopt when the file cannot be opened, in
// which case nothing changed.
std::optional<int> deletePlayer(const QString& statsPath, const QByteArray& name,
                                const BeforeChangeFn& beforeChange = {});

// What an alias did to a stats file.
struct NameMerge {
    int merged = 0;           // records of the other name added in and blanked
    bool mainExisted = false; // else the first of them now carries the main name
};

// An alias: every record of `name` is added into the first record of `main` and blanked as
// Delete Player blanks one; without a record of `main`, the first record of `name` takes its
// name. Main keeps its own date. The file is rebuilt through "work.dat" and a rename, so it is
// never half merged. nullopt when the file cannot be opened, in which case nothing changed.
std::optional<NameMerge> mergePlayerInto(const QString& statsPath, const QByteArray& name,
                                         const QByteArray& main,
                                         const BeforeChangeFn& beforeChange = {});

// How many records Delete Player would blank, changing nothing; nullopt when the file cannot be
// opened.
std::optional<int> countPlayerRecords(const QString& statsPath, const QByteArray& name);

// The measures "Delete Players" compares against.
// "Games Played", "Skill Points": the measure list's items, in the order of DeleteMeasure.
enum class DeleteMeasure { GamesPlayed, SkillPoints };
const QStringList& deleteMeasureTexts();
std::optional<DeleteMeasure> deleteMeasureFromText(const QString& text);
QString unknownMeasureMessage(const QString& text);

// A whole number as the count field is read, by the result logs' number rule; throws vantor::Error
// "'<text>' is not a valid integer value" for anything else.
std::int32_t wholeNumberFromText(const QString& text);

struct PruneResult {
    std::int64_t examined = 0;
    std::int64_t kept = 0;
};

// Delete Players ("With" N "or Less"): keeps only the records whose stored games or skill
// points exceed N. An empty count does nothing (nullopt), and so does a file that cannot be
// opened. A count that is not a whole number and an unknown measure are refused before
// anything is touched. The file is rebuilt through "work.dat" and a rename.
std::optional<PruneResult> deletePlayers(const QString& statsPath, const QString& countText,
                                         const QString& measureText,
                                         const BeforeChangeFn& beforeChange = {});

// What Delete Players would remove, changing nothing: the records whose stored value is N or
// less, blank ones included, in file order. Refuses and gives nullopt as deletePlayers does.
std::optional<std::vector<PlayerStatsRecord>>
recordsToPrune(const QString& statsPath, const QString& countText, const QString& measureText);

// Delete Player Stats File, once confirmed: the confirmation, the message after it, and the
// deletion of the game type's files (a missing one is no error).
QString deleteStatsFileQuestion(const QString& gameType);
QString statsFileDeletedMessage(const QString& gameType);
// The files are those of folder (the data folder by default). Gives how many files there were.
int deleteStatsFiles(const QString& gameType, const QString& folder = QStringLiteral("."),
                     const BeforeChangeFn& beforeChange = {});

} // namespace vantor::stats
