#include "command.h"
#include "options.h"

#include "history/journal/player_names.h"
#include "history/replay/history_commands.h"
#include "history/views/game_views.h"
#include "history/views/view_text.h"
#include "stats/data_folder.h"

#include "common/error.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/file_writer.h"
#include "common/page_names.h"
#include "common/record_file.h"
#include "common/records.h"
#include "common/visible_text.h"
#include "platform/settings_store.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kGroup = QStringLiteral("history");
const QString kHere = QStringLiteral(".");
const QString kGame = QStringLiteral("game");
const QString kChange = QStringLiteral("change");

// The player's record in the stats file, if he has one.
std::optional<PlayerStatsRecord> totalsOf(const QByteArray& name, const QString& statsFile) {
    for (const PlayerStatsRecord& r : readAllRecords<PlayerStatsRecord>(statsFile))
        if (!r.isBlank() && r.name.sameText(name))
            return r;
    return std::nullopt;
}

QString unknownPlayerMessage(const QByteArray& name, const QString& statsFile) {
    return QStringLiteral("No player named \"%1\" in \"%2\" or in the game history.")
        .arg(terminalText(name), statsFile);
}

void print(const Invocation& call, const QByteArray& utf8) {
    call.out << QString::fromUtf8(utf8);
}

std::int64_t positiveNumber(const QString& text, const QString& what) {
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < 1)
        throw UsageError{
            QStringLiteral("%1 must be a whole number from 1 on, not \"%2\".").arg(what, text)};
    return n;
}

// Names are typed as text and kept as the stats files keep them: code page bytes, cut to a
// record's name length.
QByteArray playerName(const Invocation& call, qsizetype at) {
    const QString name = call.nonEmpty(at, QStringLiteral("a player name"));
    return toCp1252(name).left(qsizetype(kPlayerNameLength));
}

// The games of a player and of his aliases, oldest first, each alias's rows under his name.
std::vector<GameRow> gamesCountedAs(Journal& journal, const QByteArray& name, bool coop) {
    const AliasMap aliases = aliasMap(journal.database(), coop);
    std::vector<GameRow> rows = journal.gamesOf(name, coop);
    if (aliases.isEmpty())
        return rows;
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        if (*it == name)
            for (GameRow& g : journal.gamesOf(it.key(), coop))
                rows.push_back(std::move(g));
    std::sort(rows.begin(), rows.end(),
              [](const GameRow& a, const GameRow& b) { return a.id < b.id; });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const GameRow& a, const GameRow& b) { return a.id == b.id; }),
               rows.end());
    countRowsUnder(aliases, rows);
    return rows;
}

int games(const Invocation& call) {
    const std::int64_t last =
        call.isSet(kLast) ? positiveNumber(call.value(kLast), QStringLiteral("--last")) : -1;
    requireDataFolder();
    HistoryAccess access(kHere);
    print(call, gamesListText(access.journal().games(call.isSet(kCoop), last)));
    return 0;
}

int history(const Invocation& call) {
    const QByteArray typed = playerName(call, 0);
    requireDataFolder();
    HistoryAccess access(kHere);
    // An alias's games are his main name's.
    const QByteArray name =
        countedName(aliasMap(access.journal().database(), call.isSet(kCoop)), typed);
    const auto rows = gamesCountedAs(access.journal(), name, call.isSet(kCoop));
    const QString statsFile = statsFileName(call.gameType());
    if (rows.empty() && !totalsOf(name, statsFile))
        throw Error(unknownPlayerMessage(name, statsFile));
    print(call, playerHistoryText(name, rows));
    return 0;
}

