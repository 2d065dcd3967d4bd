#include "integer_text.h"

#include "cp1252.h"
#include "error.h"

namespace vantor {

namespace {

[[noreturn]] void notAnInteger(QByteArrayView text) {
    throw Error(QStringLiteral("'%1' is not a valid integer value").arg(fromCp1252(text)));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t toInteger(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        notAnInteger(text);

    // The magnitude may reach 2^31 for the most negative value; anything beyond fails.
    constexpr std::int64_t kLimit = std::int64_t(1) << 31;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? hexDigit(text[i])
                                     : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            notAnInteger(text);
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit)
            notAnInteger(text);
    }
    if (!negative && magnitude == kLimit)
        notAnInteger(text);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t toIntegerFromText(const QString& text) {
    // A character outside the code page becomes "?" and so is refused, with the text as typed.
    try {
        return toInteger(QByteArrayView(toCp1252(text)));
    } catch (const Error&) {
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

} // namespace vantor
