#include "upkeep.h"

#include "data_folder.h"
#include "game_type.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "common/integer_text.h"
#include "common/record_file.h"
#include "common/skill.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace vantor::stats {

namespace {
// An unreadable stats file counts as not there, as a missing one does.
bool openIfReadable(RecordFile<PlayerStatsRecord>& stats, FixedRecordFile::Mode mode) {
    try {
        return stats.tryOpen(mode);
    } catch (const Error&) {
        return false;
    }
}
} // namespace

std::optional<std::vector<QByteArray>> listPlayers(const QString& statsPath) {
    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!openIfReadable(stats, FixedRecordFile::Mode::Read))
        return std::nullopt;
    std::vector<QByteArray> names;
    PlayerStatsRecord r;
    while (stats.read(r)) {
        if (!r.isBlank())
            names.push_back(r.name.text());
    }
    stats.close();
    return names;
}

void sortForListing(std::vector<QByteArray>& names) {
    std::stable_sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        const QString ta = fromCp1252(a), tb = fromCp1252(b);
        const int folded = ta.compare(tb, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : ta < tb;
    });
}

void blankRecord(PlayerStatsRecord& r) {
    r.name.bytes[0] = 0;
    r.kills = 0;
    r.deaths = 0;
    r.games = 1;
    r.hitPercent = 0;
    r.hitPercentSum = 0;
    r.skillPoints = 0;
}

std::optional<int> deletePlayer(const QString& statsPath, const QByteArray& name,
                                const BeforeChangeFn& beforeChange) {
    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!openIfReadable(stats, FixedRecordFile::Mode::ReadWrite))
        return std::nullopt;
    if (beforeChange)
        beforeChange();
    int blanked = 0;
    PlayerStatsRecord r;
    while (stats.read(r)) {
        if (r.isBlank() || !r.name.sameText(name))
            continue;
        blankRecord(r);
        stats.seek(stats.position() - 1);
        stats.write(r);
        ++blanked;
    }
    stats.close();
    return blanked;
}

namespace {
// Two players' totals as one: plain sums (saturating), then the derived values. Each side's
// hit percentage sum already counts all its games.
void addRecordInto(PlayerStatsRecord& into, const PlayerStatsRecord& from) {
    const auto add = [](std::int32_t& a, std::int32_t b) {
        a = saturate32(std::int64_t(a) + std::int64_t(b));
    };
    add(into.kills, from.kills);
    add(into.deaths, from.deaths);
    add(into.games, from.games);
    add(into.hitPercentSum, from.hitPercentSum);
    add(into.roundsFired, from.roundsFired);
    add(into.roundsTaken, from.roundsTaken);
    calcskill(into);
}
} // namespace

std::optional<NameMerge> mergePlayerInto(const QString& statsPath, const QByteArray& name,
                                         const QByteArray& main,
                                         const BeforeChangeFn& beforeChange) {
    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!openIfReadable(stats, FixedRecordFile::Mode::Read))
        return std::nullopt;
    ensureWholeRecords(statsPath, sizeof(PlayerStatsRecord));
    // The first pass finds where the sum goes and adds up the other name's records.
    NameMerge result;
    std::int64_t target = -1;
    std::optional<PlayerStatsRecord> sum;
    PlayerStatsRecord r;
    for (std::int64_t at = 0; stats.read(r); ++at) {
        if (r.isBlank())
            continue;
        if (r.name.sameText(main) && !result.mainExisted) {
            result.mainExisted = true;
            target = at;
        } else if (r.name.sameText(name)) {
            ++result.merged;
            if (!sum)
                sum = r;
            else
                addRecordInto(*sum, r);
            if (!result.mainExisted && target < 0)
                target = at;
        }
    }
    stats.close();
    if (result.merged == 0)
        return result;

    if (beforeChange)
        beforeChange();
    stats.open(FixedRecordFile::Mode::Read);
    rewriteThroughWorkFile<PlayerStatsRecord>(
        besideFile(statsPath, kWorkFile), statsPath, [&](auto& work) {
            for (std::int64_t at = 0; stats.read(r); ++at) {
                if (at == target) {
                    if (result.mainExisted) {
                        addRecordInto(r, *sum);
                    } else {
                        r = *sum;
                        r.name.setText(main);
                    }
                } else if (!r.isBlank() && r.name.sameText(name)) {
                    blankRecord(r);
                }
                work.write(r);
            }
            stats.close();
        });
    return result;
}

std::optional<int> countPlayerRecords(const QString& statsPath, const QByteArray& name) {
    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!QFile::exists(statsPath) || !openIfReadable(stats, FixedRecordFile::Mode::Read))
        return std::nullopt;
    int count = 0;
    for (PlayerStatsRecord r; stats.read(r);)
        count += !r.isBlank() && r.name.sameText(name);
    return count;
}

