#pragma once

#include "common/page_links.h"
#include "stats/result_log.h"

#include "common/timing.h"
#include "history/journal/change_note.h"
#include "platform/settings_store.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace vantor::recorder {

// The live stats step after each recorded game: rank the stats file of the game's type and
// "lastgame.log", write the page named by "hostfilename", delete "lastgame.log", upload.
class LiveStats {
public:
    LiveStats(QString dataFolder, SettingsStore settings);

    // The upload of the page just written; runs after the data folder has been released.
    std::function<void()> onPageWritten;
    // Whether the page's ranking goes into the game history, and where its warnings go.
    history::Journaling journaling;
    // Runs while the step waits for the other program to release the data folder.
    std::function<void()> idle;
    int lockTimeoutMs = kLiveStatsLockWaitMs;
    // The page's date and time; the system's short date and long time unless replaced.
    std::function<QByteArray()> dateText;
    std::function<QByteArray()> timeText;
    // The page's addresses and images; the build settings unless replaced.
    PageLinks links = PageLinks::fromBuild();

    // True when a page was written (and handed to onPageWritten). Throws vantor::Error when a
    // file cannot be read or written (the data files are then whole, old or new, and no partial
    // page is left), and, touching nothing, when "hostfilename" names one of the files the
    // programs keep their data in.
    bool writePage(const stats::GameInfo& game, const QByteArray& playerName);

    bool isRunning() const { return running_; }
    // Kept from page to page; "usecustomimage" neither "true" nor "false" leaves it.
    const QByteArray& imageUrl() const { return imageUrl_; }

private:
    QString dataFile(const QString& name) const;

    QString dataFolder_;
    SettingsStore settings_;
    QByteArray imageUrl_;
    bool running_ = false;
};

} // namespace vantor::recorder
