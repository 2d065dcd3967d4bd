#include "site_pages.h"

#include "site_awards.h"
#include "site_html.h"
#include "site_names.h"

#include "history/views/skill_chart.h"
#include "history/views/view_text.h"

#include "history/views/game_views.h"

#include "common/cp1252.h"
#include "common/skill.h"

#include <QDate>
#include <algorithm>
#include <map>
#include <set>

namespace vantor::history::site {

namespace {

QString periodLabel(const SiteModel& model, const PeriodKey& k) {
    switch (k.kind) {
    case PeriodKind::Week:
        return QStringLiteral("%1-W%2")
            .arg(k.value / 100)
            .arg(k.value % 100, 2, 10, QLatin1Char('0'));
    case PeriodKind::Month:
        return QStringLiteral("%1-%2")
            .arg(k.value / 100)
            .arg(k.value % 100, 2, 10, QLatin1Char('0'));
    case PeriodKind::Season:
        return htmlEscaped(model.seasons()[std::size_t(k.value)].name);
    }
    return {};
}

QString periodTitle(const SiteModel& model, const PeriodKey& k) {
    static const char* const kWords[] = {"Week ", "Month ", "Season "};
    return QLatin1String(kWords[int(k.kind)]) + periodLabel(model, k);
}

QString monthText(int month) {
    return QStringLiteral("%1-%2").arg(month / 100).arg(month % 100, 2, 10, QLatin1Char('0'));
}

QString outcomeCell(TeamOutcome o) {
    return QString::fromLatin1(outcomeText(o));
}

std::map<PeriodKind, PeriodKey> currentPeriods(const SiteModel& model, const QDateTime& now) {
    const QDate today = now.date();
    int weekYear = 0;
    const int week = today.weekNumber(&weekYear);
    return {{PeriodKind::Week, {PeriodKind::Week, weekYear * 100 + week}},
            {PeriodKind::Month, {PeriodKind::Month, today.year() * 100 + today.month()}},
            {PeriodKind::Season, {PeriodKind::Season, model.seasonOf(today)}}};
}

// What new games touch, for a refresh.
struct Touched {
    std::set<std::uint32_t> players;
    std::set<std::uint32_t> maps;
    std::set<PeriodKey> periods;
    std::set<std::pair<int, std::uint32_t>> archivePages; // (month, part)
    std::vector<std::uint32_t> newGames;
    std::vector<std::uint32_t> droppedGames; // no longer among the newest with a page
    bool playersIndex = false;
    bool mapsIndex = false;
    bool periodsIndex = false;
    bool archiveIndex = false;
};

class Pages {
public:
    Pages(const SiteModel& model, const QDateTime& now, const PageSink& sink,
          const PageLimits& limits, FinishedAwards& awards)
        : m_(model), now_(now), sink_(sink), playerStems_(namesOf(model)), mapStems_(model.maps()),
          gamePages_(limits.gamePages),
          archivePageGames_(std::max<std::size_t>(1, limits.archivePageGames)), awards_(awards) {
        const auto& games = m_.games();
        firstWithPage_ = games.size() > gamePages_ ? games.size() - gamePages_ : 0;
        current_ = currentPeriods(model, now);
    }

    void run() {
        sink_(QStringLiteral("style.css"), styleSheet());
        collectAwards();
        for (std::uint32_t p = 0; p < m_.players().size(); ++p)
            playerPage(p);
        for (std::size_t g = firstWithPage_; g < m_.games().size(); ++g)
            gamePage(std::uint32_t(g));
        archivePages(nullptr);
        for (std::uint32_t map = 0; map < m_.maps().size(); ++map)
            if (!m_.gamesOfMap(map).empty())
                mapPage(map);
        mapsIndex();
        for (const auto& [key, games] : m_.periods())
            periodPage(key, games);
        periodsIndex();
        hallOfFame();
        playersIndex();
        frontPage();
    }

    // The pages the new games touch, and the pages of games that lost theirs; nullopt when
    // the refresh must make the whole site.
    std::optional<std::vector<QString>> runRefresh(const SiteRefresh& refresh) {
        const auto touched = touchedBy(refresh);
        if (!touched)
            return std::nullopt;
        collectAwards();
        for (std::uint32_t p : touched->players)
            playerPage(p);
        for (std::uint32_t g : touched->newGames)
            if (g >= firstWithPage_)
                gamePage(g);
        archivePages(&*touched);
        for (std::uint32_t map : touched->maps)
            mapPage(map);
        if (touched->mapsIndex)
            mapsIndex();
        for (const PeriodKey& key : touched->periods)
            periodPage(key, m_.periods().at(key));
        if (touched->periodsIndex)
            periodsIndex();
        if (touched->playersIndex)
            playersIndex();
        frontPage();
        std::vector<QString> gone;
        for (std::uint32_t g : touched->droppedGames)
            gone.push_back(QStringLiteral("games/%1.html").arg(m_.games()[g].id));
        return gone;
    }

private:
    static std::vector<QByteArray> namesOf(const SiteModel& model) {
        std::vector<QByteArray> names;
        for (const SitePlayer& p : model.players())
            names.push_back(p.name);
        return names;
    }

