#include "game_views.h"
#include "skill_chart.h"
#include "view_text.h"

#include "common/cp1252.h"
#include "common/skill.h"

#include <algorithm>

namespace vantor::history {

namespace {

// The colours and fonts of the stats pages, as a style sheet rather than font tags.
constexpr auto kStyle =
    "body{background-color:#000000;color:#C0C0C0;font-family:Verdana,sans-serif;font-size:13px}"
    "a:link,a:visited{color:lime}"
    ".white{color:#FFFFFF}.hi{color:#00FF00}"
    "h1,h2{font-size:15px;font-weight:normal;color:#FFFFFF}"
    "table{border-collapse:collapse;font-size:smaller;margin-bottom:16px}"
    "th{background-color:rgb(40,40,40);color:#FFFFFF;border:1px solid #808080;"
    "padding:2px 6px;font-weight:normal}"
    "td{padding:3px 6px 0 6px;color:#C0C0C0}td.n{text-align:right}"
    "tr.undone td{color:#707070;font-style:italic}"
    // A phone shows the page at its own width: wide tables scroll inside their box, the logo
    // and the chart shrink to fit.
    ".scroll{overflow-x:auto;max-width:100%;margin-bottom:16px}.scroll table{margin-bottom:0}"
    "img,svg.chart{max-width:100%;height:auto}";

QString attr(const QByteArray& buildValue) {
    return htmlEscaped(QString::fromUtf8(buildValue));
}

QString cell(const QString& text, bool number = false) {
    return (number ? QLatin1String("<td class=\"n\">") : QLatin1String("<td>")) + text +
           QLatin1String("</td>");
}

QString numberCell(qint64 value) {
    return cell(QString::number(value), true);
}

QString headingRow(std::initializer_list<const char*> labels) {
    QString row = QStringLiteral("<tr>");
    for (const char* label : labels)
        row += QLatin1String("<th>") + QLatin1String(label) + QLatin1String("</th>");
    return row + QLatin1String("</tr>");
}

QString pageHead(const PageLinks& links) {
    const bool home = !links.homePage.isEmpty();
    const QString homeAnchor =
        QLatin1String("<a href=\"") + attr(links.homePage) + QLatin1String("\">");
    QString head = QStringLiteral("<p>");
    if (home)
        head += homeAnchor;
    head += QLatin1String("<img src=\"") + attr(links.logoImage) +
            QLatin1String("\" alt=\"Vantor\" border=\"0\" width=\"468\" height=\"134\">");
    if (home)
        head += QLatin1String("</a>");
    head += QLatin1String("<br><small class=\"white\">") + attr(links.credit) +
            QLatin1String("</small>");
    if (home)
        head += QLatin1String("<br><small class=\"white\">Check for Program Updates: ") +
                homeAnchor + QLatin1String("Here.</a></small>");
    if (!links.email.isEmpty())
        head += QLatin1String("<br><small class=\"white\">E-Mail: <a href=\"mailto:") +
                attr(links.email) + QLatin1String("\">") + attr(links.email) +
                QLatin1String("</a></small>");
    return head + QLatin1String("</p>");
}

QString scrollBox(const QString& table) {
    return QLatin1String("<div class=\"scroll\">") + table + QLatin1String("</div>");
}

QString totalsTable(const PlayerStatsRecord& t) {
    QString table = QStringLiteral("<table class=\"totals\">");
    table += headingRow({"Skill Points", "Kills", "Average Kills/Game", "Deaths", "Rounds Fired",
                         "Rounds Taken", "Average Hit %", "Games Played", "Last Played"});
    table += QLatin1String("<tr>") + numberCell(t.skillPoints) + numberCell(t.kills) +
             cell(QString::fromLatin1(killsPerGameText(t.kills, t.games)), true) +
             numberCell(t.deaths) + numberCell(t.roundsFired) + numberCell(t.roundsTaken) +
             cell(QString::number(t.hitPercent) + QLatin1Char('%'), true) + numberCell(t.games) +
             cell(htmlText(t.lastPlayed.text())) + QLatin1String("</tr>");
    return table + QLatin1String("</table>");
}

QString gamesTable(const std::vector<PlayedBlock>& played, const NameSet& hidden) {
    QString table = QStringLiteral("<table class=\"games\">");
    table += headingRow({"Game", "Played", "Map", "Rules", "Team", "Kills", "Deaths", "Hit %",
                         "Skill Points", "Killed by", "Result"});
    for (const auto& [g, p] : played) {
        table += g->undone ? QLatin1String("<tr class=\"undone\">") : QLatin1String("<tr>");
        table += numberCell(g->id) + cell(htmlText(g->playedAt)) + cell(htmlText(g->map)) +
                 cell(htmlText(g->rules)) + cell(htmlText(p->team)) + numberCell(p->kills) +
                 numberCell(p->deaths) +
                 cell(QString::number(p->hitPercent) + QLatin1Char('%'), true) +
                 numberCell(p->skillPoints) +
                 cell(hidden.contains(p->killedBy) ? QString() : htmlText(p->killedBy)) +
                 cell(QString::fromLatin1(outcomeText(g->outcome)) +
                      (g->undone ? QStringLiteral(" (undone)") : QString()));
        table += QLatin1String("</tr>");
    }
    return table + QLatin1String("</table>");
}

} // namespace

QByteArray playerPageHtml(const QByteArray& name, const PlayerStatsRecord* totals,
                          const std::vector<GameRow>& games, const PageLinks& links,
                          const QString& lastUpdated, const NameSet& hidden) {
    const std::vector<PlayedBlock> played = blocksOf(games, name);

    const QString shownName = htmlText(name);
    QString page =
        QStringLiteral("<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    page += QLatin1String("<title>Vantor player stats: ") + shownName +
            QLatin1String("</title><style>") + QLatin1String(kStyle) +
            QLatin1String("</style></head><body>");
    page += pageHead(links);
    page += QLatin1String("<h1>Player: <span class=\"hi\">") + shownName +
            QLatin1String("</span></h1>");

    if (totals && !totals->isBlank())
        page += scrollBox(totalsTable(*totals));
    else
        page += QLatin1String("<p class=\"white\">This player is no longer in the stats file.</p>");

    std::vector<ChartGame> counted;
    for (const auto& [g, p] : played)
        if (!g->undone)
            counted.push_back({g->id, fromCp1252(g->playedAt), p->skillPoints, p->kills});
    page += QLatin1String("<h2>Skill points and kills per game</h2>");
    if (counted.empty())
        page += QLatin1String("<p class=\"no-chart\">No recorded game counts for this player "
                              "yet.</p>");
    else
        page += QString::fromUtf8(skillChartSvg(counted));

    page += QLatin1String("<h2>Games</h2>");
    if (played.empty())
        page += QLatin1String("<p>No recorded games.</p>");
    else
        page += scrollBox(gamesTable(played, hidden));
    if (!lastUpdated.isEmpty())
        page += QLatin1String("<p class=\"updated\"><small>Last updated: ") +
                htmlEscaped(lastUpdated) + QLatin1String("</small></p>");
    page += QLatin1String("</body></html>\n");
    return page.toUtf8();
}

} // namespace vantor::history
