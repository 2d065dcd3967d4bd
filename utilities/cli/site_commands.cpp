#include "command.h"
#include "options.h"

#include "history/journal.h"
#include "history/site/site_build.h"

#include "common/error.h"

#include <QDateTime>

namespace vantor::utilities::cli {

namespace {

const QString kHere = QStringLiteral(".");

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
    history::site::SiteOptions options;
    if (call.isSet(kCoop))
        options.coop = true;
    options.now = QDateTime::currentDateTime();
    const auto result = history::site::buildSite(*journal, folder, kHere, options);
    if (!call.isSet(kQuiet))
        call.out << "Site \"" << folder << "\": " << result.pages << " pages, " << result.written
                 << " written, " << result.removed << " removed.\n";
    return 0;
}

} // namespace

std::vector<Command> siteCommands() {
    return {
        {QStringLiteral("site"),
         QStringLiteral("DIR [--coop] [--quiet]"),
         QStringLiteral("build or refresh the community site in DIR"),
         QStringLiteral("site"),
         {kCoop, kQuiet},
         1,
         QStringLiteral("one folder"),
         site},
    };
}

} // namespace vantor::utilities::cli