    QString playerPath(std::uint32_t p) const {
        return QStringLiteral("players/") + playerStems_.stemOf(m_.players()[p].name) +
               QStringLiteral(".html");
    }
    QString mapPath(std::uint32_t map) const {
        return QStringLiteral("maps/") + mapStems_.stemOf(m_.maps()[map]) + QStringLiteral(".html");
    }
    QString periodPath(const PeriodKey& k) const {
        switch (k.kind) {
        case PeriodKind::Week:
            return QStringLiteral("weeks/") + periodLabel(m_, k) + QStringLiteral(".html");
        case PeriodKind::Month:
            return QStringLiteral("months/") + periodLabel(m_, k) + QStringLiteral(".html");
        case PeriodKind::Season:
            return QStringLiteral("seasons/") +
                   fileStem(toCp1252(m_.seasons()[std::size_t(k.value)].name)) +
                   QStringLiteral(".html");
        }
        return {};
    }
    static QString archivePath(int month, std::uint32_t part) {
        const QString suffix =
            part == 0 ? QStringLiteral(".html") : QStringLiteral("-%1.html").arg(part + 1);
        return QStringLiteral("archive/") +
               (month == 0 ? QStringLiteral("undated") : monthText(month)) + suffix;
    }
    std::uint32_t archivePart(const SiteGame& game) const {
        return std::uint32_t(game.inMonth / archivePageGames_);
    }
    QString archiveLine(const SiteGame& game) const {
        return archivePath(game.month, archivePart(game)) + QStringLiteral("#g%1").arg(game.id);
    }
    // Where a game is shown: its own page while it is among the newest, else its archive line.
    QString gamePath(std::uint32_t g) const {
        const SiteGame& game = m_.games()[g];
        if (g >= firstWithPage_)
            return QStringLiteral("games/%1.html").arg(game.id);
        return archiveLine(game);
    }
    // A link into the archive line of a game, which never moves.
    QString archiveLink(const PageBuilder& page, std::uint32_t g) const {
        const SiteGame& game = m_.games()[g];
        return page.link(archiveLine(game), QString::number(game.id));
    }
    QString playerLink(const PageBuilder& page, std::uint32_t p) const {
        return page.link(playerPath(p), htmlText(m_.players()[p].name));
    }
    QString mapLink(const PageBuilder& page, std::uint32_t map) const {
        return page.link(mapPath(map), htmlText(m_.maps()[map]));
    }
    QString playedAt(std::uint32_t g) const { return htmlText(m_.playedAt(m_.games()[g])); }

    void put(const QString& path, const PageBuilder& page, const QString& lastUpdated,
             const QString& script = {}) {
        sink_(path, page.finish(lastUpdated, script));
    }

    // Every award of every finished period, for the winners' pages.
    void collectAwards() {
        const QByteArray periods = currentPeriodsText(m_, now_);
        if (!awardsHold(periods)) {
            awards_.won.clear();
            awards_.latest.clear();
            for (const auto& [key, games] : m_.periods()) {
                if (!finished(key))
                    continue;
                std::vector<Award> awards = awardsOver(m_, m_.totalsOver(games));
                for (const Award& a : awards)
                    if (a.winnerPlayer)
                        awards_.won.push_back({*a.winnerPlayer, key, a.title, a.value});
                if (key == lastFinished(key.kind))
                    awards_.latest.emplace_back(key, std::move(awards));
            }
            awards_.periods = periods;
            awardsMade_ = true;
        }
        awards_.games = m_.games().size();
        for (const AwardWon& w : awards_.won)
            awardsWon_[w.player].push_back({w.period, w.title, w.value});
    }
    // Kept awards hold while the same periods are finished and no game since is dated into one.
    bool awardsHold(const QByteArray& periods) const {
        const auto& games = m_.games();
        if (awards_.periods != periods || awards_.games > games.size())
            return false;
        for (std::size_t g = awards_.games; g < games.size(); ++g) {
            const SiteGame& game = games[g];
            if ((game.week != 0 && (finished({PeriodKind::Week, game.week}) ||
                                    finished({PeriodKind::Month, game.month}))) ||
                (game.season >= 0 && finished({PeriodKind::Season, game.season})))
                return false;
        }
        return true;
    }

public:
    bool awardsMade() const { return awardsMade_; }

private:
    bool finished(const PeriodKey& k) const { return k < current_.at(k.kind); }

    // A period's totals: the model keeps the newest periods', a current one is summed once per
    // build, any other into scratch.
    const WindowTotals& totalsOf(const PeriodKey& key, WindowTotals& scratch) {
        if (const WindowTotals* kept = m_.keptTotals(key))
            return *kept;
        if (key != current_.at(key.kind)) {
            scratch = m_.totalsOver(m_.periods().at(key));
            return scratch;
        }
        auto it = currentTotals_.find(key);
        if (it == currentTotals_.end())
            it = currentTotals_.emplace(key, m_.totalsOver(m_.periods().at(key))).first;
        return it->second;
    }

