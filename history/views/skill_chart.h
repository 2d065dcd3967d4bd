#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace vantor::history {

// One game of a player as the chart draws it.
struct ChartGame {
    std::int64_t id = 0;
    QString playedAt; // already decoded; escaped by the chart
    std::int64_t skillPoints = 0;
    std::int64_t kills = 0;
};

// Skill points (upper panel) and kills (lower panel) per game, oldest first, as an inline SVG
// element: one circle per game in each series (class "skill" or "kills"), each with a tooltip,
// joined by a line; value axes with tick labels, a game axis labelled with game ids and dates.
// Any 32-bit values scale into the panels, negative ones too. Empty for no games.
QByteArray skillChartSvg(const std::vector<ChartGame>& games);

} // namespace vantor::history
