#include "live_page.h"

#include "common/data_files.h"
#include "common/html_text.h"
#include "common/skill.h"

#include <charconv>
#include <string>
#include <string_view>

namespace vantor::recorder {

namespace {

constexpr char kCrLf[] = "\r\n";

// Collects the page in a block that goes out through the sink whenever it fills: the rankings
// of a million players make a page of a gigabyte, which never has to be in memory at once.
class PageText {
public:
    static constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

    explicit PageText(const LivePageSink& sink) : sink_(sink) { out_.reserve(kBlockBytes + 8192); }

    PageText& operator<<(std::string_view text) {
        out_.append(text);
        return *this;
    }
    PageText& operator<<(std::int32_t value) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_.append(digits, end);
        return *this;
    }
    // Text the local user typed, or the page's own pieces.
    PageText& raw(QByteArrayView text) {
        out_.append(text.data(), std::size_t(text.size()));
        return *this;
    }
    // Text that came from the game or its players.
    PageText& escaped(QByteArrayView text) {
        for (char c : text)
            if (c == '&' || c == '<' || c == '>' || c == '"')
                return raw(htmlEscape(text));
        return raw(text);
    }
    PageText& line(std::string_view text) { return *this << text << kCrLf; }

    // Called between rows: hands full blocks on, each exactly kBlockBytes long, so that the
    // file is written in whole pages.
    void rowDone() {
        if (out_.size() < kBlockBytes)
            return;
        sink_(QByteArrayView(out_.data(), qsizetype(kBlockBytes)));
        out_.erase(0, kBlockBytes);
    }
    void flush() {
        if (!out_.empty())
            sink_(QByteArrayView(out_.data(), qsizetype(out_.size())));
        out_.clear();
    }

private:
    const LivePageSink& sink_;
    std::string out_;
};

constexpr char kHeaderCellOpen[] =
    "<td width=\"%\" height=\"1\" style=\"background-color: rgb(40,40,40); color: "
    "rgb(255,255,255); border: 1px solid\" bordercolor=\"#808080\" bordercolorlight=\"#808080\" "
    "bordercolordark=\"#808080\">";

struct HeaderCell {
    const char* width;
    const char* text;
};

constexpr HeaderCell kLastGameHeadings[] = {
    {"50", "<align=\"center\"><font color=\"#FFFFFF\">Health State</font></strong></td>"},
    {"300", "Name</strong></td>"},
    {"200", "Kills</strong></td>"},
    {"105", "Rounds<br>Fired</strong></td>"},
    {"118", "Rounds<br>Taken</strong></td>"},
    {"57", "Average<br>Hit %</strong></td>"},
    {"300", "Killed By</strong></td>"},
};

constexpr HeaderCell kRankingHeadings[] = {
    {"84", "<align=\"center\"><font color=\"#FFFFFF\">Rank</font></strong></td>"},
    {"940", "Name</strong></td>"},
    {"183", "<font color=\"00FF00\">Skill<br>Points</strong></font></td>"},
    {"200", "Kills</strong></td>"},
    {"57", "Average<br>Kills/Game</strong></td>"},
    {"114", "Deaths</strong></td>"},
    {"105", "Rounds<br>Fired</strong></td>"},
    {"118", "Rounds<br>Taken</strong></td>"},
    {"57", "Average<br>Hit %</strong></td>"},
    {"174", "Games Played</strong></td>"},
    {"87", "Last Played</td>"},
};

template <std::size_t N> void writeHeadings(PageText& page, const HeaderCell (&cells)[N]) {
    const QByteArrayView open(kHeaderCellOpen);
    const auto at = open.indexOf('%');
    for (const HeaderCell& cell : cells)
        page.raw(open.first(at)).raw(cell.width).raw(open.sliced(at + 1)) << cell.text;
}

constexpr char kGrey200[] =
    "<td width=\"200\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#C0C0C0\">";
constexpr char kGrey300[] =
    "<td width=\"300\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#C0C0C0\">";
constexpr char kBlue300[] =
    "<td width=\"300\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#3333FF\">";
constexpr char kGold300[] =
    "<td width=\"300\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#FFFF66\">";
constexpr char kGreen300[] =
    "<td width=\"300\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#00FF00\">";
constexpr char kRank84[] = "<td width=\"84\" height=\"0\"  style=\"padding-top: 3px\" "
                           "align=\"center\"><font color=\"#FFFFFF\">";
constexpr char kGrey940[] =
    "<td width=\"940\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#C0C0C0\">";
constexpr char kGrey100[] =
    "<td width=\"100\" height=\"0\"  style=\"padding-top: 3px\"> <font color=\"#C0C0C0\">";
constexpr char kDate200[] = "<td width=\"200\" height=\"0\"  style=\"padding-top: 3px\"> <font "
                            "color=\"#C0C0C0\"><small><small>";
constexpr char kHealthOpen[] =
    "<td width=\"50\" height=\"0\"  style=\"padding-top: 3px\" align=\"center\"><font color=\"";

void writeHead(PageText& page, const LivePageContent& c) {
    page.line("<html>")
        .line(kCp1252CharsetMeta)
        .line("<style type=\"text/css\"> A:link {color: lime;} A:visited {color: lime;} </style>")
        .line("<body bgcolor=\"#000000\" onLoad=\"StartClock()\" text=\"#C0C0C0\">")
        .line("<script LANGUAGE=\"JavaScript\">")
        .line("<!-- ");
    page << "var x = ";
    page.raw(c.reloadTime) << kCrLf;
    page.line("function StartClock(){document.form1.clock.value = x")
        .line(" timerID = setTimeout(\"StartClock()\", 1000) ")
        .line(" x = x-1 ")
        .line(" if (x==0){location.reload();}} ")
        .line("</script>")
        .line("");
    if (!c.imageUrl.isEmpty()) {
        page << "<IMG SRC=\"";
        page.raw(c.imageUrl) << "\" ALIGN=\"Right\"><br>" << kCrLf;
    }
}

void writeCredits(PageText& page, const PageLinks& links) {
    const bool home = !links.homePage.isEmpty();
    page << "<p><font face=\"Verdana\">";
    if (home)
        page.raw("<a href=\"").raw(links.homePage).raw("\">");
    page << "<small><strong>Vantor</strong></small>";
    if (home)
        page << "</a>";
    page << "<br>"
         << "<font face=\"Verdana\"><small><small>"
         << "<font color=\"FFFFFF\">";
    page.raw(links.credit) << "&nbsp;</font></small></small><br>";
    // Without a home page there is nothing to check for updates at.
    if (home) {
        page << "<small><small><font color=\"FFFFFF\">Check for Program Updates: <a href=\"";
        page.raw(links.homePage) << "\">Here.</a></font></small></small>";
    }
    page << "</font><font face=\"Verdana\" color=\"#000000\"></br>";
    if (!links.email.isEmpty()) {
        page << "<small><small><font color=\"FFFFFF\">E-Mail: <a href=\"mailto:";
        page.raw(links.email) << "\">";
        page.raw(links.email) << "</small></small></a></font>";
    }
    page << "</p>";
}

void writeGameSummary(PageText& page, const LivePageContent& c) {
    const bool adversarial = c.gameType == kAdversarial;
    page << "<small><font face=\"Verdana\" color=\"FFFFFF\">These Player Stats were last updated "
            "on <font color=\"000FF00\">";
    page.escaped(c.dateText) << "<font color=\"FFFFFF\"> at <font color=\"00FF00\">";
    page.escaped(c.timeText) << "<br>";
    page << "<font color=\"#FFFFFF\">These Live Stats are being recorded by: <font "
            "color=\"#00FF00\">";
    page.escaped(c.playerName) << "</font></small> <br>";
    page << "<small><font face=\"Verdana\" color=\"FFFFFF\">These Stats were Recorded playing "
            "<font color=\"00FF00\">";
    page.escaped(c.gameType) << " <font color=\"FFFFFF\">games.</small></font><br>";
    page << "<font face=\"Verdana\" color=\"#FFFFFF\"><small>Players are Ranked by: "
            "</small><small><font color=\"00FF00\">Skill Points</small></font><br>"
         << "<small><font face=\"Verdana\" color=\"FFFFFF\">Comments: <font color=\"00FF00\">Live "
            "Stats!</small></small></font>"
         << "<form NAME=\"form1\"> <p align=\"left\"><small><font face=\"Verdana\" "
            "color=\"#FFFFFF\"> Stats Will Be Refreshed in <input TYPE=\"text\" SIZE=\"1\" "
            "NAME=\"clock\"> seconds</font></small></form>";
    if (adversarial) {
        page << "<small>Team <font color=\"#3333CC\">Blue</font> Wins: <font color=\"#CCCCCC\">"
             << c.blueWins << "</font></small><br>"
             << "<small>Team <font color=\"#FFFF66\">Gold</font> Wins: <font color=\"#CCCCCC\">"
             << c.goldWins << "</font></small><br>";
    }
    page << "<font color=\"#FFFFFF\"><small><strong>Last Game Results:</strong><br>"
         << "Map: <font color=\"#00FF00\">";
    page.escaped(c.map) << "<br>";
    if (adversarial) {
        page << "<font color=\"#FFFFFF\">Rules:<font color=\"#00FF00\"> ";
        page.escaped(c.rules) << "<br>";
    }
    page << "<font color=\"#FFFFFF\">Elapsed Time: <font color=\"#00FF00\">";
    page.escaped(c.elapsedTime) << "</strong></small></font><br>";
}

const char* nameOpening(const LastGameRecord& r) {
    if (r.team.sameText("blue"))
        return kBlue300;
    if (r.team.sameText("gold"))
        return kGold300;
    return kGreen300;
}

bool isHidden(const LivePageContent& c, QByteArrayView name) {
    return !c.hiddenNames.isEmpty() && !name.isEmpty() &&
           c.hiddenNames.contains(name.toByteArray());
}

void writeLastGameTable(PageText& page, const LivePageContent& c) {
    const bool teamColours = c.rules == "Team Survival";
    page << "<table border=\"0\" bordercolor=\"#808080\" bordercolorlight=\"#808080\" "
            "bordercolordark=\"#808080\" width=\"100%\" height=\"1\" cellspacing=\"0\" "
            "cellpadding=\"0\" style=\"font-family: Verdana; font-size: smaller; color: "
            "rgb(255,255,255); bgcolor=\"#000000\">"
         << "<tr>";
    writeHeadings(page, kLastGameHeadings);
    page << "</tr><tr>";
    for (const LastGameRecord& r : c.lastGame) {
        if (r.name.isEmpty() || isHidden(c, r.name.view()))
            continue;
        if (r.deaths > 0)
            page.raw(kHealthOpen).raw("#CC0000\"><img src=").raw(c.links.deadImage) << "></td>";
        else
            page.raw(kHealthOpen).raw("#00CC00\"><img src=").raw(c.links.aliveImage) << "></td>";
        if (teamColours) {
            page << nameOpening(r);
            page.escaped(r.name.view()) << "</td><font color=\"#C0C0C0\">";
        } else {
            page << kGrey300;
            page.escaped(r.name.view()) << "</td>";
        }
        page << kGrey200 << r.kills << "</td>" << kGrey200 << r.roundsFired << "</td>" << kGrey200
             << r.roundsTaken << "</td>" << kGrey200 << r.hitPercent << "%</td>" << kGrey300;
        page.escaped(isHidden(c, r.killedBy.view()) ? QByteArrayView() : r.killedBy.view())
            << "</td>"
            << "<tr>";
        page.rowDone();
    }
    page << "</tr></table>";
}

void writeRankingsTable(PageText& page, const LivePageContent& c) {
    page << "<table border=\"0\" width=\"100%\" height=\"1\" cellspacing=\"0\" cellpadding=\"0\" "
            "style=\"font-family: Verdana; font-size: smaller; color: rgb(255,255,255); "
            "bgcolor=\"#000000\">"
         << "<tr>";
    writeHeadings(page, kRankingHeadings);
    page << "</tr><tr>";
    std::int32_t rank = 1;
    int sinceHeadings = 0;
    for (const PlayerStatsRecord& r : c.rankings) {
        if (r.name.isEmpty() || isHidden(c, r.name.view()))
            continue;
        page << kRank84 << rank << "</font></td>" << kGrey940;
        page.escaped(r.name.view()) << "</td>" << kGrey200 << r.skillPoints << "</td>" << kGrey200
                                    << r.kills << "</td>" << kGrey100;
        char killsPerGame[kKillsPerGameChars];
        page.raw(QByteArrayView(killsPerGame,
                                qsizetype(killsPerGameChars(r.kills, r.games, killsPerGame))))
            << "</td>" << kGrey200 << r.deaths << "</td>" << kGrey200 << r.roundsFired << "</td>"
            << kGrey200 << r.roundsTaken << "</td>" << kGrey200 << r.hitPercent << "%</td>"
            << kGrey200 << r.games << "</td>" << kDate200;
        page.escaped(r.lastPlayed.view()) << "</small></small></td>"
                                          << "<tr>";
        ++rank;
        if (++sinceHeadings == 50) {
            writeHeadings(page, kRankingHeadings);
            page << "</tr><tr>";
            sinceHeadings = 0;
        }
        page.rowDone();
    }
    page << "</tr></table>";
}

} // namespace

bool isReloadTime(const QString& text) {
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (const QChar ch : text)
        if (ch < u'0' || ch > u'9')
            return false;
    const int seconds = text.toInt();
    return seconds >= kMinReloadSeconds && seconds <= kMaxReloadSeconds;
}

QByteArray pageReloadTime(const QString& stored) {
    return isReloadTime(stored) ? QByteArray::number(stored.toInt()) : QByteArrayLiteral("30");
}

void writeLivePage(const LivePageContent& c, const LivePageSink& sink) {
    PageText page(sink);
    writeHead(page, c);
    writeCredits(page, c.links);
    writeGameSummary(page, c);
    writeLastGameTable(page, c);
    page << "<p></p><font color=\"#00FF00\"><small><strong>Current Player "
            "Rankings:</strong></small></font><br>";
    writeRankingsTable(page, c);
    page << "</div>" << kCrLf;
    page.line("</body>").line("</html>");
    page.flush();
}

QByteArray livePageBytes(const LivePageContent& c) {
    QByteArray bytes;
    writeLivePage(c, [&](QByteArrayView block) { bytes.append(block); });
    return bytes;
}

} // namespace vantor::recorder
