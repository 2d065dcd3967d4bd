#include "log_text.h"

#include "common/integer_text.h"

#include <algorithm>

namespace vantor::stats {

namespace {
constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kCtrlZ = 26;
constexpr qsizetype kNumberChars = 50;

} // namespace

LogCursor::LogCursor(QByteArrayView text) : text_(text) {
    const qsizetype ctrlZ = text.indexOf(kCtrlZ);
    end_ = ctrlZ < 0 ? text.size() : ctrlZ;
}

void LogCursor::skipLine() {
    while (pos_ < end_ && text_[pos_] != kCR)
        ++pos_;
    if (pos_ < end_)
        ++pos_; // the CR
    if (pos_ < end_ && text_[pos_] == kLF)
        ++pos_;
}

QByteArray LogCursor::restOfLine(qsizetype limit) {
    const qsizetype start = pos_;
    while (pos_ < end_ && text_[pos_] != kCR)
        ++pos_;
    QByteArray value = text_.sliced(start, std::min(pos_ - start, limit)).toByteArray();
    skipLine();
    value.chop(1);
    return value;
}

QByteArray LogCursor::readText(int labelLength) {
    pos_ = std::min(end_, pos_ + labelLength);
    return restOfLine(end_);
}

QByteArray LogCursor::readText(int labelLength, int maxLength) {
    QByteArray value = readText(labelLength);
    value.truncate(maxLength);
    return value;
}

std::int32_t LogCursor::readNumber(int labelLength) {
    pos_ = std::min(end_, pos_ + labelLength);
    return toInteger(restOfLine(kNumberChars));
}

} // namespace vantor::stats
