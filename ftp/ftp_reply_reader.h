#pragma once

#include <QByteArray>

namespace vantor {

// Splits what the server sends on the control connection into reply lines. Works on raw
// bytes alone, so that any byte sequence can be fed to it.
class FtpReplyReader {
public:
    // The control buffer: 4096 bytes, one of them kept free.
    static constexpr qsizetype kBufferSize = 4096;
    static constexpr qsizetype kCapacity = kBufferSize - 1;

    explicit FtpReplyReader(bool acceptLF = true) : acceptLF_(acceptLF) {}

    // With acceptLF a line ends at LF, otherwise only at CR LF.
    void setAcceptLF(bool acceptLF) { acceptLF_ = acceptLF; }
    qsizetype freeSpace() const { return kCapacity - buffer_.size(); }
    // Takes as much of the bytes as fits into the buffer; returns how many it took.
    qsizetype append(const char* data, qsizetype size);
    // Takes the next complete line off the front, without its trailing CR and LF characters.
    // A line that fills the whole buffer without ending is returned as it stands and the rest
    // of it, up to its line end, is dropped: the reader never stalls on an over-long line.
    bool nextLine(QByteArray& line);
    void clear();

private:
    qsizetype lineEnd(qsizetype& terminatorSize) const;

    QByteArray buffer_;
    bool acceptLF_;
    bool skippingRest_ = false;
};

// One reply line judged by its leading status code.
struct FtpReplyLine {
    enum Kind {
        Ignored, // empty, or not starting with a digit
        Inner,   // code followed by "-": a line inside a multi-line reply
        Final,   // completes the reply
    };
    Kind kind = Ignored;
    int code = 0;
};

FtpReplyLine parseReplyLine(const QByteArray& line);

} // namespace vantor
