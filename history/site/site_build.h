#pragma once

#include "site_model.h"
#include "site_pages.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace vantor::history {
class Journal;
}

namespace vantor::history::site {

struct SiteOptions {
    std::optional<bool> coop; // unset: both game types on one site
    QDateTime now;            // the build's time
    SitePeople people;
    std::vector<SiteSeason> seasons;
    PageLimits limits;
};

struct SiteBuildResult {
    int pages = 0;
    int written = 0;
    int removed = 0;
    bool whole = true; // every page was made, not only those new games touched
};

// Builds or refreshes the site in folder from the journal's games: every page is made, only
// those whose bytes changed are written, and files of an earlier build that are no longer part
// of the site are deleted. A failure part-way keeps every page whole (the old one or the new)
// and the manifest naming all files written, then throws vantor::Error.
SiteBuildResult buildSite(Journal& journal, const QString& folder, const QString& dataFolder,
                          const SiteOptions& options);

} // namespace vantor::history::site
