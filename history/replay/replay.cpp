#include "replay.h"

#include "history/journal/file_digest.h"
#include "history/journal/player_names.h"

#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/record_file.h"
#include "common/skill.h"
#include "stats/live_rankings.h"
#include "stats/merge.h"
#include "stats/ranking.h"
#include "stats/upkeep.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::history {

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    OutputFile out(path);
    out.write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    out.commit();
}

PlayerStatsRecord statsRecordOf(const GamePlayer& p) {
    PlayerStatsRecord r;
    r.name.setText(p.name);
    r.lastPlayed.setText(p.lastPlayed);
    r.kills = p.kills;
    r.deaths = p.deaths;
    r.games = 1;
    r.hitPercentSum = p.hitPercentSum;
    r.roundsFired = p.roundsFired;
    r.roundsTaken = p.roundsTaken;
    return r;
}

QString kindName(EventKind kind) {
    switch (kind) {
    case EventKind::Game:
        return QStringLiteral("game");
    case EventKind::Rank:
        return QStringLiteral("ranking");
    case EventKind::LiveRank:
        return QStringLiteral("live page ranking");
    case EventKind::DeletePlayer:
        return QStringLiteral("Delete Player");
    case EventKind::DeletePlayers:
        return QStringLiteral("Delete Players");
    case EventKind::DeleteStatsFile:
        return QStringLiteral("Delete Stats File");
    case EventKind::Alias:
        return QStringLiteral("alias");
    default:
        return QStringLiteral("mark");
    }
}

// A stats file held in memory while games are replayed into it, so that a player is found by
// his name at once instead of by reading the file from its start; merged by the same rule as a
// recorded game. Upkeep works on the file, so the image goes back to it first.
class StatsImage {
public:
    explicit StatsImage(QString path) : path_(std::move(path)) {}

    void merge(const PlayerStatsRecord& n) {
        load();
        stats::mergeByName(*this, n);
        dirty_ = true;
    }

    // Writes what changed back to the file and forgets it.
    void store() {
        if (loaded_ && dirty_ && bytes_)
            writeFile(path_, *bytes_);
        loaded_ = dirty_ = false;
        bytes_.reset();
        first_.clear();
    }

    // The table the merge works on.
    qsizetype find(QByteArrayView name) const { return first_.value(name.toByteArray(), -1); }
    PlayerStatsRecord read(qsizetype at) const {
        PlayerStatsRecord r;
        std::memcpy(&r, bytes_->constData() + at * kSize, kSize);
        return r;
    }
    void write(qsizetype at, const PlayerStatsRecord& r) {
        std::memcpy(bytes_->data() + at * kSize, &r, kSize);
    }
    void append(const PlayerStatsRecord& r) {
        // As a file read to its last whole record: the new one goes right after it.
        const qsizetype at = bytes_ ? bytes_->size() / kSize : 0;
        if (!bytes_)
            bytes_ = QByteArray();
        if (bytes_->size() < (at + 1) * kSize)
            bytes_->resize((at + 1) * kSize);
        write(at, r);
        first_.insert(r.name.text(), at);
    }

private:
    static constexpr qsizetype kSize = sizeof(PlayerStatsRecord);

    void load() {
        if (loaded_)
            return;
        const QByteArray now = readFileBytes(path_);
        if (!now.isNull())
            bytes_ = now;
        const qsizetype whole = bytes_ ? bytes_->size() / kSize : 0;
        for (qsizetype i = 0; i < whole; ++i) {
            const QByteArray name = read(i).name.text();
            if (!first_.contains(name))
                first_.insert(name, i);
        }
        loaded_ = true;
    }

    QString path_;
    std::optional<QByteArray> bytes_; // none: the file does not exist
    QHash<QByteArray, qsizetype> first_;
    bool loaded_ = false;
    bool dirty_ = false;
};

struct Images {
    StatsImage adversarial;
    StatsImage cooperative;
    // The aliases in force so far, per game type: a game's names are merged as the recorder
    // merged them.
    AliasMap adversarialAliases;
    AliasMap cooperativeAliases;
    void store() {
        adversarial.store();
        cooperative.store();
    }
    AliasMap& aliases(bool coop) { return coop ? cooperativeAliases : adversarialAliases; }
};

