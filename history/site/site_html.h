#pragma once

#include <QByteArray>
#include <QString>

namespace vantor::history::site {

// The site's one style sheet, "style.css": the dark colours of the stats pages, readable on a
// phone (a 390 px wide screen never scrolls sideways; a wide table scrolls in its own box).
QByteArray styleSheet();

// Where a page lies: at the top of the site, or one folder down ("players/", "games/", ...).
enum class Depth { Top, Folder };

// A link from a page at depth to a path from the top of the site (always relative).
QString linkTo(Depth from, const QString& sitePath);

// One page of the site. Every text put in must be escaped already (htmlText and friends);
// the shell adds the head (UTF-8, viewport, the style sheet), the menu and the footer with
// "Last updated". Nothing is loaded from another host.
class PageBuilder {
public:
    PageBuilder(Depth depth, const QString& title);

    QString& body() { return body_; }
    Depth depth() const { return depth_; }
    QString link(const QString& sitePath, const QString& text) const;

    // The finished page; lastUpdated: already escaped, may be empty.
    QByteArray finish(const QString& lastUpdated, const QString& script = {}) const;

private:
    Depth depth_;
    QString title_;
    QString body_;
};

// A table that scrolls in its own box on a narrow screen.
QString tableStart(const QString& cssClass, std::initializer_list<const char*> headings);
QString tableEnd();
QString cell(const QString& escaped);
QString numberCell(qint64 value);
QString numberCell(const QString& escaped);

} // namespace vantor::history::site