    QString standingsTable(const PageBuilder& page,
                           const std::vector<std::pair<std::uint32_t, Totals>>& ranked,
                           std::size_t rows) const {
        QString t = tableStart(QStringLiteral("standings"),
                               {"Rank", "Player", "Skill Points", "Kills", "Deaths",
                                "Average Kills/Game", "Average Hit %", "Games Played", "Wins"});
        for (std::size_t i = 0; i < ranked.size() && i < rows; ++i) {
            const Totals& x = ranked[i].second;
            t += QStringLiteral("<tr>") + numberCell(qint64(i + 1)) +
                 cell(playerLink(page, ranked[i].first)) + numberCell(x.skillPoints()) +
                 numberCell(x.kills) + numberCell(x.deaths) +
                 numberCell(hundredthsText(x.killsPerGame())) +
                 numberCell(QString::number(x.hitPercent()) + QLatin1Char('%')) +
                 numberCell(x.games) + numberCell(x.wins) + QStringLiteral("</tr>\n");
        }
        return t + tableEnd();
    }

    QString awardsTable(const PageBuilder& page, const std::vector<Award>& awards) const {
        QString t = tableStart(QStringLiteral("awards"),
                               {"Award", "Winner", "Value", "Runner-up", "Value"});
        for (const Award& a : awards) {
            const auto who = [&](const QString& text, const std::optional<std::uint32_t>& p) {
                return p ? playerLink(page, *p) : (text.isEmpty() ? QStringLiteral("-") : text);
            };
            t += QStringLiteral("<tr>") + cell(a.title) + cell(who(a.winner, a.winnerPlayer)) +
                 numberCell(a.value) + cell(who(a.runnerUp, a.runnerUpPlayer)) +
                 numberCell(a.runnerUpValue) + QStringLiteral("</tr>\n");
        }
        return t + tableEnd();
    }

    // Games as lines, newest first; each links to where the game is shown.
    QString gamesTable(const PageBuilder& page, const std::vector<std::uint32_t>& newestFirst,
                       bool anchors = false) const {
        QString t = tableStart(QStringLiteral("games"),
                               {"Game", "Played", "Map", "Rules", "Players", "Result"});
        for (std::uint32_t g : newestFirst) {
            const SiteGame& game = m_.games()[g];
            const QString id = QString::number(game.id);
            t += anchors ? QStringLiteral("<tr id=\"g") + id + QStringLiteral("\">")
                         : QStringLiteral("<tr>");
            t += numberCell(
                     g >= firstWithPage_
                         ? page.link(QStringLiteral("games/") + id + QStringLiteral(".html"), id)
                         : (anchors ? id : archiveLink(page, g))) +
                 cell(playedAt(g)) + cell(mapLink(page, game.map)) +
                 cell(htmlText(m_.text(game.rules))) + numberCell(game.rowCount) +
                 cell(outcomeCell(game.outcome)) + QStringLiteral("</tr>\n");
        }
        return t + tableEnd();
    }

