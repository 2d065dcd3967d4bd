#include "journaled_changes.h"

#include "common/data_files.h"
#include "common/error.h"
#include "history/journal/file_digest.h"
#include "stats/data_folder.h"
#include "stats/game_type.h"
#include "stats/live_rankings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantor::journaled {

namespace {

bool isCoopFile(const QString& statsPath) {
    return QFileInfo(statsPath).fileName() == kCoopStatsFile;
}

// The note of one change, opened when the stats floor starts to change the files: an operation
// refused before that leaves the history as it was.
class PendingNote {
public:
    PendingNote(QString folder, history::WarnFn warn)
        : folder_(std::move(folder)), warn_(std::move(warn)) {}

    stats::BeforeChangeFn opener() {
        return [this] { note_.emplace(folder_, warn_); };
    }
    void add(const history::ChangeEvent& event,
             const std::map<QString, history::FileState>& hints = {}) {
        if (note_)
            note_->add(event, hints);
    }

private:
    QString folder_;
    history::WarnFn warn_;
    std::optional<history::ChangeNote> note_;
};

} // namespace

stats::RankResult rankStatsFile(const QString& statsPath, const QString& keyText,
                                const stats::RankProgressFn& progress, const stats::IdleFn& idle,
                                const history::WarnFn& warn) {
    // An unknown key is refused before the folder is touched.
    if (!stats::rankKeyFromText(keyText))
        throw Error(stats::unknownRankKeyMessage(keyText));
    const auto lock = stats::lockDataFolderOf(statsPath, idle);
    PendingNote note(stats::folderOf(statsPath), warn);
    // The ranked file's digest is folded as it is written, so the history need not read the
    // file again.
    history::DigestFold digest(sizeof(PlayerStatsRecord));
    const stats::RankResult result = stats::rankStatsFile(
        statsPath, keyText, progress, idle, note.opener(),
        [&](const PlayerStatsRecord* records, std::size_t count) { digest.add(records, count); });
    note.add({history::EventKind::Rank, isCoopFile(statsPath), keyText.toUtf8(), {}},
             {{QFileInfo(statsPath).fileName(), digest.stateOf(statsPath)}});
    return result;
}

std::optional<int> deletePlayer(const QString& statsPath, const QByteArray& name,
                                const history::WarnFn& warn) {
    if (!QFile::exists(statsPath))
        return std::nullopt;
    const auto lock = stats::lockDataFolderOf(statsPath);
    PendingNote note(stats::folderOf(statsPath), warn);
    const auto blanked = stats::deletePlayer(statsPath, name, note.opener());
    if (blanked && *blanked > 0)
        note.add({history::EventKind::DeletePlayer, isCoopFile(statsPath), name, {}});
    return blanked;
}

std::optional<stats::PruneResult> deletePlayers(const QString& statsPath, const QString& countText,
                                                const QString& measureText,
                                                const history::WarnFn& warn) {
    if (countText.isEmpty() || !QFile::exists(statsPath))
        return std::nullopt;
    // Both are checked before the folder is touched.
    if (!stats::deleteMeasureFromText(measureText))
        throw Error(stats::unknownMeasureMessage(measureText));
    stats::wholeNumberFromText(countText);
    const auto lock = stats::lockDataFolderOf(statsPath);
    PendingNote note(stats::folderOf(statsPath), warn);
    const auto result = stats::deletePlayers(statsPath, countText, measureText, note.opener());
    note.add({history::EventKind::DeletePlayers, isCoopFile(statsPath), countText.toUtf8(),
              measureText.toUtf8()});
    return result;
}

void deleteStatsFiles(const QString& gameType, const QString& folder, const history::WarnFn& warn) {
    const QStringList files = stats::filesOfGameType(gameType);
    if (files.isEmpty())
        throw Error(stats::kSelectGameTypeMessage);
    const auto lock = stats::lockDataFolderOf(QDir(folder).filePath(files.first()));
    PendingNote note(stats::folderOf(QDir(folder).filePath(files.first())), warn);
    stats::deleteStatsFiles(gameType, folder, note.opener());
    note.add({history::EventKind::DeleteStatsFile, gameType == kCooperativeText, {}, {}});
}

std::vector<PlayerStatsRecord> rankForLivePage(const QString& dataFolder, const QString& statsName,
                                               const history::WarnFn& warn) {
    history::ChangeNote note(dataFolder, warn);
    auto rankings = stats::rankStatsFileBySkill(QDir(dataFolder).filePath(statsName),
                                                QDir(dataFolder).filePath(kWorkFile));
    note.add({history::EventKind::LiveRank, statsName == kCoopStatsFile, {}, {}});
    return rankings;
}

} // namespace vantor::journaled
