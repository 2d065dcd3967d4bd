#include "awards.h"

#include "day_totals.h"
#include "league_scan.h"

#include <cmath>

namespace vantor::history {

namespace {

// The first two of the players ranked for the award.
template <class ValueOf>
Award decide(Award award, const std::vector<PlayerTotals>& players, ValueOf valueOf,
             bool lowestWins = false) {
    const auto ranked = rankForAward(players, award.minimumGames, valueOf, lowestWins);
    if (!ranked.empty())
        award.winner = AwardEntry{ranked[0].totals.name, ranked[0].value};
    if (ranked.size() > 1)
        award.runnerUp = AwardEntry{ranked[1].totals.name, ranked[1].value};
    return award;
}

std::int64_t perGame(std::int64_t total, std::int64_t games) {
    return games > 0 ? total * 100 / games : 0;
}

} // namespace

void AwardTally::add(const GameRow& game, const std::vector<RatingChange>& changes) {
    if (game.undone)
        return;
    players_.add(game);
    if (game.outcome == TeamOutcome::BlueWon)
        ++blueWins_;
    else if (game.outcome == TeamOutcome::RedWon)
        ++goldWins_;
    for (const RatingChange& c : changes) {
        auto it = gains_.find(c.name);
        if (it == gains_.end())
            it = gains_.insert(c.name, RatingGain{c.before.rating(), 0});
        it->after = c.after.rating();
    }
}

std::vector<Award> decideAwards(const std::vector<PlayerTotals>& all,
                                const QHash<QByteArray, RatingGain>& gains, std::int64_t blueWins,
                                std::int64_t goldWins) {
    std::vector<Award> out;
    out.push_back(decide({QStringLiteral("Most kills"), 1, 0, {}, {}}, all,
                         [](const PlayerTotals& p) { return p.kills; }));
    out.push_back(decide({QStringLiteral("Most skill points"), 1, 0, {}, {}}, all,
                         [](const PlayerTotals& p) { return p.record().skillPoints; }));
    out.push_back(decide({QStringLiteral("Best kills per game"), kRateAwardMinimumGames, 2, {}, {}},
                         all, [](const PlayerTotals& p) { return perGame(p.kills, p.games); }));
    out.push_back(decide({QStringLiteral("Best hit %"), kRateAwardMinimumGames, 0, {}, {}}, all,
                         [](const PlayerTotals& p) { return p.record().hitPercent; }));
    out.push_back(decide({QStringLiteral("Most games played"), 1, 0, {}, {}}, all,
                         [](const PlayerTotals& p) { return p.games; }));
    out.push_back(decide(
        {QStringLiteral("Fewest deaths per game"), kRateAwardMinimumGames, 2, {}, {}}, all,
        [](const PlayerTotals& p) { return perGame(p.deaths, p.games); }, true));
    // Only players with a rated game in the window take part.
    std::vector<PlayerTotals> rated;
    for (const PlayerTotals& p : all)
        if (gains.contains(p.name))
            rated.push_back(p);
    out.push_back(decide({kRatingGainTitle, 1, 1, {}, {}}, rated, [&](const PlayerTotals& p) {
        const RatingGain g = gains.value(p.name);
        return std::llround((g.after - g.before) * 10);
    }));

    // Teams are no players: their own decision, by wins, blue first on a tie.
    Award teams{QStringLiteral("Team with most wins"), 1, 0, {}, {}};
    if (blueWins + goldWins > 0) {
        const bool blueFirst = blueWins >= goldWins;
        teams.winner = AwardEntry{blueFirst ? "blue" : "gold", blueFirst ? blueWins : goldWins};
        teams.runnerUp = AwardEntry{blueFirst ? "gold" : "blue", blueFirst ? goldWins : blueWins};
    }
    out.push_back(teams);
    return out;
}

std::vector<Award> windowAwards(Database& db, bool coop, const TimeWindow& window,
                                const AliasMap& aliases) {
    std::vector<Award> list;
    QHash<QByteArray, RatingGain> gains;
    std::optional<std::vector<PlayerTotals>> players;
    if (aliases.isEmpty())
        players = dayTotals(db, coop, window, &gains);
    if (players) {
        const auto results = windowOutcomes(db, coop, window);
        list = decideAwards(*players, gains, results[std::size_t(TeamOutcome::BlueWon)],
                            results[std::size_t(TeamOutcome::RedWon)]);
    } else {
        AwardTally tally(aliases);
        RatingBook ratings(aliases);
        scanWindow(db, coop, window, coop ? nullptr : &ratings,
                   [&](const GameRow& g, bool inWindow, const std::vector<RatingChange>& changes) {
                       if (inWindow)
                           tally.add(g, changes);
                   });
        list = tally.awards();
    }
    if (coop)
        std::erase_if(list, [](const Award& a) { return a.title == kRatingGainTitle; });
    return list;
}

} // namespace vantor::history
