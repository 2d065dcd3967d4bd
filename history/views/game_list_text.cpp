#include "game_views.h"
#include "view_text.h"

#include "common/short_text.h"

#include <algorithm>

namespace vantor::history {

namespace {
using Align = TextColumns::Align;

QString number(qint64 value) {
    return QString::number(value);
}

QString undoneMark(const GameRow& game) {
    return game.undone ? QStringLiteral("(undone)") : QString();
}
} // namespace

std::vector<const PlayerGameRow*> blocksOf(const GameRow& game, const QByteArray& name) {
    // The stats file keeps 50 characters of a name, so two names that agree that far are one
    // player there; the rows must join the same way or a long name would have no history.
    ShortText<50> wanted;
    wanted.setText(name);
    std::vector<const PlayerGameRow*> blocks;
    for (const PlayerGameRow& p : game.players) {
        ShortText<50> candidate;
        candidate.setText(p.name);
        if (candidate.sameText(wanted))
            blocks.push_back(&p);
    }
    return blocks;
}

std::vector<PlayedBlock> blocksOf(const std::vector<GameRow>& games, const QByteArray& name) {
    std::vector<PlayedBlock> played;
    for (const GameRow& g : games)
        for (const PlayerGameRow* p : blocksOf(g, name))
            played.push_back({&g, p});
    std::stable_sort(played.begin(), played.end(), [](const PlayedBlock& a, const PlayedBlock& b) {
        return a.game->id < b.game->id;
    });
    return played;
}

QByteArray outcomeText(TeamOutcome outcome) {
    switch (outcome) {
    case TeamOutcome::BlueWon:
        return QByteArrayLiteral("blue won");
    case TeamOutcome::RedWon:
        return QByteArrayLiteral("gold won");
    case TeamOutcome::Unknown:
        break;
    }
    return QByteArrayLiteral("-");
}

QByteArray gamesListText(const std::vector<GameRow>& newestFirst) {
    if (newestFirst.empty())
        return QByteArrayLiteral("No games recorded.\n");
    TextColumns columns({Align::Right, Align::Left, Align::Left, Align::Left, Align::Right,
                         Align::Left, Align::Left});
    columns.addRow({QStringLiteral("ID"), QStringLiteral("Played"), QStringLiteral("Map"),
                    QStringLiteral("Rules"), QStringLiteral("Players"), QStringLiteral("Result")});
    for (const GameRow& g : newestFirst) {
        columns.addRow({number(g.id), terminalText(g.playedAt), terminalText(g.map),
                        terminalText(g.rules), number(qint64(g.players.size())),
                        QString::fromLatin1(outcomeText(g.outcome)), undoneMark(g)});
    }
    return columns.text();
}

QByteArray playerHistoryText(const QByteArray& name, const std::vector<GameRow>& games) {
    const std::vector<PlayedBlock> played = blocksOf(games, name);
    if (played.empty())
        return QStringLiteral("No recorded games of \"%1\".\n").arg(terminalText(name)).toUtf8();

    TextColumns columns({Align::Right, Align::Left, Align::Left, Align::Left, Align::Right,
                         Align::Right, Align::Right, Align::Right, Align::Left});
    columns.addRow({QStringLiteral("ID"), QStringLiteral("Played"), QStringLiteral("Map"),
                    QStringLiteral("Team"), QStringLiteral("Kills"), QStringLiteral("Deaths"),
                    QStringLiteral("Hit %"), QStringLiteral("Skill Points")});
    for (const auto& [g, p] : played) {
        columns.addRow({number(g->id), terminalText(g->playedAt), terminalText(g->map),
                        p->team.isEmpty() ? QStringLiteral("-") : terminalText(p->team),
                        number(p->kills), number(p->deaths), number(p->hitPercent),
                        number(p->skillPoints), undoneMark(*g)});
    }
    return columns.text();
}

} // namespace vantor::history