const QStringList& deleteMeasureTexts() {
    static const QStringList texts = {QStringLiteral("Games Played"),
                                      QStringLiteral("Skill Points")};
    return texts;
}

std::optional<DeleteMeasure> deleteMeasureFromText(const QString& text) {
    const qsizetype i = deleteMeasureTexts().indexOf(text);
    if (i < 0)
        return std::nullopt;
    return DeleteMeasure(i);
}

QString unknownMeasureMessage(const QString& text) {
    return QStringLiteral("\"%1\" is not a measure players can be deleted by. Choose "
                          "\"Games Played\" or \"Skill Points\". No player was deleted.")
        .arg(text);
}

std::int32_t wholeNumberFromText(const QString& text) {
    return toIntegerFromText(text);
}

namespace {
// The measure and the count, checked before anything is written, so a bad one leaves no
// "work.dat". Kept when the record's value is above the count.
struct PruneRule {
    DeleteMeasure measure;
    std::int32_t limit;
    bool keeps(const PlayerStatsRecord& r) const {
        // The stored skill points count, as they stand in the file.
        return limit < (measure == DeleteMeasure::SkillPoints ? r.skillPoints : r.games);
    }
};

PruneRule pruneRule(const QString& countText, const QString& measureText) {
    const auto measure = deleteMeasureFromText(measureText);
    if (!measure)
        throw Error(unknownMeasureMessage(measureText));
    return {*measure, wholeNumberFromText(countText)};
}
} // namespace

std::optional<std::vector<PlayerStatsRecord>>
recordsToPrune(const QString& statsPath, const QString& countText, const QString& measureText) {
    if (countText.isEmpty() || !QFile::exists(statsPath))
        return std::nullopt;
    const PruneRule rule = pruneRule(countText, measureText);
    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!openIfReadable(stats, FixedRecordFile::Mode::Read))
        return std::nullopt;
    ensureWholeRecords(statsPath, sizeof(PlayerStatsRecord));
    std::vector<PlayerStatsRecord> gone;
    for (PlayerStatsRecord r; stats.read(r);)
        if (!rule.keeps(r))
            gone.push_back(r);
    return gone;
}

std::optional<PruneResult> deletePlayers(const QString& statsPath, const QString& countText,
                                         const QString& measureText,
                                         const BeforeChangeFn& beforeChange) {
    if (countText.isEmpty())
        return std::nullopt;
    if (!QFile::exists(statsPath))
        return std::nullopt;
    const PruneRule rule = pruneRule(countText, measureText);

    RecordFile<PlayerStatsRecord> stats(statsPath);
    if (!openIfReadable(stats, FixedRecordFile::Mode::Read))
        return std::nullopt;
    ensureWholeRecords(statsPath, sizeof(PlayerStatsRecord));

    if (beforeChange)
        beforeChange();
    const QString workPath = besideFile(statsPath, kWorkFile);
    PruneResult result;
    rewriteThroughWorkFile<PlayerStatsRecord>(workPath, statsPath, [&](auto& work) {
        PlayerStatsRecord r;
        while (stats.read(r)) {
            ++result.examined;
            if (rule.keeps(r)) {
                work.write(r);
                ++result.kept;
            }
        }
        stats.close();
    });
    return result;
}

QString deleteStatsFileQuestion(const QString& gameType) {
    return QStringLiteral("Are you sure you want to delete your %1 Stats file?").arg(gameType);
}

QString statsFileDeletedMessage(const QString& gameType) {
    return QStringLiteral("Your %1 Stats file has been deleted.").arg(gameType);
}

int deleteStatsFiles(const QString& gameType, const QString& folder,
                     const BeforeChangeFn& beforeChange) {
    QStringList files = filesOfGameType(gameType);
    if (files.isEmpty())
        throw Error(kSelectGameTypeMessage);
    if (folder != QStringLiteral("."))
        for (QString& file : files)
            file = QDir(folder).filePath(file);
    // Nothing to delete changes nothing, so the history is not touched either.
    if (beforeChange && std::any_of(files.begin(), files.end(), [](const QString& file) {
            return QFileInfo::exists(file) || QFileInfo(file).isSymLink();
        }))
        beforeChange();
    int deleted = 0;
    for (const QString& file : files) {
        if (::unlink(QFile::encodeName(file).constData()) == 0)
            ++deleted;
        else if (errno != ENOENT)
            throw Error(systemMessage(QStringLiteral("Cannot delete \"%1\"").arg(file), errno));
    }
    return deleted;
}

} // namespace vantor::stats
