#include "stats_page.h"

#include "common/cp1252.h"
#include "common/html_text.h"
#include "common/skill.h"

#include <array>
#include <charconv>

namespace vantor::utilities {

namespace {

using namespace std::string_view_literals;

constexpr auto kStyle =
    R"x(<style type="text/css"> A:link {color: lime;} A:visited {color: lime;} </style>)x"sv;
constexpr auto kBody = R"x(<body bgcolor="#000000" text="#C0C0C0">)x"sv;
constexpr auto kVerdanaSmall = R"x(<font face="Verdana"><small><small>)x"sv;
constexpr auto kUpdates = R"x(<small><small><font color="FFFFFF">Check for Program Updates: )x"sv;
constexpr auto kAfterUpdates =
    R"x(Here.</a></font></small></small></font><font face="Verdana" color="#000000"></br>)x"sv;
constexpr auto kWithoutUpdates = R"x(</font><font face="Verdana" color="#000000"></br>)x"sv;
constexpr auto kEmail = R"x(<small><small><font color="FFFFFF">E-Mail: )x"sv;
constexpr auto kAfterEmail = R"x(</small></small></a></font></p>)x"sv;
constexpr auto kUpdatedOn =
    R"x(<small><font face="Verdana" color="FFFFFF">These Player Stats were last updated on <font color="000FF00">)x"sv;
constexpr auto kAt = R"x(<font color="FFFFFF"> at <font color="00FF00">)x"sv;
constexpr auto kCreatedBy =
    R"x(<br><font color="#FFFFFF">These Stats were Created by: <font color="#00FF00">)x"sv;
constexpr auto kRecordedPlaying =
    R"x(</font></small> <br><small><font face="Verdana" color="FFFFFF">These Stats were Recorded playing <font color="00FF00">)x"sv;
constexpr auto kRankedBy =
    R"x( <font color="FFFFFF">games.</small></font><br><font face="Verdana" color="#FFFFFF"><small>Players are Ranked by: </small><strong><small><font color="00FF00">)x"sv;
constexpr auto kComments =
    R"x(</small></strong></font><br><small><font face="Verdana" color="FFFFFF">Comments: <font color="00FF00">)x"sv;
constexpr auto kTableStart =
    R"x(</small></small></font><br><table border="0" width="100%" height="1" cellspacing="0" cellpadding="0" style="font-family: Verdana; font-size: smaller; color: rgb(255,255,255); bgcolor="#000000"><tr>)x"sv;
constexpr auto kPageEnd = R"x(</tr></table></div>)x"sv;

constexpr auto kHeadingCellStyle =
    R"x(" height="1" style="background-color: rgb(40,40,40); color: rgb(255,255,255); border: 1px solid" bordercolor="#808080" bordercolorlight="#808080" bordercolordark="#808080">)x"sv;

struct KeyColumn {
    std::string_view key;
    std::string_view width;
    std::string_view label;
};
constexpr std::array<KeyColumn, 8> kKeyColumns = {{
    {"Skill Points"sv, "183"sv, "Skill<br>Points"sv},
    {"Kills"sv, "200"sv, "Kills"sv},
    {"Kills/Game"sv, "57"sv, "Average<br>Kills/Game"sv},
    {"Deaths"sv, "114"sv, "Deaths"sv},
    {"Rounds Fired"sv, "105"sv, "Rounds<br>Fired"sv},
    {"Rounds Taken"sv, "118"sv, "Rounds<br>Taken"sv},
    {"Average Hit %"sv, "57"sv, "Average<br>Hit %"sv},
    {"Games Played"sv, "174"sv, "Games Played"sv},
}};

constexpr auto kRankCell =
    R"x(<td width="84" height="0"  style="padding-top: 3px" align="center"><font color="#FFFFFF">)x"sv;
constexpr auto kNameCell =
    R"x(</font></td><td width="940" height="0"  style="padding-top: 3px"> <font color="#C0C0C0">)x"sv;
constexpr auto kValueCell =
    R"x(</td><td width="200" height="0"  style="padding-top: 3px"> <font color="#C0C0C0">)x"sv;
constexpr auto kRatioCell =
    R"x(</td><td width="100" height="0"  style="padding-top: 3px"> <font color="#C0C0C0">)x"sv;
constexpr auto kPercentThenValueCell =
    R"x(%</td><td width="200" height="0"  style="padding-top: 3px"> <font color="#C0C0C0">)x"sv;
constexpr auto kDateCell =
    R"x(</td><td width="200" height="0"  style="padding-top: 3px"> <font color="#C0C0C0"><small><small>)x"sv;
constexpr auto kRowEnd = R"x(</small></small></td><tr>)x"sv;

std::string headingCell(std::string_view width) {
    std::string cell = "<td width=\"";
    cell += width;
    cell += kHeadingCellStyle;
    return cell;
}

// The eleven heading cells, then "</tr>" and "<tr>". The rankings view always highlights
// Skill Points; the stats page highlights the column of its rank key, if any.
std::string headingRow(const PageHead& head) {
    std::string row = headingCell("84");
    row += R"x(<align="center"><font color="#FFFFFF">Rank</font></strong></td>)x";
    row += headingCell("940");
    row += "Name</strong></td>";
    for (const KeyColumn& c : kKeyColumns) {
        const bool highlighted = head.kind == PageKind::Rankings
                                     ? c.key == "Skill Points"sv
                                     : std::string_view(head.rankKey.constData(),
                                                        std::size_t(head.rankKey.size())) == c.key;
        row += headingCell(c.width);
        if (highlighted) {
            row += R"x(<font color="00FF00">)x";
            row += c.label;
            row += "</strong></font></td>";
        } else {
            row += c.label;
            row += "</strong></td>";
        }
    }
    row += headingCell("87");
    row += "Last Played</td></tr><tr>";
    return row;
}

