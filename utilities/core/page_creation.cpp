#include "page_creation.h"

#include "history/journal/player_names.h"

#include "stats/data_folder.h"
#include "stats/game_type.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "common/file_writer.h"
#include "common/page_names.h"
#include "common/record_file.h"
#include "platform/date_time_text.h"
#include "platform/dialogs.h"
#include "platform/game_key.h"
#include "platform/settings_store.h"

namespace vantor::utilities {

namespace {

const QString kNoStatsForPage = QStringLiteral(" .log file not found.  HTML file was NOT created.");
const QString kNoStatsToView = QStringLiteral(" .log File not found.  There are no Stats to view.");
const QString kNoFileName = QStringLiteral(" You Must Enter In A File Name.");
const QString kPageCreated = QStringLiteral("Your HTML File was created successfully.");

} // namespace

QByteArray getplayername(const SettingsStore& store, const QString& winePrefix) {
    return toCp1252(readGameKey(store, winePrefix).playerName);
}

PageCreation::PageCreation(const SettingsStore& store, Dialogs& dialogs, Ranker ranker)
    : hiddenNames([](const QString& dataFolder) {
          try {
              return history::hiddenNamesIn(dataFolder);
          } catch (const Error& e) {
              // Publishing a player who opted out cannot be taken back: no page then.
              throw Error(QStringLiteral("The hidden players cannot be read: %1 The page was not "
                                         "written.")
                              .arg(e.message()));
          }
      }),
      store_(store), dialogs_(dialogs), ranker_(std::move(ranker)) {}

void PageCreation::hideProgress() {
    if (progress.hide)
        progress.hide();
}

bool PageCreation::statsFileMissing(const QString& statsFile, const QString& message) {
    if (progress.show)
        progress.show();
    RecordFile<PlayerStatsRecord> stats(statsFile);
    if (!stats.tryOpen(FixedRecordFile::Mode::Read)) {
        dialogs_.information(message);
        hideProgress();
        return true;
    }
    stats.close();
    if (progress.processEvents)
        progress.processEvents();
    return false;
}

void PageCreation::writePage(PageHead& head, const QString& statsFile, const QString& rankKey,
                             const QString& fileName) {
    const QDateTime now = clock();
    head.dateText = toCp1252(shortDateText(now.date()));
    head.timeText = toCp1252(longTimeText(now.time()));
    head.rankKey = toCp1252(rankKey);

    // Created before the ranking, so a name that cannot be created leaves the stats file alone.
    OutputFile page(fileName);
    const auto lock = stats::lockDataFolderOf(statsFile, progress.processEvents);
    head.hiddenNames = hiddenNames(stats::folderOf(statsFile));
    ranker_(statsFile, rankKey);

    // The file order is now the rank order: one pass over it writes the rows.
    RecordFile<PlayerStatsRecord> ranked(statsFile);
    ranked.open(FixedRecordFile::Mode::Read);
    StatsPageWriter writer(head, [&](std::string_view block) { page.write(block); });
    writer.begin();
    for (PlayerStatsRecord r; ranked.read(r);)
        writer.addPlayer(r);
    writer.end();
    ranked.close();
    page.commit();
}

bool PageCreation::createStatsPage(const PageRequest& request, RecentPageEntries& histories) {
    try {
        return statsPage(request, histories);
    } catch (...) {
        hideProgress();
        throw;
    }
}

bool PageCreation::createRankingsPage(const QString& gameType, const QString& rankKey) {
    try {
        return rankingsPage(gameType, rankKey);
    } catch (...) {
        hideProgress();
        throw;
    }
}

bool PageCreation::statsPage(const PageRequest& request, RecentPageEntries& histories) {
    PageHead head;
    head.kind = PageKind::Stats;
    head.playerName = getplayername(store_, winePrefix);
    const QString statsFile = statsFileName(request.gameType);
    if (statsFile.isEmpty()) {
        dialogs_.information(stats::kSelectGameTypeMessage);
        return false;
    }
    head.gameType = request.gameType.toLatin1();
    if (statsFileMissing(statsFile, kNoStatsForPage))
        return false;
    head.comment = pageComment(request.commentBoxText);
    if (!request.commentBoxText.isEmpty())
        histories.comments.offer(request.commentBoxText);
    if (request.fileName.isEmpty()) {
        dialogs_.information(kNoFileName);
        hideProgress();
        return false;
    }
    if (const QString reserved =
            fileReservedFromPages(request.fileName, stats::folderOf(statsFile), store_.path());
        !reserved.isEmpty()) {
        dialogs_.information(reservedPageNameMessage(reserved) +
                             QStringLiteral("  HTML file was NOT created."));
        hideProgress();
        return false;
    }
    writePage(head, statsFile, request.rankKey, request.fileName);
    dialogs_.information(kPageCreated);
    hideProgress();
    rememberPageFile(store_, histories, request.fileName);
    return true;
}

bool PageCreation::rankingsPage(const QString& gameType, const QString& rankKey) {
    PageHead head;
    head.kind = PageKind::Rankings;
    head.playerName = getplayername(store_, winePrefix);
    const QString statsFile = statsFileName(gameType);
    if (statsFile.isEmpty()) {
        dialogs_.information(stats::kSelectGameTypeMessage);
        return false;
    }
    head.gameType = gameType.toLatin1();
    if (statsFileMissing(statsFile, kNoStatsToView))
        return false;
    head.comment = QByteArrayLiteral("None");
    writePage(head, statsFile, rankKey, kRankingsPage);
    hideProgress();
    return true;
}

} // namespace vantor::utilities
