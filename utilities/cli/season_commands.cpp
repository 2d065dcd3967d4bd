#include "command.h"
#include "options.h"
#include "window_options.h"

#include "history/views/json_out.h"

#include "common/cp1252.h"
#include "common/error.h"

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

int list(const Invocation& call, const SeasonList& seasons) {
    if (call.positional.size() != 1)
        throw UsageError{QStringLiteral("season list takes no names.")};
    if (call.isSet(kJson)) {
        JsonOut j;
        j.bytes += '[';
        bool first = true;
        for (const Season& s : seasons.seasons()) {
            j.bytes += first ? "\n{" : ",\n{";
            first = false;
            j.field("name", toCp1252(s.name));
            j.field("start", s.start.toString(kDayFormat).toLatin1());
            const auto end = seasons.end(s);
            j.literal("end", end ? '"' + end->addDays(-1).toString(kDayFormat).toLatin1() + '"'
                                 : QByteArray("null"));
            j.endObject();
        }
        j.bytes += "]\n";
        call.out << QString::fromUtf8(j.bytes);
        return 0;
    }
    if (seasons.seasons().empty()) {
        call.out << "No seasons. \"season add NAME DATE\" starts one.\n";
        return 0;
    }
    for (const Season& s : seasons.seasons()) {
        const auto end = seasons.end(s);
        call.out << s.start.toString(kDayFormat) << " to "
                 << (end ? end->addDays(-1).toString(kDayFormat)
                         : QStringLiteral("the next season"))
                 << "  " << s.name << '\n';
    }
    return 0;
}

int season(const Invocation& call) {
    const QString action = call.positional.first();
    if (action == QStringLiteral("list"))
        return list(call, storedSeasons());
    if (action == QStringLiteral("add")) {
        if (call.positional.size() != 3)
            throw UsageError{QStringLiteral("season add takes a name and a date YYYY-MM-DD.")};
        const auto start = parseDay(call.positional.at(2));
        if (!start)
            throw UsageError{QStringLiteral("A season starts on a date YYYY-MM-DD, not \"%1\".")
                                 .arg(call.positional.at(2))};
        const Season s{call.positional.at(1), *start};
        SeasonList seasons = storedSeasons();
        if (const QString why = seasons.refusalToAdd(s); !why.isEmpty())
            throw Error(why + QStringLiteral(" Nothing was changed."));
        seasons.add(s);
        storeSeasons(seasons);
        call.out << "Added the season \"" << s.name << "\" from " << s.start.toString(kDayFormat)
                 << ".\n";
        return 0;
    }
    if (action == QStringLiteral("remove")) {
        if (call.positional.size() != 2)
            throw UsageError{QStringLiteral("season remove takes one name.")};
        const QString name = call.positional.at(1);
        if (!call.isSet(kYes))
            throw UsageError{QStringLiteral("Add --yes to remove the season \"%1\".").arg(name)};
        SeasonList seasons = storedSeasons();
        if (!seasons.remove(name))
            throw Error(
                QStringLiteral("There is no season \"%1\"; nothing was changed.").arg(name));
        storeSeasons(seasons);
        call.out << "Removed the season \"" << name << "\".\n";
        return 0;
    }
    throw UsageError{QStringLiteral("season takes add, list or remove, not \"%1\".").arg(action)};
}

} // namespace

std::vector<Command> seasonCommands() {
    return {
        {QStringLiteral("season"),
         QStringLiteral("add NAME DATE | list [--json] | remove NAME --yes"),
         QStringLiteral("the named seasons, each up to the next"),
         QStringLiteral("league"),
         {kYes, kJson},
         1,
         QStringLiteral("add, list or remove"),
         season,
         3},
    };
}

} // namespace vantor::utilities::cli
