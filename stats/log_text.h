#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace vantor::stats {

// Reads a result log the way the game's text files are meant to be read: a CR ends a line and
// an LF right after it belongs to that line end, an LF alone is an ordinary character, and a
// Ctrl-Z ends the file. Reading past the end is no error: it gives nothing.
class LogCursor {
public:
    explicit LogCursor(QByteArrayView text);

    bool atEnd() const { return pos_ >= end_; }

    // Skips the rest of the current line and its line end.
    void skipLine();
    // A value line: consumes `labelLength` characters unseen (line ends included, so a short
    // line runs on into the next), takes the rest of the line and drops its last character.
    QByteArray readText(int labelLength);
    // As readText, cut to `maxLength` characters.
    QByteArray readText(int labelLength, int maxLength);
    // A number line: the first 50 characters of the value, less the last one, as an integer.
    // Read by the number rule of common/integer_text.h; throws vantor::Error "'%s' is not a
    // valid integer value".
    std::int32_t readNumber(int labelLength);

private:
    QByteArray restOfLine(qsizetype limit);

    QByteArrayView text_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
};

} // namespace vantor::stats