    void playerPage(std::uint32_t p) {
        const SitePlayer& player = m_.players()[p];
        PageBuilder page(Depth::Folder, QStringLiteral("Player: ") + htmlText(player.name));
        QString& b = page.body();
        const Totals& t = player.total;
        b += QStringLiteral("<p>Rank <span class=\"hi\">%1</span> of %2 by skill points, after "
                            "the player's last game (")
                 .arg(player.rank)
                 .arg(player.rankedCount) +
             archiveLink(page, player.lastGame) + QStringLiteral(").</p>\n");
        // As it stood after the player's latest rated game, so the page changes only with his
        // games.
        if (const Rating* r = m_.ratingOf(player.name))
            b += QStringLiteral("<p>Rating <span class=\"hi\">%1</span> &plusmn; %2 over %3 rated "
                                "games%4 (Glicko-2).</p>\n")
                     .arg(qRound64(r->rating()))
                     .arg(qRound64(r->deviation()))
                     .arg(r->games)
                     .arg(r->provisional() ? QStringLiteral(", provisional") : QString());
        b += tableStart(QStringLiteral("totals"),
                        {"Skill Points", "Kills", "Average Kills/Game", "Deaths", "Rounds Fired",
                         "Rounds Taken", "Average Hit %", "Games Played", "Wins", "Last Played"});
        b += QStringLiteral("<tr>") + numberCell(t.skillPoints()) + numberCell(t.kills) +
             numberCell(hundredthsText(t.killsPerGame())) + numberCell(t.deaths) +
             numberCell(t.roundsFired) + numberCell(t.roundsTaken) +
             numberCell(QString::number(t.hitPercent()) + QLatin1Char('%')) + numberCell(t.games) +
             numberCell(t.wins) + cell(playedAt(player.lastGame)) + QStringLiteral("</tr>\n") +
             tableEnd();

        const std::vector<std::uint32_t> rows = m_.rowsOf(p);
        const std::size_t chartFrom =
            rows.size() > kPlayerChartGames ? rows.size() - kPlayerChartGames : 0;
        std::vector<ChartGame> chart;
        for (std::size_t i = chartFrom; i < rows.size(); ++i) {
            const SiteRow& r = m_.rows()[rows[i]];
            const SiteGame& g = m_.games()[r.game];
            chart.push_back({g.id, fromCp1252(m_.playedAt(g)),
                             skillPointsOf(r.kills, r.deaths, r.hitPercent), r.kills});
        }
        b += QStringLiteral("<h2>Skill points and kills per game</h2>\n");
        if (chartFrom > 0)
            b += QStringLiteral("<p class=\"dim\">The last %1 games.</p>").arg(chart.size());
        b += QString::fromUtf8(skillChartSvg(chart));

        std::map<std::uint32_t, Totals> maps;
        for (std::uint32_t i : rows) {
            const SiteRow& r = m_.rows()[i];
            const SiteGame& g = m_.games()[r.game];
            maps[g.map].add(r, wonBy(g.outcome, m_.text(r.team)));
        }
        b += QStringLiteral("<h2>Maps played</h2>\n") +
             tableStart(QStringLiteral("maps"), {"Map", "Games", "Kills", "Deaths", "Wins"});
        for (const auto& [map, mt] : maps)
            b += QStringLiteral("<tr>") + cell(mapLink(page, map)) + numberCell(mt.games) +
                 numberCell(mt.kills) + numberCell(mt.deaths) + numberCell(mt.wins) +
                 QStringLiteral("</tr>\n");
        b += tableEnd();

        if (const auto won = awardsWon_.find(p); won != awardsWon_.end()) {
            b += QStringLiteral("<h2>Awards won</h2>\n") +
                 tableStart(QStringLiteral("won"), {"Period", "Award", "Value"});
            for (const WonAward& w : won->second)
                b += QStringLiteral("<tr>") +
                     cell(page.link(periodPath(w.period), periodTitle(m_, w.period))) +
                     cell(w.title) + numberCell(w.value) + QStringLiteral("</tr>\n");
            b += tableEnd();
        }
        const std::vector<QByteArray> aliases = m_.aliasesOf(player.name);
        if (!aliases.empty()) {
            b += QStringLiteral("<h2>Also played as</h2>\n<ul>");
            for (const QByteArray& a : aliases)
                b += QStringLiteral("<li>") + htmlText(a) + QStringLiteral("</li>");
            b += QStringLiteral("</ul>\n");
        }

        const std::size_t listFrom = rows.size() > kPlayerGames ? rows.size() - kPlayerGames : 0;
        b += QStringLiteral("<h2>Games</h2>\n");
        if (listFrom > 0)
            b += QStringLiteral("<p class=\"dim\">The last %1 of %2 games.</p>")
                     .arg(rows.size() - listFrom)
                     .arg(rows.size());
        b += tableStart(QStringLiteral("games"), {"Game", "Played", "Map", "Team", "Kills",
                                                  "Deaths", "Hit %", "Skill Points", "Result"});
        for (std::size_t i = rows.size(); i-- > listFrom;) {
            const SiteRow& r = m_.rows()[rows[i]];
            const SiteGame& g = m_.games()[r.game];
            b += QStringLiteral("<tr>") + numberCell(archiveLink(page, r.game)) +
                 cell(playedAt(r.game)) + cell(mapLink(page, g.map)) +
                 cell(htmlText(m_.text(r.team))) + numberCell(r.kills) + numberCell(r.deaths) +
                 numberCell(QString::number(r.hitPercent) + QLatin1Char('%')) +
                 numberCell(skillPointsOf(r.kills, r.deaths, r.hitPercent)) +
                 cell(outcomeCell(g.outcome)) + QStringLiteral("</tr>\n");
        }
        b += tableEnd();
        put(playerPath(p), page, playedAt(player.lastGame));
    }

    void gamePage(std::uint32_t gi) {
        const SiteGame& g = m_.games()[gi];
        PageBuilder page(Depth::Folder, QStringLiteral("Game %1").arg(g.id));
        QString& b = page.body();
        b += tableStart(QStringLiteral("game"),
                        {"Played", "Type", "Map", "Rules", "Elapsed Time", "Result"});
        b += QStringLiteral("<tr>") + cell(playedAt(gi)) +
             cell(g.coop ? QStringLiteral("Cooperative") : QStringLiteral("Adversarial")) +
             cell(mapLink(page, g.map)) + cell(htmlText(m_.text(g.rules))) +
             cell(htmlText(m_.text(g.elapsed))) + cell(outcomeCell(g.outcome)) +
             QStringLiteral("</tr>\n") + tableEnd();
        b += QStringLiteral("<h2>Players</h2>\n") +
             tableStart(QStringLiteral("players"),
                        {"Player", "Team", "Kills", "Deaths", "Hit %", "Rounds Fired",
                         "Rounds Taken", "Skill Points", "Killed by"});
        for (std::uint32_t i = g.firstRow; i < g.firstRow + g.rowCount; ++i) {
            const SiteRow& r = m_.rows()[i];
            b += QStringLiteral("<tr>") + cell(playerLink(page, r.player)) +
                 cell(htmlText(m_.text(r.team))) + numberCell(r.kills) + numberCell(r.deaths) +
                 numberCell(QString::number(r.hitPercent) + QLatin1Char('%')) +
                 numberCell(r.roundsFired) + numberCell(r.roundsTaken) +
                 numberCell(skillPointsOf(r.kills, r.deaths, r.hitPercent)) +
                 cell(htmlText(m_.text(r.killedBy))) + QStringLiteral("</tr>\n");
        }
        b += tableEnd();
        b += QStringLiteral("<p>") +
             page.link(archiveLine(g), QStringLiteral("All games of the month")) +
             QStringLiteral("</p>\n");
        put(QStringLiteral("games/%1.html").arg(g.id), page, playedAt(gi));
    }

