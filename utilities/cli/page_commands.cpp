#include "command.h"
#include "options.h"

#include "history/journaled/journaled_changes.h"
#include "stats/rank_keys.h"
#include "stats/ranking.h"
#include "utilities/core/page_commands.h"

#include "platform/settings_store.h"

namespace vantor::utilities::cli {

namespace {

const QString kGroup = QStringLiteral("pages");

int page(const Invocation& call, bool rankings) {
    PageCommand c;
    c.rankings = rankings;
    if (!rankings) {
        c.file = call.positional.first();
        if (c.file.isEmpty())
            throw UsageError{QStringLiteral("the page needs a file name")};
        if (!call.isSet(kBy))
            throw UsageError{QStringLiteral("the page needs a rank key (--by)")};
        c.comment = call.value(kComment);
    }
    if (call.isSet(kBy))
        c.rankKey = call.value(kBy);
    if (!stats::rankKeyFromText(c.rankKey))
        throw UsageError{stats::unknownRankKeyMessage(c.rankKey)};
    c.gameType = call.gameType();
    c.quiet = call.isSet(kQuiet);
    const SettingsStore store(SettingsStore::defaultPath());
    const auto ranker = [&call](const QString& statsFile, const QString& key) {
        journaled::rankStatsFile(call.journaling, statsFile, key);
    };
    return runPageCommand(c, store, ranker, call.out, call.err);
}

} // namespace

std::vector<Command> pageCommands() {
    return {
        {QStringLiteral("page"),
         QStringLiteral("FILE --by KEY [--comment TEXT] [--coop] [--quiet]"),
         QStringLiteral("rank, then write the stats page FILE"),
         kGroup,
         {kBy, kComment, kCoop, kQuiet},
         1,
         QStringLiteral("one file name"),
         [](const Invocation& call) { return page(call, false); }},
        {QStringLiteral("rankings"),
         QStringLiteral("[--by KEY] [--coop]"),
         QStringLiteral("rank, then write \"Rankings.html\""),
         kGroup,
         {kBy, kCoop},
         0,
         QStringLiteral("no file name"),
         [](const Invocation& call) { return page(call, true); }},
    };
}

} // namespace vantor::utilities::cli
