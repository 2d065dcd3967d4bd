#include "command.h"
#include "league_output.h"
#include "options.h"

#include "history/replay/history_commands.h"
#include "history/replay/name_commands.h"
#include "history/views/json_out.h"
#include "history/views/view_text.h"

#include "common/cp1252.h"
#include "common/records.h"
#include "common/visible_text.h"

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kGroup = QStringLiteral("names");
const QString kHere = QStringLiteral(".");

QString quoted(const QByteArray& name) {
    return QStringLiteral("\"") + terminalText(name) + QStringLiteral("\"");
}

// A name as the stats files keep it: code page 1252, at most a record's length.
QByteArray nameArgument(const QString& typed, const char* command) {
    if (typed.isEmpty())
        throw UsageError{QStringLiteral("%1 needs a player name that is not empty.")
                             .arg(QLatin1String(command))};
    return toCp1252(typed).left(qsizetype(kPlayerNameLength));
}

// A JSON list of one object per entry, its members written by fill.
template <class Entry, class Fill>
void printJsonList(const Invocation& call, const std::vector<Entry>& entries, Fill fill) {
    JsonOut j;
    j.bytes += '[';
    for (std::size_t i = 0; i < entries.size(); ++i) {
        j.bytes += i == 0 ? "\n{" : ",\n{";
        fill(j, entries[i]);
        j.endObject();
    }
    j.bytes += "]\n";
    printUtf8(call, j.bytes);
}

QString aliasEffect(const AliasPlan& p) {
    QString text = QStringLiteral("%1's %2 game(s) in the game history count as %3's")
                       .arg(quoted(p.name))
                       .arg(p.games)
                       .arg(quoted(p.main));
    if (p.records > 0)
        text += p.mainHasRecord
                    ? QStringLiteral(", %1 record(s) of %2 in \"%3\" are added into %4's and "
                                     "blanked")
                          .arg(p.records)
                          .arg(quoted(p.name), p.statsFile, quoted(p.main))
                    : QStringLiteral(", %1's record in \"%2\" takes the name %3")
                          .arg(quoted(p.name), p.statsFile, quoted(p.main));
    return text + QStringLiteral(", and later games under %1 are recorded as %2's")
                      .arg(quoted(p.name), quoted(p.main));
}

int alias(const Invocation& call) {
    const QByteArray name = nameArgument(call.positional.first(), "alias");
    const QByteArray main = nameArgument(call.required(kIs), "alias --is");
    const bool coop = call.isSet(kCoop);
    if (!call.isSet(kYes)) {
        const AliasPlan plan = planAlias(kHere, name, main, coop);
        call.out << "Would make " << quoted(name) << " an alias of " << quoted(main) << ": "
                 << aliasEffect(plan) << ". Nothing was changed; add --yes to do it.\n";
        return 1;
    }
    const AliasPlan plan = addAlias(kHere, name, main, coop);
    call.out << quoted(name) << " is now an alias of " << quoted(main) << ": " << aliasEffect(plan)
             << ". \"undo-change\" takes it back.\n";
    return 0;
}

int aliases(const Invocation& call) {
    HistoryAccess access(kHere, false);
    const auto entries = aliasEntries(access.journal().database(), call.isSet(kCoop));
    if (call.isSet(kJson)) {
        printJsonList(call, entries, [](JsonOut& j, const AliasEntry& e) {
            j.field("id", e.id);
            j.field("name", e.name);
            j.field("main", e.main);
            j.field("since", e.at);
        });
        return 0;
    }
    if (entries.empty()) {
        call.out << "No aliases.\n";
        return 0;
    }
    using A = TextColumns::Align;
    TextColumns columns({A::Right, A::Left, A::Left, A::Left});
    columns.addRow({"ID", "Alias", "Counts as", "Since"});
    for (const AliasEntry& e : entries)
        columns.addRow({QString::number(e.id), terminalText(e.name), terminalText(e.main),
                        QString::fromLatin1(e.at)});
    printUtf8(call, columns.text());
    return 0;
}

int hide(const Invocation& call) {
    const QByteArray name = nameArgument(call.positional.first(), "hide");
    if (!call.isSet(kYes)) {
        checkHide(kHere, name);
        call.out << "Would leave " << quoted(name)
                 << " out of every page written from now on (stats, rankings, live and player "
                    "pages); the stats stay. Nothing was changed; add --yes to do it.\n";
        return 1;
    }
    setHidden(kHere, name, true);
    call.out << quoted(name)
             << " is hidden: left out of every page written from now on; the stats stay.\n";
    return 0;
}

int unhide(const Invocation& call) {
    const QByteArray name = nameArgument(call.positional.first(), "unhide");
    setHidden(kHere, name, false);
    call.out << quoted(name) << " is shown again on the pages written from now on.\n";
    return 0;
}

int hidden(const Invocation& call) {
    HistoryAccess access(kHere, false);
    const auto entries = hiddenEntries(access.journal().database());
    if (call.isSet(kJson)) {
        printJsonList(call, entries, [](JsonOut& j, const HiddenEntry& e) {
            j.field("name", e.name);
            j.field("since", e.at);
        });
        return 0;
    }
    for (const HiddenEntry& e : entries)
        call.out << terminalText(e.name) << '\n';
    call.out << "Hidden Players: " << entries.size() << '\n';
    return 0;
}

} // namespace

std::vector<Command> nameCommands() {
    const QString none = QStringLiteral("no names");
    const QString one = QStringLiteral("one player name");
    return {
        {QStringLiteral("alias"), QStringLiteral("NAME --is MAIN [--coop] --yes"),
         QStringLiteral("count NAME's games as MAIN's"), kGroup, QStringList{kIs, kCoop, kYes}, 1,
         one, alias},
        {QStringLiteral("aliases"), QStringLiteral("[--coop] [--json]"),
         QStringLiteral("the aliases in force"), kGroup, QStringList{kCoop, kJson}, 0, none,
         aliases},
        {QStringLiteral("hide"), QStringLiteral("NAME --yes"),
         QStringLiteral("leave NAME out of every page"), kGroup, QStringList{kYes}, 1, one, hide},
        {QStringLiteral("unhide"), QStringLiteral("NAME"),
         QStringLiteral("show NAME on the pages again"), kGroup, QStringList{}, 1, one, unhide},
        {QStringLiteral("hidden"), QStringLiteral("[--json]"), QStringLiteral("the hidden players"),
         kGroup, QStringList{kJson}, 0, none, hidden},
    };
}

} // namespace vantor::utilities::cli
