#include "player_names.h"

#include "journal.h"

#include "common/timing.h"

#include <QFileInfo>

namespace vantor::history {

QByteArray countedName(const AliasMap& aliases, const QByteArray& name) {
    const auto it = aliases.constFind(name);
    return it == aliases.cend() ? name : *it;
}

void countRowsUnder(const AliasMap& aliases, std::vector<GameRow>& rows) {
    if (aliases.isEmpty())
        return;
    for (GameRow& g : rows)
        for (PlayerGameRow& p : g.players) {
            p.name = countedName(aliases, p.name);
            p.killedBy = countedName(aliases, p.killedBy);
        }
}

std::vector<AliasEntry> aliasEntries(Database& db, std::optional<bool> coop,
                                     std::int64_t throughId) {
    Statement s(db.handle(), "SELECT id, at, coop, arg1, arg2 FROM event WHERE kind=?1 AND "
                             "undone=0 AND (?2 IS NULL OR coop=?2) AND id<=?3 ORDER BY id");
    s.bind(1, std::int64_t(EventKind::Alias));
    if (coop)
        s.bind(2, std::int64_t(*coop));
    s.bind(3, throughId);
    std::vector<AliasEntry> out;
    while (s.step())
        out.push_back({s.integer(0), s.bytes(1), s.integer(2) != 0, s.bytes(3), s.bytes(4)});
    return out;
}

AliasMap aliasMap(Database& db, bool coop, std::int64_t throughId) {
    AliasMap map;
    for (const AliasEntry& e : aliasEntries(db, coop, throughId))
        if (!e.name.isEmpty() && !e.main.isEmpty())
            map.insert(e.name, e.main);
    return map;
}

std::vector<HiddenEntry> hiddenEntries(Database& db) {
    Statement s(db.handle(), "SELECT id, at, kind, arg1 FROM event WHERE kind IN (?1, ?2) AND "
                             "undone=0 ORDER BY id");
    s.bind(1, std::int64_t(EventKind::Hide)).bind(2, std::int64_t(EventKind::Unhide));
    std::vector<HiddenEntry> out;
    while (s.step()) {
        const QByteArray name = s.bytes(3);
        std::erase_if(out, [&](const HiddenEntry& e) { return e.name == name; });
        if (s.integer(2) == std::int64_t(EventKind::Hide) && !name.isEmpty())
            out.push_back({s.integer(0), s.bytes(1), name});
    }
    return out;
}

NameSet hiddenNames(Database& db) {
    NameSet names;
    for (const HiddenEntry& e : hiddenEntries(db))
        names.insert(e.name);
    return names;
}

void leaveOutHidden(const NameSet& hidden, std::vector<GameRow>& rows) {
    if (hidden.isEmpty())
        return;
    for (GameRow& g : rows) {
        std::erase_if(g.players, [&](const PlayerGameRow& p) { return hidden.contains(p.name); });
        for (PlayerGameRow& p : g.players)
            if (hidden.contains(p.killedBy))
                p.killedBy.clear();
    }
}

namespace {
// The folder's history when it holds events: one made by a process stopped before its first
// commit (or on a full disk) holds no names.
std::unique_ptr<Journal> historyWithEvents(const QString& dataFolder) {
    if (!QFileInfo::exists(Journal::pathIn(dataFolder)))
        return nullptr;
    {
        Database db(Journal::pathIn(dataFolder), false, kHistoryBusyWaitMs);
        Statement s(db.handle(), "SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                                 "name IN ('meta', 'event')");
        if (!s.step() || s.integer(0) == 0)
            return nullptr;
    }
    return Journal::openExisting(dataFolder);
}
} // namespace

AliasMap aliasMapIn(const QString& dataFolder, bool coop) {
    const auto journal = historyWithEvents(dataFolder);
    return journal ? aliasMap(journal->database(), coop) : AliasMap{};
}

NameSet hiddenNamesIn(const QString& dataFolder) {
    const auto journal = historyWithEvents(dataFolder);
    return journal ? hiddenNames(journal->database()) : NameSet{};
}

} // namespace vantor::history