void applyEvent(Journal& journal, const QString& folder, const StoredEvent& e, bool undone,
                Images& images) {
    const QString statsPath = QDir(folder).filePath(e.coop ? kCoopStatsFile : kStatsFile);
    if (undone && isUpkeep(e.kind))
        return;
    if (e.kind != EventKind::Game)
        images.store();
    switch (e.kind) {
    case EventKind::Game: {
        if (undone)
            return;
        const auto game = journal.game(e.id);
        if (!game)
            throw Error(QStringLiteral("its game is missing"));
        StatsImage* image = game->gameType == kAdversarial   ? &images.adversarial
                            : game->gameType == kCooperative ? &images.cooperative
                                                             : nullptr;
        if (image) {
            const AliasMap& aliases = images.aliases(image == &images.cooperative);
            for (const GamePlayer& p : game->players) {
                PlayerStatsRecord r = statsRecordOf(p);
                if (const auto main = aliases.constFind(p.name); main != aliases.cend())
                    r.name.setText(*main);
                image->merge(r);
            }
        }
        stats::TeamResult teams;
        teams.known = game->outcome != TeamOutcome::Unknown;
        teams.blueWon = game->outcome == TeamOutcome::BlueWon;
        stats::saveteam(folder, teams, game->gameType);
        return;
    }
    case EventKind::Rank:
        stats::rankStatsFile(statsPath, QString::fromUtf8(e.arg1));
        return;
    case EventKind::LiveRank:
        stats::rankStatsFileBySkill(statsPath, QDir(folder).filePath(kWorkFile));
        return;
    case EventKind::DeletePlayer:
        stats::deletePlayer(statsPath, e.arg1);
        return;
    case EventKind::DeletePlayers:
        stats::deletePlayers(statsPath, QString::fromUtf8(e.arg1), QString::fromUtf8(e.arg2));
        return;
    case EventKind::DeleteStatsFile:
        stats::deleteStatsFiles(e.coop ? kCooperativeText : kAdversarialText, folder);
        return;
    case EventKind::Alias:
        // One with an empty name was never made by `alias`.
        if (undone || e.arg1.isEmpty() || e.arg2.isEmpty())
            return;
        stats::mergePlayerInto(statsPath, e.arg1, e.arg2);
        images.aliases(e.coop).insert(e.arg1, e.arg2);
        return;
    case EventKind::UndoGame:
    case EventKind::RedoGame:
    case EventKind::Hide:
    case EventKind::Unhide:
        return;
    }
}

} // namespace

FileSet currentFiles(const QString& folder) {
    FileSet files;
    for (const QString& name : journaledFiles())
        files[name] = readFileBytes(QDir(folder).filePath(name));
    return files;
}

QByteArray digestOfFiles(const FileSet& files) {
    std::map<QString, FileState> states;
    for (const auto& [name, bytes] : files) {
        FileState s;
        if (!bytes.isNull()) {
            s.present = true;
            s.size = bytes.size();
            s.digest = digestOf(bytes, recordSizeOf(name));
        }
        states[name] = s;
    }
    return combinedDigest(states);
}

FileSet replayJournal(Journal& journal, const QString& scratchFolder,
                      const std::map<std::int64_t, bool>& undone) {
    for (const auto& [name, bytes] : journal.baseline())
        if (!bytes.isNull())
            writeFile(QDir(scratchFolder).filePath(name), bytes);

    // Aliases made before the baseline are in its files already, and still name later games.
    const std::int64_t before = journal.baselineEnd();
    Images images{StatsImage(QDir(scratchFolder).filePath(kStatsFile)),
                  StatsImage(QDir(scratchFolder).filePath(kCoopStatsFile)),
                  aliasMap(journal.database(), false, before),
                  aliasMap(journal.database(), true, before)};
    journal.forEachEvent([&](const StoredEvent& e) {
        const auto o = undone.find(e.id);
        const bool isUndone = o != undone.end() ? o->second : e.undone;
        try {
            applyEvent(journal, scratchFolder, e, isUndone, images);
        } catch (const Error& err) {
            if (!undone.empty() && e.kind != EventKind::Game)
                return; // it could not have happened without the game taken out
            throw Error(QStringLiteral("The %1 of event %2 in the game history cannot be "
                                       "replayed: %3")
                            .arg(kindName(e.kind))
                            .arg(e.id)
                            .arg(err.message()));
        }
    });
    images.store();
    return currentFiles(scratchFolder);
}

} // namespace vantor::history
