#include "live_stats.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/page_names.h"
#include "common/record_file.h"
#include "live_page.h"
#include "stats/live_rankings.h"

#include "history/journal/player_names.h"
#include "history/journaled/journaled_changes.h"
#include "platform/data_folder_lock.h"
#include "platform/date_time_text.h"
#include "platform/live_stats_settings.h"
#include "stats/merge.h"

#include <QDir>

namespace vantor::recorder {

namespace {

const QString kLivePageNotWritten = QStringLiteral("  The live stats page was NOT written.");

struct Settings {
    QString hostFileName;
    QByteArray reloadTime;
};

class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }

private:
    bool& flag_;
};

} // namespace

LiveStats::LiveStats(QString dataFolder, SettingsStore settings)
    : dataFolder_(std::move(dataFolder)), settings_(std::move(settings)) {}

QString LiveStats::dataFile(const QString& name) const {
    return QDir(dataFolder_).filePath(name);
}

bool LiveStats::writePage(const stats::GameInfo& game, const QByteArray& playerName) {
    if (running_)
        return false;
    RunningFlag running(running_);

    Settings settings;
    if (auto key = settings_.openKey(kVantorKey, true)) {
        const LiveStatsSettings stored = readLiveStatsSettings(*key);
        settings.hostFileName = stored.hostFileName;
        settings.reloadTime = pageReloadTime(stored.reloadTime);
        if (stored.useCustomImage == true)
            imageUrl_ = toCp1252(stored.customImagePath);
        else if (stored.useCustomImage == false)
            imageUrl_.clear();
    }
    if (settings.hostFileName.isEmpty())
        return false;
    // The store can be edited by hand: a page named like a data file would replace it.
    if (const QString reserved =
            fileReservedFromPages(settings.hostFileName, dataFolder_, settings_.path());
        !reserved.isEmpty())
        throw Error(reservedPageNameMessage(reserved) + kLivePageNotWritten);

    {
        DataFolderLock lock(dataFolder_);
        lock.lockOrThrow(lockTimeoutMs, idle);

        LivePageContent page;
        page.gameType = game.gameType;
        page.map = game.map;
        page.rules = game.rules;
        page.elapsedTime = game.elapsedTime;
        page.playerName = playerName;
        page.reloadTime = settings.reloadTime;
        page.imageUrl = imageUrl_;
        page.links = links;
        if (journaling.on)
            page.hiddenNames = history::hiddenNamesIn(dataFolder_);

        if (game.gameType == kAdversarial) {
            // A "team.log" the utilities deleted meanwhile shows no wins yet.
            const auto teams = readAllRecords<TeamWinsRecord>(dataFile(kTeamFile));
            page.blueWins = teams.size() > 0 ? teams[0].wins : 0;
            page.goldWins = teams.size() > 1 ? teams[1].wins : 0;
        }

        OutputFile pageFile(dataFile(settings.hostFileName));

        const QString statsName = statsFileName(game.gameType);
        std::vector<PlayerStatsRecord> rankings;
        if (!statsName.isEmpty()) {
            rankings = journaled::rankForLivePage(journaling, dataFolder_, statsName);
        }
        const std::vector<LastGameRecord> lastGame =
            stats::rankLastGameFileBySkill(dataFile(kLastGameFile), dataFile(kWorkFile));
        page.rankings = rankings;
        page.lastGame = lastGame;

        page.dateText = dateText ? dateText() : toCp1252(shortDateText());
        page.timeText = timeText ? timeText() : toCp1252(longTimeText());
        writeLivePage(page, [&](QByteArrayView block) {
            pageFile.write(std::string_view(block.data(), std::size_t(block.size())));
        });
        // Its players are on the page now; the next game starts a fresh file.
        removeQuietly(dataFile(kLastGameFile));
        pageFile.commit();
    }

    if (onPageWritten)
        onPageWritten();
    return true;
}

} // namespace vantor::recorder
