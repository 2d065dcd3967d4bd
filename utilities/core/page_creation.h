#pragma once

#include "recent_entries.h"
#include "stats_page.h"

#include "common/timing.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace vantor {
class Dialogs;
class SettingsStore;
} // namespace vantor

namespace vantor::utilities {

// Ranks a stats file by a rank key, leaving the file rewritten in rank order. Throws
// vantor::Error when the ranking fails or the key is refused.
using Ranker = std::function<void(const QString& statsFile, const QString& key)>;

inline const QString kRankingsPage = QStringLiteral("Rankings.html");

// The local player's multiplayer name from the game's key, as bytes of code page 1252;
// empty when the key or the value is missing.
QByteArray getplayername(const SettingsStore& store, const QString& winePrefix = QString());

// What "Save" reads from the window.
struct PageRequest {
    QString gameType;
    QString rankKey;
    QString commentBoxText;
    QString fileName;
};

// The window's side while a page is made.
struct PageProgress {
    std::function<void()> show;          // the progress bar appears
    std::function<void()> hide;          // the progress bar is hidden and set back to 0
    std::function<void()> processEvents; // the window repaints and stays live
};

// Makes the stats page ("Save") and the rankings view ("View Player Rankings"). Expected
// conditions are answered with an information box; failures throw vantor::Error after any
// partial page file has been removed.
class PageCreation {
public:
    PageCreation(const SettingsStore& store, Dialogs& dialogs, Ranker ranker);

    PageProgress progress;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // The players left out of every page: those the data folder's game history hides.
    std::function<QSet<QByteArray>(const QString& dataFolder)> hiddenNames;
    QString winePrefix; // where the game's key is looked up besides the store
    int lockTimeoutMs = kUtilitiesLockWaitMs;

    // True when the page was written; the histories are then updated and stored.
    bool createStatsPage(const PageRequest& request, RecentPageEntries& histories);
    // True when "Rankings.html" was written; the histories are not touched.
    bool createRankingsPage(const QString& gameType, const QString& rankKey);

private:
    bool statsPage(const PageRequest& request, RecentPageEntries& histories);
    bool rankingsPage(const QString& gameType, const QString& rankKey);
    void writePage(PageHead& head, const QString& statsFile, const QString& rankKey,
                   const QString& fileName);
    bool statsFileMissing(const QString& statsFile, const QString& message);
    void hideProgress();

    const SettingsStore& store_;
    Dialogs& dialogs_;
    Ranker ranker_;
};

} // namespace vantor::utilities
