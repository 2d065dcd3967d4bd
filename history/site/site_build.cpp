#include "site_build.h"

#include "site_folder.h"
#include "site_pages.h"

#include "history/journal/journal.h"

#include <QCryptographicHash>
#include <algorithm>
#include <map>

namespace vantor::history::site {

namespace {

// Everything besides the games that the pages depend on.
QByteArray signatureOf(const SiteModel& model, const SiteOptions& options) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(options.coop ? (*options.coop ? "coop" : "adversarial") : "all");
    h.addData(currentPeriodsText(model, options.now));
    for (const auto* map : {&options.people.mainNameOf, &options.people.coopMainNameOf}) {
        const std::map<QByteArray, QByteArray> aliases(map->begin(), map->end());
        for (const auto& [alias, main] : aliases)
            h.addData(QByteArray::number(alias.size()) + ':' + alias + main + '\n');
        h.addData("|");
    }
    std::vector<QByteArray> hidden = options.people.hidden;
    std::sort(hidden.begin(), hidden.end());
    for (const QByteArray& name : hidden)
        h.addData(QByteArray::number(name.size()) + ':' + name);
    for (const SiteSeason& s : options.seasons)
        h.addData((s.name + QLatin1Char('@') + s.start.toString(Qt::ISODate)).toUtf8() + '\n');
    return h.result().left(16).toHex();
}

} // namespace

SiteBuildResult buildSite(Journal& journal, const QString& folder, const QString& dataFolder,
                          const SiteOptions& options) {
    SiteFolder site(folder, dataFolder);
    SiteModel model(options.people, options.seasons);
    journal.forEachGame(options.coop, [&](const GameRow& game) { model.addGame(game); });
    model.finish();

    BuildMark mark;
    mark.signature = signatureOf(model, options);
    mark.gameCount = std::int64_t(model.games().size());
    mark.lastGameId = model.games().empty() ? 0 : model.games().back().id;
    SiteRefresh refresh;
    const bool sameBasis = site.mark().signature == mark.signature;
    refresh.lastGameId = site.mark().lastGameId;
    refresh.previousCount = std::size_t(site.mark().gameCount);

    const BuildMark before = site.mark();
    SiteBuildResult result;
    try {
        const PagesOutcome outcome = buildPages(
            model, options.now,
            [&](const QString& path, const QByteArray& bytes) {
                ++result.pages;
                site.put(path, bytes);
            },
            sameBasis ? &refresh : nullptr, options.gamePages);
        result.removed = outcome.whole ? site.removeUnput() : site.remove(outcome.gone);
        result.whole = outcome.whole;
        // Marked only once complete: a build cut short is made again from the same mark.
        site.setMark(mark);
        site.commit();
    } catch (...) {
        // Whatever was written is named, so a later build or upload knows it for ours.
        site.setMark(before);
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