bool needsEscape(QByteArrayView text) {
    for (char c : text)
        if (c == '&' || c == '<' || c == '>' || c == '"')
            return true;
    return false;
}

} // namespace

QString keyColumnHeading(const QString& rankKey) {
    for (const KeyColumn& c : kKeyColumns)
        if (QLatin1StringView(c.key.data(), qsizetype(c.key.size())) == rankKey)
            return QString::fromLatin1(c.label.data(), qsizetype(c.label.size()))
                .replace(QStringLiteral("<br>"), QStringLiteral(" "));
    return {};
}

QByteArray pageComment(const QString& commentBoxText) {
    if (commentBoxText.isEmpty())
        return QByteArrayLiteral("None");
    return toCp1252(commentBoxText.left(120));
}

StatsPageWriter::StatsPageWriter(const PageHead& head, Flush flush, std::size_t blockBytes)
    : head_(head), flush_(std::move(flush)), blockBytes_(std::max<std::size_t>(blockBytes, 1)) {
    block_.reserve(blockBytes_ + 4096);
}

void StatsPageWriter::appendNumber(long long value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    block_.append(digits, r.ptr);
}

void StatsPageWriter::appendEscaped(QByteArrayView text) {
    if (needsEscape(text))
        append(htmlEscape(text));
    else
        block_.append(text.data(), std::size_t(text.size()));
}

void StatsPageWriter::flushIfFull() {
    if (block_.size() >= blockBytes_) {
        flush_(block_);
        block_.clear();
    }
}

void StatsPageWriter::begin() {
    const PageLinks& a = head_.links;
    const bool home = !a.homePage.isEmpty();
    append(kCp1252CharsetMeta);
    append(kStyle);
    append(kBody);
    if (head_.kind == PageKind::Stats) {
        append("<p>"sv);
        for (int i = 0; home && i < 2; ++i) {
            append("<a href=\""sv);
            append(a.homePage);
            append("\">"sv);
        }
        append("<img src=\""sv);
        append(a.logoImage);
        append(R"x(" border="0" width="468" height="134"><br>)x"sv);
        if (home)
            append("</a>"sv);
    } else {
        append(R"x(<p><font face="Verdana">)x"sv);
        if (home) {
            append("<a href=\""sv);
            append(a.homePage);
            append("\">"sv);
        }
        append(R"x(<small><strong>Vantor</strong></small>)x"sv);
        if (home)
            append("</a>"sv);
        append("<br>"sv);
    }
    append(kVerdanaSmall);
    append(R"x(<font color="FFFFFF">)x"sv);
    append(a.credit);
    append("&nbsp;</font></small></small><br>"sv);
    // Without a home page there is nothing to check for updates at.
    if (home) {
        append(kUpdates);
        append("<a href=\""sv);
        append(a.homePage);
        append("\">"sv);
        append(kAfterUpdates);
    } else {
        append(kWithoutUpdates);
    }
    if (!a.email.isEmpty()) {
        append(kEmail);
        append("<a href=\"mailto:"sv);
        append(a.email);
        append("\">"sv);
        append(a.email);
        append(kAfterEmail);
    } else {
        append("</p>"sv);
    }
    append(kUpdatedOn);
    appendEscaped(head_.dateText);
    append(kAt);
    appendEscaped(head_.timeText);
    append(kCreatedBy);
    appendEscaped(head_.playerName);
    append(kRecordedPlaying);
    appendEscaped(head_.gameType);
    append(kRankedBy);
    append(head_.rankKey);
    append(kComments);
    append(head_.comment);
    append(kTableStart);
    headingRow_ = headingRow(head_);
    append(headingRow_);
    flushIfFull();
}

void StatsPageWriter::addPlayer(const PlayerStatsRecord& p) {
    if (p.isBlank() || (!head_.hiddenNames.isEmpty() && head_.hiddenNames.contains(p.name.text())))
        return;
    append(kRankCell);
    appendNumber(rank_);
    append(kNameCell);
    appendEscaped(p.name.view());
    append(kValueCell);
    appendNumber(p.skillPoints);
    append(kValueCell);
    appendNumber(p.kills);
    append(kRatioCell);
    char killsPerGame[kKillsPerGameChars];
    block_.append(killsPerGame, killsPerGameChars(p.kills, p.games, killsPerGame));
    append(kValueCell);
    appendNumber(p.deaths);
    append(kValueCell);
    appendNumber(p.roundsFired);
    append(kValueCell);
    appendNumber(p.roundsTaken);
    append(kValueCell);
    appendNumber(p.hitPercent);
    append(kPercentThenValueCell);
    appendNumber(p.games);
    append(kDateCell);
    appendEscaped(p.lastPlayed.view());
    append(kRowEnd);
    ++rank_;
    if (++sinceHeading_ == 50) {
        append(headingRow_);
        sinceHeading_ = 0;
    }
    flushIfFull();
}

void StatsPageWriter::end() {
    append(kPageEnd);
    flush_(block_);
    block_.clear();
}

QByteArray statsPageBytes(const PageHead& head, const std::vector<PlayerStatsRecord>& players) {
    QByteArray page;
    StatsPageWriter w(head,
                      [&](std::string_view b) { page.append(b.data(), qsizetype(b.size())); });
    w.begin();
    for (const auto& p : players)
        w.addPlayer(p);
    w.end();
    return page;
}

} // namespace vantor::utilities