    // touched: only the pages it names, and the list of them when it asks for it.
    void archivePages(const Touched* touched) {
        using Part = std::pair<int, std::uint32_t>;
        std::map<Part, std::vector<std::uint32_t>> parts; // oldest first
        if (touched) {
            for (const Part& part : touched->archivePages)
                parts[part];
            // Walked back from the newest game until the first game of each part is met.
            std::set<Part> open(touched->archivePages.begin(), touched->archivePages.end());
            for (std::uint32_t g = std::uint32_t(m_.games().size()); g-- > 0 && !open.empty();) {
                const SiteGame& game = m_.games()[g];
                const Part part{game.month, archivePart(game)};
                if (const auto it = parts.find(part); it != parts.end()) {
                    it->second.push_back(g);
                    if (game.inMonth % archivePageGames_ == 0)
                        open.erase(part);
                }
            }
            for (auto& [part, games] : parts)
                std::reverse(games.begin(), games.end());
        } else {
            for (std::uint32_t g = 0; g < m_.games().size(); ++g)
                parts[{m_.games()[g].month, archivePart(m_.games()[g])}].push_back(g);
        }
        for (const auto& [part, games] : parts) {
            if (games.empty())
                continue;
            std::vector<std::uint32_t> newestFirst(games.rbegin(), games.rend());
            PageBuilder page(Depth::Folder, archiveTitle(part.first, part.second));
            page.body() += gamesTable(page, newestFirst, true);
            put(archivePath(part.first, part.second), page, playedAt(newestFirst.front()));
        }
        if (touched && !touched->archiveIndex)
            return;
        archiveIndex();
    }

    static QString archiveTitle(int month, std::uint32_t part) {
        const QString title = month == 0 ? QStringLiteral("Games without a date")
                                         : QStringLiteral("Games of ") + monthText(month);
        return part == 0 ? title : title + QStringLiteral(", part %1").arg(part + 1);
    }

    void archiveIndex() {
        std::map<int, std::uint32_t> months; // month -> the first game of its last part
        for (std::uint32_t g = 0; g < m_.games().size(); ++g)
            if (m_.games()[g].inMonth % archivePageGames_ == 0)
                months[m_.games()[g].month] = g;
        PageBuilder index(Depth::Top, QStringLiteral("Games by month"));
        index.body() += QStringLiteral("<ul>\n");
        for (auto it = months.rbegin(); it != months.rend(); ++it) {
            const std::uint32_t parts = archivePart(m_.games()[it->second]) + 1;
            index.body() += QStringLiteral("<li>") +
                            index.link(archivePath(it->first, 0), archiveTitle(it->first, 0));
            for (std::uint32_t part = 1; part < parts; ++part)
                index.body() += QStringLiteral(" &middot; ") +
                                index.link(archivePath(it->first, part),
                                           QStringLiteral("part %1").arg(part + 1));
            index.body() += QStringLiteral("</li>\n");
        }
        index.body() += QStringLiteral("</ul>\n");
        // The newest part's start: this page changes with the parts, not with every game.
        put(QStringLiteral("archive.html"), index,
            months.empty() ? QString() : playedAt(months.rbegin()->second));
    }

