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
        c.file = call.nonEmpty(0, QStringLiteral("a file name"));
        c.rankKey = call.required(kBy);
        c.comment = call.value(kComment);
    } else if (call.isSet(kBy)) {
        c.rankKey = call.value(kBy);
    }
    c.rankKey = rankKeyNamed(c.rankKey);
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
         QStringLiteral("[--by KEY] [--coop] [--quiet]"),
         QStringLiteral("rank, then write \"Rankings.html\""),
         kGroup,
         {kBy, kCoop, kQuiet},
         0,
         QStringLiteral("no file name"),
         [](const Invocation& call) { return page(call, true); }},
    };
}

} // namespace vantor::utilities::cli
