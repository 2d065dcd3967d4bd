#include "command.h"
#include "options.h"

#include "history/replay/history_commands.h"
#include "history/views/game_views.h"
#include "stats/data_folder.h"

#include "common/cp1252.h"
#include "common/data_files.h"
#include "common/file_writer.h"
#include "common/page_names.h"
#include "common/visible_text.h"
#include "common/record_file.h"
#include "common/records.h"
#include "platform/settings_store.h"

#include <QDateTime>
#include <optional>

namespace vantor::utilities::cli {

namespace {

using namespace vantor::history;

const QString kGroup = QStringLiteral("history");
const QString kHere = QStringLiteral(".");

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
    const QString name = call.positional.at(at);
    if (name.isEmpty())
        throw UsageError{QStringLiteral("The player's name must not be empty.")};
    return toCp1252(name).left(qsizetype(kPlayerNameLength));
}

int games(const Invocation& call) {
    const std::int64_t last =
        call.isSet(kLast) ? positiveNumber(call.value(kLast), QStringLiteral("--last")) : -1;
    HistoryAccess access(kHere);
    print(call, gamesListText(access.journal().games(call.isSet(kCoop), last)));
    return 0;
}

int history(const Invocation& call) {
    const QByteArray name = playerName(call, 0);
    HistoryAccess access(kHere);
    print(call, playerHistoryText(name, access.journal().gamesOf(name, call.isSet(kCoop))));
    return 0;
}

int playerPage(const Invocation& call) {
    const QString file = call.positional.at(0);
    if (file.isEmpty())
        throw UsageError{QStringLiteral("the page needs a file name")};
    const QByteArray name = playerName(call, 1);
    const SettingsStore store(SettingsStore::defaultPath());
    if (const QString reserved =
            fileReservedFromPages(file, stats::folderOf(kStatsFile), store.path());
        !reserved.isEmpty()) {
        call.err << reservedPageNameMessage(reserved).trimmed() << " The page was not written.\n";
        return 1;
    }
    HistoryAccess access(kHere);
    const auto rows = access.journal().gamesOf(name, call.isSet(kCoop));
    std::optional<PlayerStatsRecord> totals;
    for (const PlayerStatsRecord& r :
         readAllRecords<PlayerStatsRecord>(statsFileName(call.gameType()))) {
        if (!r.isBlank() && r.name.sameText(name)) {
            totals = r;
            break;
        }
    }
    const QByteArray html =
        playerPageHtml(name, totals ? &*totals : nullptr, rows, PageLinks::fromBuild(),
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    OutputFile page(file);
    page.write(std::string_view(html.constData(), std::size_t(html.size())));
    page.commit();
    call.out << "Wrote \"" << file << "\": " << rows.size() << " games of \"" << terminalText(name)
             << "\".\n";
    return 0;
}

int exportJsonCommand(const Invocation& call) {
    if (!call.isSet(kJson))
        throw UsageError{QStringLiteral("export writes JSON only: add --json.")};
    HistoryAccess access(kHere);
    auto rows = access.journal().games(call.isSet(kCoop), -1);
    std::reverse(rows.begin(), rows.end()); // oldest first, as they were played
    const auto players = readAllRecords<PlayerStatsRecord>(statsFileName(call.gameType()));
    print(call, exportJson(players, rows));
    return 0;
}

int rebuild(const Invocation& call) {
    const bool fromFiles = call.isSet(kFromFiles);
    if (fromFiles == call.isSet(kYes))
        throw UsageError{QStringLiteral("rebuild needs either --yes (the files from the history) "
                                        "or --from-files (the history from the files).")};
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

int markGame(const Invocation& call, bool undone) {
    const std::int64_t id = positiveNumber(call.positional.first(), QStringLiteral("The game id"));
    if (!call.isSet(kYes))
        throw UsageError{QStringLiteral("This rewrites the stats files. Add --yes to %1 game %2.")
                             .arg(undone ? QStringLiteral("undo") : QStringLiteral("redo"))
                             .arg(id)};
    setGameUndone(kHere, id, undone);
    call.out << (undone ? "Undid" : "Redid") << " game " << id << ".\n";
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
         QStringLiteral("--yes | --from-files"),
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
         [](const Invocation& call) { return markGame(call, true); }},
        {QStringLiteral("redo-game"),
         QStringLiteral("ID --yes"),
         QStringLiteral("put game ID back"),
         kGroup,
         {kYes},
         1,
         QStringLiteral("one game id"),
         [](const Invocation& call) { return markGame(call, false); }},
    };
}

} // namespace vantor::utilities::cli
