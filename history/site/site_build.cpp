#include "site_build.h"

#include "site_folder.h"
#include "site_pages.h"

#include "history/journal.h"

namespace vantor::history::site {

SiteBuildResult buildSite(Journal& journal, const QString& folder, const QString& dataFolder,
                          const SiteOptions& options) {
    SiteFolder site(folder, dataFolder);
    SiteModel model(options.people, options.seasons);
    journal.forEachGame(options.coop, [&](const GameRow& game) { model.addGame(game); });
    model.finish();

    SiteBuildResult result;
    try {
        buildPages(model, options.now, [&](const QString& path, const QByteArray& bytes) {
            ++result.pages;
            site.put(path, bytes);
        });
        result.removed = site.removeUnput();
        site.commit();
    } catch (...) {
        // Whatever was written is named, so a later build or upload knows it for ours.
        try {
            site.saveManifest();
        } catch (...) {
        }
        throw;
    }
    result.written = site.written();
    return result;
}

} // namespace vantor::history::site
