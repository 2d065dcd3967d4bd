#include "site_html.h"

namespace vantor::history::site {

namespace {

// The menu: every page reaches the main lists in one step.
const std::pair<const char*, const char*> kMenu[] = {
    {"index.html", "Home"},    {"players.html", "Players"},
    {"maps.html", "Maps"},     {"periods.html", "Weeks, months and seasons"},
    {"archive.html", "Games"}, {"hall-of-fame.html", "Hall of Fame"},
};

} // namespace

QByteArray styleSheet() {
    return QByteArrayLiteral(
        "html{-webkit-text-size-adjust:100%}\n"
        "body{background:#000;color:#C0C0C0;font-family:Verdana,sans-serif;font-size:13px;"
        "margin:0 auto;padding:8px;max-width:1100px;overflow-wrap:anywhere}\n"
        "a:link,a:visited{color:lime}\n"
        "h1{font-size:17px;font-weight:normal;color:#FFF}\n"
        "h2{font-size:15px;font-weight:normal;color:#FFF;margin-top:20px}\n"
        "nav{border-bottom:1px solid #808080;padding-bottom:6px;margin-bottom:8px}\n"
        "nav a{display:inline-block;margin:2px 12px 2px 0}\n"
        ".hi{color:#00FF00}.dim{color:#808080}\n"
        ".scroll{overflow-x:auto;max-width:100%;margin-bottom:16px}\n"
        "table{border-collapse:collapse;font-size:smaller}\n"
        "th{background:rgb(40,40,40);color:#FFF;border:1px solid #808080;padding:2px 6px;"
        "font-weight:normal;white-space:nowrap}\n"
        "td{padding:3px 6px 0 6px;white-space:nowrap}td.n{text-align:right}\n"
        "svg{max-width:100%;height:auto}\n"
        "ul.names{columns:14em;padding-left:18px}\n"
        "input[type=search]{background:#202020;color:#FFF;border:1px solid #808080;"
        "padding:4px;font-size:15px;max-width:100%;box-sizing:border-box;width:20em}\n"
        "footer{border-top:1px solid #808080;margin-top:20px;padding-top:6px;color:#808080}\n");
}

QString linkTo(Depth from, const QString& sitePath) {
    return from == Depth::Top ? sitePath : QStringLiteral("../") + sitePath;
}

PageBuilder::PageBuilder(Depth depth, const QString& title) : depth_(depth), title_(title) {}

QString PageBuilder::link(const QString& sitePath, const QString& text) const {
    return QStringLiteral("<a href=\"") + linkTo(depth_, sitePath) + QStringLiteral("\">") + text +
           QStringLiteral("</a>");
}

QByteArray PageBuilder::finish(const QString& lastUpdated, const QString& script) const {
    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    page += QStringLiteral("<title>") + title_ +
            QStringLiteral("</title><link rel=\"stylesheet\" "
                           "href=\"") +
            linkTo(depth_, QStringLiteral("style.css")) + QStringLiteral("\"></head>\n<body><nav>");
    for (const auto& [path, text] : kMenu)
        page += link(QLatin1String(path), QLatin1String(text));
    page += QStringLiteral("</nav>\n<h1>") + title_ + QStringLiteral("</h1>\n");
    page += body_;
    page += QStringLiteral("<footer>");
    if (!lastUpdated.isEmpty())
        page += QStringLiteral("Last updated: ") + lastUpdated;
    page += QStringLiteral("</footer>\n");
    page += script;
    page += QStringLiteral("</body></html>\n");
    return page.toUtf8();
}

QString tableStart(const QString& cssClass, std::initializer_list<const char*> headings) {
    QString t = QStringLiteral("<div class=\"scroll\"><table class=\"") + cssClass +
                QStringLiteral("\"><tr>");
    for (const char* h : headings)
        t += QStringLiteral("<th>") + QLatin1String(h) + QStringLiteral("</th>");
    return t + QStringLiteral("</tr>\n");
}

QString tableEnd() {
    return QStringLiteral("</table></div>\n");
}

QString cell(const QString& escaped) {
    return QStringLiteral("<td>") + escaped + QStringLiteral("</td>");
}

QString numberCell(const QString& escaped) {
    return QStringLiteral("<td class=\"n\">") + escaped + QStringLiteral("</td>");
}

QString numberCell(qint64 value) {
    return numberCell(QString::number(value));
}

} // namespace vantor::history::site
