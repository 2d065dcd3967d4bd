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
    PendingNote(const history::Journaling& journaling, QString folder)
        : journaling_(journaling), folder_(std::move(folder)) {}

    stats::BeforeChangeFn opener() {
        if (!journaling_.on)
            return {};
        return [this] { note_.emplace(folder_, journaling_.warn); };
    }
    void add(const history::ChangeEvent& event,
             const std::map<QString, history::FileState>& hints = {}) {
        if (note_)
            note_->add(event, hints);
    }

private:
    const history::Journaling& journaling_;
    QString folder_;
    std::optional<history::ChangeNote> note_;
};

} // namespace

stats::RankResult rankStatsFile(const history::Journaling& journaling, const QString& statsPath,
                                const QString& keyText, const stats::RankProgressFn& progress,
                                const stats::IdleFn& idle) {
    // An unknown key is refused before the folder is touched.
    if (!stats::rankKeyFromText(keyText))
        throw Error(stats::unknownRankKeyMessage(keyText));
    const auto lock = stats::lockDataFolderOf(statsPath, idle);
    PendingNote note(journaling, stats::folderOf(statsPath));
    // The ranked file's digest is folded as it is written, so the history need not read the
    // file again.
    history::DigestFold digest(sizeof(PlayerStatsRecord));
    stats::RecordsWrittenFn fold;
    if (journaling.on)
        fold = [&](const PlayerStatsRecord* records, std::size_t count) {
            digest.add(records, count);
        };
    const stats::RankResult result =
        stats::rankStatsFile(statsPath, keyText, progress, idle, note.opener(), fold);
    note.add({history::EventKind::Rank, isCoopFile(statsPath), keyText.toUtf8(), {}},
             {{QFileInfo(statsPath).fileName(), digest.stateOf(statsPath)}});
    return result;
}

std::optional<int> deletePlayer(const history::Journaling& journaling, const QString& statsPath,
                                const QByteArray& name) {
    if (!QFile::exists(statsPath))
        return std::nullopt;
    const auto lock = stats::lockDataFolderOf(statsPath);
    PendingNote note(journaling, stats::folderOf(statsPath));
    const auto blanked = stats::deletePlayer(statsPath, name, note.opener());
    if (blanked && *blanked > 0)
        note.add({history::EventKind::DeletePlayer, isCoopFile(statsPath), name, {}});
    return blanked;
}

std::optional<stats::PruneResult> deletePlayers(const history::Journaling& journaling,
                                                const QString& statsPath, const QString& countText,
                                                const QString& measureText) {
    if (countText.isEmpty() || !QFile::exists(statsPath))
        return std::nullopt;
    // Both are checked before the folder is touched.
    if (!stats::deleteMeasureFromText(measureText))
        throw Error(stats::unknownMeasureMessage(measureText));
    stats::wholeNumberFromText(countText);
    const auto lock = stats::lockDataFolderOf(statsPath);
    PendingNote note(journaling, stats::folderOf(statsPath));
    const auto result = stats::deletePlayers(statsPath, countText, measureText, note.opener());
    note.add({history::EventKind::DeletePlayers, isCoopFile(statsPath), countText.toUtf8(),
              measureText.toUtf8()});
    return result;
}

int deleteStatsFiles(const history::Journaling& journaling, const QString& gameType,
                     const QString& folder) {
    const QStringList files = stats::filesOfGameType(gameType);
    if (files.isEmpty())
        throw Error(stats::kSelectGameTypeMessage);
    const QString first = QDir(folder).filePath(files.first());
    const auto lock = stats::lockDataFolderOf(first);
    PendingNote note(journaling, stats::folderOf(first));
    const int deleted = stats::deleteStatsFiles(gameType, folder, note.opener());
    if (deleted > 0)
        note.add({history::EventKind::DeleteStatsFile, gameType == kCooperativeText, {}, {}});
    return deleted;
}

std::vector<PlayerStatsRecord> rankForLivePage(const history::Journaling& journaling,
                                               const QString& dataFolder,
                                               const QString& statsName) {
    PendingNote note(journaling, dataFolder);
    if (const auto open = note.opener())
        open();
    auto rankings = stats::rankStatsFileBySkill(QDir(dataFolder).filePath(statsName),
                                                QDir(dataFolder).filePath(kWorkFile));
    note.add({history::EventKind::LiveRank, statsName == kCoopStatsFile, {}, {}});
    return rankings;
}

} // namespace vantor::journaled
