#include "site_build.h"

#include "site_folder.h"
#include "site_pages.h"
#include "site_snapshot.h"

#include "history/journal/journal.h"

#include "common/error.h"

#include <QCryptographicHash>
#include <algorithm>
#include <map>
#include <optional>

namespace vantor::history::site {

namespace {

// Rewritten once a refresh has read this many games since it was: a few hundred games fold in
// quickly, and a rewrite costs a whole model's bytes.
constexpr std::size_t kSnapshotLag = 256;

// Raised whenever the pages' paths or layout change: a site built before is then made whole.
const QByteArray kPagesLayout = "pages 2 ";

// What the model is folded with besides the games: the game types, the names shown, the
// seasons.
QByteArray basisOf(const SiteOptions& options) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(options.coop ? (*options.coop ? "coop" : "adversarial") : "all");
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

// Everything besides the games that the pages depend on.
QByteArray signatureOf(const QByteArray& basis, const SiteModel& model,
                       const SiteOptions& options) {
    return QCryptographicHash::hash(basis + kPagesLayout + currentPeriodsText(model, options.now) +
                                        QByteArray::number(options.limits.gamePages) + ' ' +
                                        QByteArray::number(options.limits.archivePageGames),
                                    QCryptographicHash::Sha256)
        .left(16)
        .toHex();
}

// The model of every counted game: the folder's snapshot with the games since folded in while
// it still holds, else every game of the history.
SiteSnapshot foldedModel(Journal& journal, const QString& folder, const SiteOptions& options,
                         std::optional<std::size_t>* snapshotGames) {
    const QByteArray basis = basisOf(options);
    if (auto kept = loadSnapshot(folder, basis, options.people, options.seasons)) {
        *snapshotGames = kept->model->games().size();
        const auto stamp = journal.foldGames(options.coop, &kept->stamp,
                                             [&](const GameRow& g) { kept->model->addGame(g); });
        if (stamp) {
            kept->stamp = *stamp;
            return std::move(*kept);
        }
    }
    snapshotGames->reset();
    SiteSnapshot fresh;
    fresh.basis = basis;
    fresh.model = std::make_unique<SiteModel>(options.people, options.seasons);
    fresh.stamp = *journal.foldGames(options.coop, nullptr,
                                     [&](const GameRow& g) { fresh.model->addGame(g); });
    return fresh;
}

} // namespace

SiteBuildResult buildSite(Journal& journal, const QString& folder, const QString& dataFolder,
                          const SiteOptions& options) {
    SiteFolder site(folder, dataFolder);
    std::optional<std::size_t> snapshotGames; // set when the snapshot was used
    SiteSnapshot snapshot = foldedModel(journal, folder, options, &snapshotGames);
    SiteModel& model = *snapshot.model;
    model.finish();

    BuildMark mark;
    mark.signature = signatureOf(snapshot.basis, model, options);
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
            sameBasis ? &refresh : nullptr, options.limits, snapshot.awards);
        result.removed = outcome.whole ? site.removeUnput() : site.remove(outcome.gone);
        result.whole = outcome.whole;
        if (!snapshotGames || outcome.awardsMade ||
            model.games().size() > *snapshotGames + kSnapshotLag) {
            try {
                saveSnapshot(folder, snapshot);
            } catch (const Error&) {
                // Only a cache, and the one in place (if any) still says what it counts: the
                // next build reads more of the history, nothing else.
            }
        }
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