    void mapPage(std::uint32_t map) {
        const std::vector<std::uint32_t>& games = m_.gamesOfMap(map);
        PageBuilder page(Depth::Folder, QStringLiteral("Map: ") + htmlText(m_.maps()[map]));
        QString& b = page.body();
        const MapTally& tally = m_.mapTally(map);
        const std::int64_t blue = tally.blue, gold = tally.gold;
        const std::int64_t average = tally.timed == 0 ? -1 : tally.seconds / tally.timed;
        b += tableStart(QStringLiteral("summary"), {"Games", "Blue wins", "Gold wins",
                                                    "Other results", "Average Elapsed Time"});
        b += QStringLiteral("<tr>") + numberCell(qint64(games.size())) + numberCell(blue) +
             numberCell(gold) + numberCell(qint64(games.size()) - blue - gold) +
             numberCell(average < 0 ? QStringLiteral("-")
                                    : QStringLiteral("%1:%2")
                                          .arg(average / 60)
                                          .arg(average % 60, 2, 10, QLatin1Char('0'))) +
             QStringLiteral("</tr>\n") + tableEnd();
        std::vector<MapPlayers::Entry> byKills = m_.mapPlayers(map).all();
        const auto top = std::min<std::size_t>(10, byKills.size());
        std::partial_sort(byKills.begin(), byKills.begin() + std::ptrdiff_t(top), byKills.end(),
                          [&](const auto& a, const auto& b2) {
                              if (a.second.kills != b2.second.kills)
                                  return a.second.kills > b2.second.kills;
                              if (a.second.games != b2.second.games)
                                  return a.second.games > b2.second.games;
                              return m_.players()[a.first].name < m_.players()[b2.first].name;
                          });
        b += QStringLiteral("<h2>Top ten by kills</h2>\n") +
             tableStart(QStringLiteral("top"), {"Rank", "Player", "Kills", "Games"});
        for (std::size_t i = 0; i < top; ++i)
            b += QStringLiteral("<tr>") + numberCell(qint64(i + 1)) +
                 cell(playerLink(page, byKills[i].first)) + numberCell(byKills[i].second.kills) +
                 numberCell(byKills[i].second.games) + QStringLiteral("</tr>\n");
        b += tableEnd();
        std::vector<std::uint32_t> recent;
        for (auto it = games.rbegin(); it != games.rend() && recent.size() < kFrontRecentGames;
             ++it)
            recent.push_back(*it);
        b += QStringLiteral("<h2>The last games on this map</h2>\n") + gamesTable(page, recent);
        put(mapPath(map), page, playedAt(games.back()));
    }

    void mapsIndex() {
        std::vector<std::uint32_t> order;
        for (std::uint32_t map = 0; map < m_.maps().size(); ++map)
            order.push_back(map);
        std::sort(order.begin(), order.end(),
                  [&](auto a, auto b) { return m_.maps()[a] < m_.maps()[b]; });
        PageBuilder page(Depth::Top, QStringLiteral("Maps"));
        page.body() += QStringLiteral("<ul class=\"names\">\n");
        std::uint32_t newest = 0;
        for (std::uint32_t map : order) {
            page.body() += QStringLiteral("<li>") + mapLink(page, map) + QStringLiteral("</li>\n");
            newest = std::max(newest, m_.gamesOfMap(map).front());
        }
        page.body() += QStringLiteral("</ul>\n");
        put(QStringLiteral("maps.html"), page, order.empty() ? QString() : playedAt(newest));
    }

    void periodPage(const PeriodKey& key, const std::vector<std::uint32_t>& games) {
        PageBuilder page(Depth::Folder, periodTitle(m_, key));
        WindowTotals scratch;
        const WindowTotals& totals = totalsOf(key, scratch);
        const auto ranked = rankedStandings(m_, totals.players, kPeriodStandings);
        page.body() += QStringLiteral("<p>%1 games, %2 players.</p>\n")
                           .arg(games.size())
                           .arg(totals.players.size());
        page.body() +=
            QStringLiteral("<h2>Standings</h2>\n") + standingsTable(page, ranked, kPeriodStandings);
        page.body() +=
            QStringLiteral("<h2>Awards</h2>\n") + awardsTable(page, awardsOver(m_, totals));
        put(periodPath(key), page, playedAt(games.back()));
    }

    void periodsIndex() {
        PageBuilder page(Depth::Top, QStringLiteral("Weeks, months and seasons"));
        std::uint32_t newest = 0;
        for (PeriodKind kind : {PeriodKind::Season, PeriodKind::Month, PeriodKind::Week}) {
            static const char* const kHeads[] = {"Weeks", "Months", "Seasons"};
            page.body() += QStringLiteral("<h2>") + QLatin1String(kHeads[int(kind)]) +
                           QStringLiteral("</h2>\n<ul class=\"names\">\n");
            for (auto it = m_.periods().rbegin(); it != m_.periods().rend(); ++it) {
                if (it->first.kind != kind)
                    continue;
                page.body() += QStringLiteral("<li>") +
                               page.link(periodPath(it->first), periodTitle(m_, it->first)) +
                               QStringLiteral("</li>\n");
                newest = std::max(newest, it->second.front());
            }
            page.body() += QStringLiteral("</ul>\n");
        }
        put(QStringLiteral("periods.html"), page,
            m_.periods().empty() ? QString() : playedAt(newest));
    }

    void hallOfFame() {
        PageBuilder page(Depth::Top, QStringLiteral("Hall of Fame"));
        std::uint32_t newest = 0;
        bool any = false;
        for (PeriodKind kind : {PeriodKind::Season, PeriodKind::Month, PeriodKind::Week}) {
            static const char* const kHeads[] = {"Winners of the weeks", "Winners of the months",
                                                 "Winners of the seasons"};
            page.body() += QStringLiteral("<h2>") + QLatin1String(kHeads[int(kind)]) +
                           QStringLiteral("</h2>\n") +
                           tableStart(QStringLiteral("fame"),
                                      {"Period", "Winner", "Skill Points", "Games Played"});
            for (auto it = m_.periods().rbegin(); it != m_.periods().rend(); ++it) {
                if (it->first.kind != kind || !finished(it->first))
                    continue;
                const auto ranked = rankedStandings(m_, m_.totalsOver(it->second).players, 1);
                if (ranked.empty())
                    continue;
                page.body() += QStringLiteral("<tr>") +
                               cell(page.link(periodPath(it->first), periodTitle(m_, it->first))) +
                               cell(playerLink(page, ranked[0].first)) +
                               numberCell(ranked[0].second.skillPoints()) +
                               numberCell(ranked[0].second.games) + QStringLiteral("</tr>\n");
                newest = std::max(newest, it->second.back());
                any = true;
            }
            page.body() += tableEnd();
        }
        put(QStringLiteral("hall-of-fame.html"), page, any ? playedAt(newest) : QString());
    }

