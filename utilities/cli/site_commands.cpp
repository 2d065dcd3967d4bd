#include "command.h"
#include "options.h"
#include "window_options.h"

#include "history/journal/journal.h"
#include "history/journal/player_names.h"
#include "history/site/site_build.h"
#include "history/site/site_upload.h"
#include "utilities/core/ftp_upload.h"

#include "ftp/ftp_client.h"
#include "platform/settings_store.h"

#include "common/error.h"
#include "common/large_buffer.h"

#include <QDateTime>

namespace vantor::utilities::cli {

namespace {

// How far the heap grows at a time while a site is built.
constexpr std::size_t kSiteHeapPad = 256u << 20;

const QString kHere = QStringLiteral(".");

int upload(const Invocation& call, const QString& folder) {
    const FtpSettings settings =
        readFtpSettings(SettingsStore(SettingsStore::defaultPath()), false);
    if (const QString missing = missingFtpField(settings); !missing.isEmpty()) {
        call.err << missing << '\n';
        return 1;
    }
    FtpClient client;
    client.MaskPassword = true; // the output goes to terminals and logs
    applyFtpSettings(client, settings);
    const auto sent = history::site::uploadSite(folder, client);
    if (!sent.ok) {
        for (const QString& line : sent.lastLines)
            call.err << line << '\n';
        call.err << "The upload of the site failed after " << sent.stored << " files"
                 << (sent.error.isEmpty() ? QString() : ": " + displayLineText(sent.error))
                 << ". The next upload sends what is missing.\n";
        return 1;
    }
    if (!call.isSet(kQuiet))
        call.out << "Uploaded " << sent.stored << " files, deleted " << sent.deleted << ".\n";
    return 0;
}

history::site::SitePeople sitePeople(history::Database& db) {
    history::site::SitePeople people;
    for (const bool coop : {false, true}) {
        const history::AliasMap aliases = history::aliasMap(db, coop);
        auto& into = coop ? people.coopMainNameOf : people.mainNameOf;
        for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
            into.emplace(it.key(), it.value());
    }
    const history::NameSet hidden = history::hiddenNames(db);
    people.hidden.assign(hidden.cbegin(), hidden.cend());
    return people;
}

int site(const Invocation& call) {
    const QString folder = call.positional.at(0);
    if (folder.isEmpty())
        throw UsageError{QStringLiteral("site needs the folder to build the site in.")};
    // Read without the data-folder lock: a long build must not hold up the recorder, and the
    // history's reads see one consistent state of it.
    const auto journal = history::Journal::openExisting(kHere);
    if (!journal) {
        call.err << "There is no game history \"games.db\" here: record a game first.\n";
        return 1;
    }
    // A refresh fills some fifty megabytes of fresh heap in small pieces.
    growHeapInLargePages(kSiteHeapPad);
    history::site::SiteOptions options;
    if (call.isSet(kCoop))
        options.coop = true;
    options.now = QDateTime::currentDateTime();
    options.people = sitePeople(journal->database());
    const history::SeasonList seasons = storedSeasons();
    for (const history::Season& season : seasons.seasons())
        options.seasons.push_back({season.name, season.start});
    const auto result = history::site::buildSite(*journal, folder, kHere, options);
    if (!call.isSet(kQuiet))
        call.out << "Site \"" << folder << "\": " << result.pages << " pages, " << result.written
                 << " written, " << result.removed << " removed.\n";
    return call.isSet(kUpload) ? upload(call, folder) : 0;
}

} // namespace

std::vector<Command> siteCommands() {
    return {
        {QStringLiteral("site"),
         QStringLiteral("DIR [--coop] [--upload] [--quiet]"),
         QStringLiteral("build or refresh the site in DIR"),
         QStringLiteral("site"),
         {kCoop, kUpload, kQuiet},
         1,
         QStringLiteral("one folder"),
         site},
    };
}

} // namespace vantor::utilities::cli