int playerPage(const Invocation& call) {
    const QString file = call.nonEmpty(0, QStringLiteral("a file name"));
    const QByteArray typed = playerName(call, 1);
    const SettingsStore store(SettingsStore::defaultPath());
    if (const QString reserved =
            fileReservedFromPages(file, stats::folderOf(kStatsFile), store.path());
        !reserved.isEmpty()) {
        call.err << reservedPageNameMessage(reserved).trimmed() << " The page was not written.\n";
        return 1;
    }
    requireDataFolder();
    HistoryAccess access(kHere);
    const QByteArray name =
        countedName(aliasMap(access.journal().database(), call.isSet(kCoop)), typed);
    const NameSet hidden = hiddenNames(access.journal().database());
    if (hidden.contains(name)) {
        call.err << "\"" << terminalText(name)
                 << "\" asked to be left out of the pages (\"unhide\" shows the name again). The "
                    "page was not written.\n";
        return 1;
    }
    const auto rows = gamesCountedAs(access.journal(), name, call.isSet(kCoop));
    const QString statsFile = statsFileName(call.gameType());
    const std::optional<PlayerStatsRecord> totals = totalsOf(name, statsFile);
    if (rows.empty() && !totals) {
        call.err << unknownPlayerMessage(name, statsFile) << " The page was not written.\n";
        return 1;
    }
    const QByteArray html = playerPageHtml(
        name, totals ? &*totals : nullptr, rows, PageLinks::fromBuild(),
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), hidden);
    OutputFile page(file);
    page.write(std::string_view(html.constData(), std::size_t(html.size())));
    page.commit();
    call.out << "Wrote \"" << file << "\": " << rows.size() << " games of \"" << terminalText(name)
             << "\".\n";
    return 0;
}

// What an upkeep change did, in the words of the window that does it.
QString changeText(const StoredEvent& e) {
    switch (e.kind) {
    case EventKind::Rank:
        return QStringLiteral("ranking by ") + terminalText(e.arg1);
    case EventKind::LiveRank:
        return QStringLiteral("ranking for the live page");
    case EventKind::DeletePlayer:
        return QStringLiteral("Delete Player \"%1\"").arg(terminalText(e.arg1));
    case EventKind::DeletePlayers:
        return QStringLiteral("Delete Players with %1 %2 or less")
            .arg(terminalText(e.arg1), terminalText(e.arg2));
    case EventKind::DeleteStatsFile:
        return QStringLiteral("Delete Stats File");
    case EventKind::Alias:
        return QStringLiteral("alias \"%1\" is \"%2\"")
            .arg(terminalText(e.arg1), terminalText(e.arg2));
    default:
        return {};
    }
}

int changes(const Invocation& call) {
    requireDataFolder();
    HistoryAccess access(kHere);
    const auto events =
        access.journal().upkeepChanges(call.isSet(kCoop) ? std::optional(true) : std::nullopt);
    if (events.empty()) {
        call.out << "No changes recorded besides the games.\n";
        return 0;
    }
    using Align = TextColumns::Align;
    TextColumns columns({Align::Right, Align::Left, Align::Left, Align::Left, Align::Left});
    columns.addRow({QStringLiteral("ID"), QStringLiteral("Made"), QStringLiteral("File"),
                    QStringLiteral("Change")});
    for (const StoredEvent& e : events)
        columns.addRow({QString::number(e.id), terminalText(e.at),
                        e.coop ? kCoopStatsFile : kStatsFile, changeText(e),
                        e.undone ? QStringLiteral("(undone)") : QString()});
    print(call, columns.text());
    return 0;
}

int exportJsonCommand(const Invocation& call) {
    if (!call.isSet(kJson))
        throw UsageError{QStringLiteral("export needs --json (it writes JSON only).")};
    requireDataFolder();
    HistoryAccess access(kHere);
    auto rows = access.journal().games(call.isSet(kCoop), -1);
    std::reverse(rows.begin(), rows.end()); // oldest first, as they were played
    countRowsUnder(aliasMap(access.journal().database(), call.isSet(kCoop)), rows);
    const auto players = readAllRecords<PlayerStatsRecord>(statsFileName(call.gameType()));
    print(call, exportJson(players, rows));
    return 0;
}

