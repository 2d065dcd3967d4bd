#include "game_notice.h"

#include "history/journal/game_rows.h"
#include "history/views/game_views.h"

#include <algorithm>

namespace vantor::recorder {

webhook::GameNotice gameNotice(const history::GameRow& game, const QString& link) {
    webhook::GameNotice n;
    n.id = game.id;
    n.playedAt = game.playedAt;
    n.map = game.map;
    n.rules = game.rules;
    n.elapsedTime = game.elapsedTime;
    n.result = QString::fromLatin1(history::outcomeText(game.outcome));
    n.players = int(game.players.size());
    n.link = link;
    std::vector<const history::PlayerGameRow*> best;
    for (const history::PlayerGameRow& p : game.players)
        best.push_back(&p);
    std::stable_sort(best.begin(), best.end(), [](const auto* a, const auto* b) {
        return a->skillPoints != b->skillPoints ? a->skillPoints > b->skillPoints
                                                : a->kills > b->kills;
    });
    for (std::size_t i = 0; i < best.size() && i < 3; ++i)
        n.top.push_back({best[i]->name, best[i]->kills, best[i]->deaths, best[i]->skillPoints});
    return n;
}

} // namespace vantor::recorder
