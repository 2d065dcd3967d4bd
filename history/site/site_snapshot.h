#pragma once

#include "site_model.h"
#include "site_pages.h"

#include "history/journal/journal.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace vantor::history::site {

// The folded model kept in the site's folder between builds, so that a refresh reads only the
// games recorded since instead of the whole history. Only a cache: whatever is wrong with it,
// the site is made from the history instead.
struct SiteSnapshot {
    QByteArray basis;          // what the model was folded with (game types, names, seasons)
    Journal::GamesStamp stamp; // the games it counts
    std::unique_ptr<SiteModel> model;
    FinishedAwards awards;
};

// Writes the snapshot into folder, whole or not at all (not forced to the disk: a lost one
// only costs a build from the history).
void saveSnapshot(const QString& folder, const SiteSnapshot& snapshot);

// The folder's snapshot when it is there, sound, of this format and folded with basis; else
// nullopt. Everything read is checked before it is used: lengths against the file, indexes
// against their lists, a digest over the whole.
std::optional<SiteSnapshot> loadSnapshot(const QString& folder, const QByteArray& basis,
                                         const SitePeople& people,
                                         const std::vector<SiteSeason>& seasons);

} // namespace vantor::history::site