    void playersIndex() {
        std::vector<std::uint32_t> order;
        std::uint32_t newest = 0;
        for (std::uint32_t p = 0; p < m_.players().size(); ++p) {
            order.push_back(p);
            newest = std::max(newest, m_.players()[p].firstGame);
        }
        const auto folded = [&](std::uint32_t p) { return m_.players()[p].name.toLower(); };
        std::sort(order.begin(), order.end(), [&](auto a, auto b) {
            const QByteArray fa = folded(a), fb = folded(b);
            return fa != fb ? fa < fb : m_.players()[a].name < m_.players()[b].name;
        });
        PageBuilder page(Depth::Top, QStringLiteral("Players"));
        QString& b = page.body();
        b += QStringLiteral("<p>%1 players.</p>\n").arg(order.size());
        // Shown by the script only: without it the full list below is the page.
        b += QStringLiteral("<p><input type=\"search\" id=\"find\" placeholder=\"Find a player\" "
                            "aria-label=\"Find a player\" hidden></p>\n<ul class=\"names\" "
                            "id=\"names\">\n");
        for (std::uint32_t p : order)
            b += QStringLiteral("<li>") + playerLink(page, p) + QStringLiteral("</li>\n");
        b += QStringLiteral("</ul>\n");
        const QString script =
            QStringLiteral("<script>(function(){var f=document.getElementById('find'),"
                           "li=document.querySelectorAll('#names li');f.hidden=false;"
                           "f.addEventListener('input',function(){var q=f.value.toLowerCase();"
                           "for(var i=0;i<li.length;++i)li[i].hidden=q!==''&&"
                           "li[i].textContent.toLowerCase().indexOf(q)<0;});})();</script>\n");
        put(QStringLiteral("players.html"), page, order.empty() ? QString() : playedAt(newest),
            script);
    }

    void frontSection(PageBuilder& page, const QString& heading, const PeriodKey& key) {
        QString& b = page.body();
        b += QStringLiteral("<h2>") + heading + QStringLiteral("</h2>\n");
        const auto it = m_.periods().find(key);
        if (it == m_.periods().end()) {
            b += QStringLiteral("<p class=\"dim\">No games yet.</p>\n");
            return;
        }
        WindowTotals scratch;
        b += standingsTable(page, rankedStandings(m_, totalsOf(key, scratch).players, 10), 10) +
             QStringLiteral("<p>") + page.link(periodPath(key), QStringLiteral("All standings")) +
             QStringLiteral("</p>\n");
    }

    // The newest period of a kind that is over.
    std::optional<PeriodKey> lastFinished(PeriodKind kind) const {
        std::optional<PeriodKey> found;
        for (const auto& [key, games] : m_.periods())
            if (key.kind == kind && finished(key))
                found = key;
        return found;
    }

