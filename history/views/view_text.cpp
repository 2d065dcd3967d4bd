#include "view_text.h"

#include "common/cp1252.h"
#include "common/visible_text.h"

namespace vantor::history {

QString htmlEscaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += isControlCharacter(c) ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return out;
}

QString htmlText(QByteArrayView cp1252) {
    return htmlEscaped(fromCp1252(cp1252));
}

void TextColumns::addRow(QStringList cells) {
    rows_.push_back(std::move(cells));
}

QByteArray TextColumns::text() const {
    std::vector<qsizetype> widths(aligns_.size(), 0);
    for (const QStringList& row : rows_)
        for (qsizetype i = 0; i < row.size() && std::size_t(i) < widths.size(); ++i)
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], row[i].size());

    QString out;
    for (const QStringList& row : rows_) {
        QString line;
        for (std::size_t i = 0; i < aligns_.size(); ++i) {
            const QString cell = qsizetype(i) < row.size() ? row[qsizetype(i)] : QString();
            if (i > 0)
                line += QLatin1String("  ");
            line += aligns_[i] == Align::Left ? cell.leftJustified(widths[i])
                                              : cell.rightJustified(widths[i]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line;
        out += QLatin1Char('\n');
    }
    return out.toUtf8();
}

} // namespace vantor::history
