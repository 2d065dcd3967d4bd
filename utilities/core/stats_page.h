#pragma once

#include "common/page_links.h"
#include "common/records.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::utilities {

// The stats page of "Save" or the rankings view of "View Player Rankings".
enum class PageKind { Stats, Rankings };

// What the page says besides its players. Texts are bytes of code page 1252.
struct PageHead {
    PageKind kind = PageKind::Stats;
    QByteArray playerName; // from the game's key: escaped on the page
    QByteArray gameType;
    QByteArray rankKey; // the rank-key list's text, as the user chose or typed it
    QByteArray comment; // the page comment (see pageComment), written as typed
    QByteArray dateText;
    QByteArray timeText;
    PageLinks links = PageLinks::fromBuild(); // addresses, credit line, images
    QSet<QByteArray> hiddenNames;             // players left out of the page at their own request
};

// The heading of a rank key's column on the pages, as one line ("Average Kills/Game"); empty
// for a text that is no rank key.
QString keyColumnHeading(const QString& rankKey);

// The comment line: the first 120 characters of the comment box, or "None" when it is empty.
QByteArray pageComment(const QString& commentBoxText);

// Writes a page in one pass over the ranked players. The bytes collect in a block that goes
// out through `flush` whenever it fills and once at the end, so the file sees one system call
// per block, not one per fragment, and memory stays bounded for any number of players.
class StatsPageWriter {
public:
    using Flush = std::function<void(std::string_view)>;
    static constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

    StatsPageWriter(const PageHead& head, Flush flush, std::size_t blockBytes = kBlockBytes);

    // The head, the table start and the first heading row.
    void begin();
    // One data row; a blank record or a hidden player gives none and uses no rank number.
    void addPlayer(const PlayerStatsRecord& player);
    // The page end; flushes what is left.
    void end();

private:
    void append(std::string_view bytes) { block_.append(bytes); }
    void append(const QByteArray& bytes) { block_.append(bytes.constData(), bytes.size()); }
    void appendNumber(long long value);
    void appendEscaped(QByteArrayView text);
    void flushIfFull();

    const PageHead& head_;
    Flush flush_;
    std::size_t blockBytes_;
    std::string block_;
    std::string headingRow_; // the eleven heading cells, "</tr>" and "<tr>"
    std::int32_t rank_ = 1;
    int sinceHeading_ = 0;
};

// The whole page in memory (tests, small pages).
QByteArray statsPageBytes(const PageHead& head, const std::vector<PlayerStatsRecord>& players);

} // namespace vantor::utilities