    void frontPage() {
        PageBuilder page(Depth::Top, QStringLiteral("Vantor community stats"));
        QString& b = page.body();
        const auto& games = m_.games();
        if (games.empty()) {
            b += QStringLiteral("<p>No games recorded yet.</p>\n");
        } else {
            const auto last = std::uint32_t(games.size() - 1);
            b += QStringLiteral("<p>Last game: ") + page.link(gamePath(last), playedAt(last)) +
                 QStringLiteral(". %1 games, %2 players.</p>\n")
                     .arg(games.size())
                     .arg(m_.players().size());
        }
        std::unordered_map<std::uint32_t, Totals> all;
        all.reserve(m_.players().size());
        for (std::uint32_t p = 0; p < m_.players().size(); ++p)
            all.emplace(p, m_.players()[p].total);
        b += QStringLiteral("<h2>All-time standings</h2>\n") +
             standingsTable(page, rankedStandings(m_, all, kFrontStandings), kFrontStandings) +
             QStringLiteral("<p>") +
             page.link(QStringLiteral("players.html"), QStringLiteral("Every player")) +
             QStringLiteral("</p>\n");
        frontSection(page, QStringLiteral("This week"), current_.at(PeriodKind::Week));
        frontSection(page, QStringLiteral("This month"), current_.at(PeriodKind::Month));
        const PeriodKey season = current_.at(PeriodKind::Season);
        if (season.value >= 0)
            frontSection(page, QStringLiteral("This season: ") + periodLabel(m_, season), season);
        for (PeriodKind kind : {PeriodKind::Week, PeriodKind::Month}) {
            const auto key = lastFinished(kind);
            if (!key)
                continue;
            const std::vector<Award>* kept = nullptr;
            for (const auto& [period, awards] : awards_.latest)
                kept = period == *key ? &awards : kept;
            WindowTotals scratch;
            b += QStringLiteral("<h2>Awards of ") +
                 page.link(periodPath(*key), periodTitle(m_, *key)) + QStringLiteral("</h2>\n") +
                 awardsTable(page, kept ? *kept : awardsOver(m_, totalsOf(*key, scratch)));
        }
        std::vector<std::uint32_t> recent;
        for (std::size_t i = games.size(); i-- > 0 && recent.size() < kFrontRecentGames;)
            recent.push_back(std::uint32_t(i));
        b += QStringLiteral("<h2>The last games</h2>\n") + gamesTable(page, recent);
        b += QStringLiteral("<p class=\"dim\">Built %1.</p>\n")
                 .arg(now_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        put(QStringLiteral("index.html"), page,
            games.empty() ? QString() : playedAt(std::uint32_t(games.size() - 1)));
    }

    std::optional<Touched> touchedBy(const SiteRefresh& refresh) const {
        const auto& games = m_.games();
        // The games before the refresh must be the ones the last build counted.
        std::size_t first = games.size();
        while (first > 0 && games[first - 1].id > refresh.lastGameId)
            --first;
        if (first != refresh.previousCount || first == 0)
            return std::nullopt;
        Touched t;
        const std::size_t oldFirstWithPage = first > gamePages_ ? first - gamePages_ : 0;
        for (std::size_t g = oldFirstWithPage; g < firstWithPage_; ++g) {
            t.droppedGames.push_back(std::uint32_t(g));
            t.archivePages.insert({games[g].month, archivePart(games[g])});
            t.maps.insert(games[g].map);
        }
        // A new name that met an old one's file name may have moved it: make everything.
        if (playerStems_.collisions() > 0 || mapStems_.collisions() > 0)
            return std::nullopt;
        for (std::size_t g = first; g < games.size(); ++g) {
            const SiteGame& game = games[g];
            t.newGames.push_back(std::uint32_t(g));
            t.maps.insert(game.map);
            t.archivePages.insert({game.month, archivePart(game)});
            // The first game of a part: a new part, listed in the archive's index.
            t.archiveIndex = t.archiveIndex || game.inMonth % archivePageGames_ == 0;
            if (game.week != 0) {
                for (const PeriodKey key : {PeriodKey{PeriodKind::Week, game.week},
                                            PeriodKey{PeriodKind::Month, game.month}}) {
                    t.periods.insert(key);
                }
            }
            if (game.season >= 0)
                t.periods.insert({PeriodKind::Season, game.season});
            t.mapsIndex = t.mapsIndex || m_.gamesOfMap(game.map).front() >= first;
            for (std::uint32_t i = game.firstRow; i < game.firstRow + game.rowCount; ++i) {
                const std::uint32_t p = m_.rows()[i].player;
                t.players.insert(p);
                t.playersIndex = t.playersIndex || m_.players()[p].firstGame == g;
            }
        }
        for (const PeriodKey& key : t.periods) {
            // A game dated into a finished period changes the Hall of Fame and awards won.
            if (finished(key))
                return std::nullopt;
            t.periodsIndex = t.periodsIndex || m_.periods().at(key).front() >= first;
        }
        return t;
    }

    struct WonAward {
        PeriodKey period;
        QString title;
        QString value;
    };

    const SiteModel& m_;
    QDateTime now_;
    const PageSink& sink_;
    StemTable playerStems_;
    StemTable mapStems_;
    std::size_t gamePages_ = 0;
    std::size_t archivePageGames_ = 0;
    std::size_t firstWithPage_ = 0;
    std::map<PeriodKind, PeriodKey> current_;
    FinishedAwards& awards_;
    bool awardsMade_ = false;
    std::unordered_map<std::uint32_t, std::vector<WonAward>> awardsWon_;
    std::map<PeriodKey, WindowTotals> currentTotals_;
};

} // namespace

PagesOutcome buildPages(const SiteModel& model, const QDateTime& now, const PageSink& sink,
                        const SiteRefresh* refresh, const PageLimits& limits,
                        FinishedAwards& awards) {
    Pages pages(model, now, sink, limits, awards);
    PagesOutcome outcome;
    if (refresh) {
        if (auto gone = pages.runRefresh(*refresh)) {
            outcome.whole = false;
            outcome.gone = std::move(*gone);
        }
    }
    if (outcome.whole)
        pages.run();
    outcome.awardsMade = pages.awardsMade();
    return outcome;
}

QByteArray currentPeriodsText(const SiteModel& model, const QDateTime& now) {
    QByteArray text;
    for (const auto& [kind, key] : currentPeriods(model, now))
        text += QByteArray::number(int(kind)) + ':' + QByteArray::number(key.value) + ' ';
    return text;
}

} // namespace vantor::history::site