int rebuild(const Invocation& call) {
    const bool fromFiles = call.isSet(kFromFiles);
    if (!call.isSet(kYes))
        throw UsageError{
            fromFiles ? QStringLiteral("This starts the game history afresh: the games recorded "
                                       "so far can no longer be undone. Add --yes to do it.")
                      : QStringLiteral("rebuild needs --yes (the files from the history) or "
                                       "--from-files --yes (the history from the files).")};
    requireDataFolder();
    if (fromFiles) {
        const QString aside = rebuildFromFiles(kHere);
        if (!aside.isEmpty())
            call.out << "The unreadable game history was kept as \"" << aside << "\".\n";
        call.out << "The game history starts afresh from the stats files as they are.\n";
        return 0;
    }
    const int changed = rebuildFiles(kHere);
    if (changed == 0)
        call.out << "Rebuilt the stats files from the game history: identical to the files.\n";
    else
        call.out << "Rebuilt the stats files from the game history: " << changed
                 << " file(s) differed and were rewritten.\n";
    return 0;
}

// undo-game, redo-game (what: "game") and undo-change, redo-change ("change").
int mark(const Invocation& call, const QString& what, bool undone) {
    const std::int64_t id =
        positiveNumber(call.positional.first(), QStringLiteral("The %1 id").arg(what));
    if (!call.isSet(kYes))
        throw UsageError{QStringLiteral("This rewrites the stats files. Add --yes to %1 %2 %3.")
                             .arg(undone ? QStringLiteral("undo") : QStringLiteral("redo"), what)
                             .arg(id)};
    requireDataFolder();
    const auto setUndone = what == kGame ? setGameUndone : setChangeUndone;
    setUndone(kHere, id, undone);
    call.out << (undone ? "Undid " : "Redid ") << what << ' ' << id << ".\n";
    return 0;
}

} // namespace

std::vector<Command> historyCommands() {
    const QString none = QStringLiteral("no names");
    return {
        {QStringLiteral("games"),
         QStringLiteral("[--coop] [--last N]"),
         QStringLiteral("the recorded games, newest first"),
         kGroup,
         {kCoop, kLast},
         0,
         none,
         games},
        {QStringLiteral("history"),
         QStringLiteral("NAME [--coop]"),
         QStringLiteral("one line per game of the player NAME"),
         kGroup,
         {kCoop},
         1,
         QStringLiteral("one player name"),
         history},
        {QStringLiteral("player-page"),
         QStringLiteral("FILE NAME [--coop]"),
         QStringLiteral("write the page FILE of the player NAME"),
         kGroup,
         {kCoop},
         2,
         QStringLiteral("a file name and a player name"),
         playerPage},
        {QStringLiteral("export"),
         QStringLiteral("--json [--coop]"),
         QStringLiteral("players and games as JSON"),
         kGroup,
         {kJson, kCoop},
         0,
         none,
         exportJsonCommand},
        {QStringLiteral("rebuild"),
         QStringLiteral("[--from-files] --yes"),
         QStringLiteral("files from history, or the reverse"),
         kGroup,
         {kYes, kFromFiles},
         0,
         none,
         rebuild},
        {QStringLiteral("undo-game"),
         QStringLiteral("ID --yes"),
         QStringLiteral("take game ID out of the stats files"),
         kGroup,
         {kYes},
         1,
         QStringLiteral("one game id"),
         [](const Invocation& call) { return mark(call, kGame, true); }},
        {QStringLiteral("redo-game"),
         QStringLiteral("ID --yes"),
         QStringLiteral("put game ID back"),
         kGroup,
         {kYes},
         1,
         QStringLiteral("one game id"),
         [](const Invocation& call) { return mark(call, kGame, false); }},
        {QStringLiteral("changes"),
         QStringLiteral("[--coop]"),
         QStringLiteral("rankings and deletions, with their ID"),
         kGroup,
         {kCoop},
         0,
         none,
         changes},
        {QStringLiteral("undo-change"),
         QStringLiteral("ID --yes"),
         QStringLiteral("take change ID out of the stats files"),
         kGroup,
         {kYes},
         1,
         QStringLiteral("one change id"),
         [](const Invocation& call) { return mark(call, kChange, true); }},
        {QStringLiteral("redo-change"),
         QStringLiteral("ID --yes"),
         QStringLiteral("put change ID back"),
         kGroup,
         {kYes},
         1,
         QStringLiteral("one change id"),
         [](const Invocation& call) { return mark(call, kChange, false); }},
    };
}

} // namespace vantor::utilities::cli
