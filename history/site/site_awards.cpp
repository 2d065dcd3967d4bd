#include "site_awards.h"
#include "site_pages.h"

#include "history/views/view_text.h"

#include <algorithm>

namespace vantor::history::site {

namespace {

struct Measure {
    const char* title;
    std::int64_t (*value)(const Totals&);
    bool higherWins;
    std::int64_t minimumGames;
    QString (*text)(std::int64_t);
};

QString plain(std::int64_t v) {
    return QString::number(v);
}

QString percent(std::int64_t v) {
    return QString::number(v) + QLatin1Char('%');
}

const Measure kMeasures[] = {
    {"Most kills", [](const Totals& t) { return t.kills; }, true, 1, plain},
    {"Most skill points", [](const Totals& t) { return std::int64_t(t.skillPoints()); }, true, 1,
     plain},
    {"Best kills per game", [](const Totals& t) { return t.killsPerGame(); }, true,
     kAwardMinimumGames, hundredthsText},
    {"Best hit %", [](const Totals& t) { return std::int64_t(t.hitPercent()); }, true,
     kAwardMinimumGames, percent},
    {"Most games played", [](const Totals& t) { return t.games; }, true, 1, plain},
    {"Fewest deaths per game", [](const Totals& t) { return t.deathsPerGame(); }, false,
     kAwardMinimumGames, hundredthsText},
};

} // namespace

QString hundredthsText(std::int64_t value) {
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    const std::int64_t v = value < 0 ? -value : value;
    return sign + QString::number(v / 100) + QLatin1Char('.') +
           QStringLiteral("%1").arg(v % 100, 2, 10, QLatin1Char('0'));
}

std::vector<std::pair<std::uint32_t, Totals>>
rankedStandings(const SiteModel& model, const std::unordered_map<std::uint32_t, Totals>& totals,
                std::size_t top) {
    std::vector<std::pair<std::uint32_t, Totals>> out(totals.begin(), totals.end());
    top = std::min(top, out.size());
    // Only the first rows are shown: no need to order all of a big window's players.
    std::partial_sort(out.begin(), out.begin() + std::ptrdiff_t(top), out.end(),
                      [&](const auto& a, const auto& b) {
                          const auto sa = a.second.skillPoints(), sb = b.second.skillPoints();
                          if (sa != sb)
                              return sa > sb;
                          if (a.second.games != b.second.games)
                              return a.second.games > b.second.games;
                          return model.players()[a.first].name < model.players()[b.first].name;
                      });
    out.resize(top);
    return out;
}

std::vector<Award> awardsOver(const SiteModel& model, const WindowTotals& window) {
    const auto& totals = window.players;
    std::vector<Award> awards;
    for (const Measure& m : kMeasures) {
        std::vector<std::pair<std::uint32_t, const Totals*>> qualified;
        for (const auto& [player, t] : totals)
            if (t.games >= m.minimumGames)
                qualified.emplace_back(player, &t);
        const auto better = [&](const auto& a, const auto& b) {
            const std::int64_t va = m.value(*a.second), vb = m.value(*b.second);
            if (va != vb)
                return m.higherWins ? va > vb : va < vb;
            if (a.second->games != b.second->games)
                return a.second->games > b.second->games;
            return model.players()[a.first].name < model.players()[b.first].name;
        };
        const std::size_t top = std::min<std::size_t>(2, qualified.size());
        std::partial_sort(qualified.begin(), qualified.begin() + std::ptrdiff_t(top),
                          qualified.end(), better);
        Award a;
        a.title = QLatin1String(m.title);
        if (m.minimumGames > 1)
            a.title += QStringLiteral(" (at least %1 games)").arg(m.minimumGames);
        if (top > 0) {
            a.winnerPlayer = qualified[0].first;
            a.winner = htmlText(model.players()[qualified[0].first].name);
            a.value = m.text(m.value(*qualified[0].second));
        }
        if (top > 1) {
            a.runnerUpPlayer = qualified[1].first;
            a.runnerUp = htmlText(model.players()[qualified[1].first].name);
            a.runnerUpValue = m.text(m.value(*qualified[1].second));
        }
        awards.push_back(std::move(a));
    }
    const std::int64_t blue = window.blue, gold = window.gold;
    Award team;
    team.title = QStringLiteral("Team with most wins");
    if (blue + gold > 0) {
        const bool blueLeads = blue >= gold; // a tie names both
        team.winner = blue == gold ? QStringLiteral("blue and gold")
                                   : (blueLeads ? QStringLiteral("blue") : QStringLiteral("gold"));
        team.value = QString::number(std::max(blue, gold));
        if (blue != gold) {
            team.runnerUp = blueLeads ? QStringLiteral("gold") : QStringLiteral("blue");
            team.runnerUpValue = QString::number(std::min(blue, gold));
        }
    }
    awards.push_back(std::move(team));
    return awards;
}

} // namespace vantor::history::site
