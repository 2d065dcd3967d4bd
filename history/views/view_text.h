#pragma once

#include "common/visible_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

namespace vantor::history {

// A game text (code page 1252) for an HTML page: control characters become U+FFFD and
// & < > " ' become references, so the text is safe in element content and in attributes.
QString htmlText(QByteArrayView cp1252);
// The same escaping for text that is already Unicode.
QString htmlEscaped(const QString& text);

// Rows of cells printed in columns as wide as their widest cell, two blanks apart. Trailing
// blanks are left off each line.
class TextColumns {
public:
    enum class Align { Left, Right };

    explicit TextColumns(std::vector<Align> aligns) : aligns_(std::move(aligns)) {}
    void addRow(QStringList cells);
    // UTF-8, one line per row, each ended by '\n'.
    QByteArray text() const;

private:
    std::vector<Align> aligns_;
    std::vector<QStringList> rows_;
};

} // namespace vantor::history
