#include "ftp/ftp_reply_reader.h"

#include <algorithm>

namespace vantor {

qsizetype FtpReplyReader::append(const char* data, qsizetype size) {
    const qsizetype taken = std::min(size, freeSpace());
    if (taken > 0)
        buffer_.append(data, taken);
    return taken;
}

qsizetype FtpReplyReader::lineEnd(qsizetype& terminatorSize) const {
    if (acceptLF_) {
        terminatorSize = 1;
        return buffer_.indexOf('\n');
    }
    terminatorSize = 2;
    return buffer_.indexOf("\r\n");
}

bool FtpReplyReader::nextLine(QByteArray& line) {
    qsizetype terminator = 0;
    qsizetype end = lineEnd(terminator);
    while (skippingRest_) {
        if (end < 0) {
            // Keep a lone CR: it may be the first half of the CR LF that ends the line.
            const bool keepCR = !acceptLF_ && buffer_.endsWith('\r');
            buffer_ = keepCR ? QByteArray("\r") : QByteArray();
            return false;
        }
        buffer_.remove(0, end + terminator);
        skippingRest_ = false;
        end = lineEnd(terminator);
    }
    if (end < 0) {
        if (buffer_.size() < kCapacity)
            return false;
        // A CR at the very end may be half of the CR LF that ends this line: leave it for
        // the skipping to find.
        const bool keepCR = !acceptLF_ && buffer_.endsWith('\r');
        line = keepCR ? buffer_.chopped(1) : buffer_;
        buffer_ = keepCR ? QByteArray("\r") : QByteArray();
        skippingRest_ = true;
    } else {
        line = buffer_.left(end);
        buffer_.remove(0, end + terminator);
    }
    qsizetype keep = line.size();
    while (keep > 0 && (line[keep - 1] == '\r' || line[keep - 1] == '\n'))
        --keep;
    line.truncate(keep);
    return true;
}

void FtpReplyReader::clear() {
    buffer_.clear();
    skippingRest_ = false;
}

FtpReplyLine parseReplyLine(const QByteArray& line) {
    FtpReplyLine result;
    qsizetype i = 0;
    // Saturate rather than overflow on an absurd run of digits.
    constexpr int kLimit = 100000000;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        if (result.code < kLimit)
            result.code = result.code * 10 + (line[i] - '0');
        ++i;
    }
    if (i == 0)
        return FtpReplyLine{};
    result.kind = (i < line.size() && line[i] == '-') ? FtpReplyLine::Inner : FtpReplyLine::Final;
    return result;
}

} // namespace vantor
