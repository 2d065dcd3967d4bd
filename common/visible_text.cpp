#include "common/visible_text.h"

#include "common/cp1252.h"

namespace vantor {

bool isControlCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

QString visibleText(QString text) {
    for (QChar& c : text)
        if (isControlCharacter(c))
            c = QLatin1Char('?');
    return text;
}

QString terminalText(QByteArrayView cp1252) {
    return visibleText(fromCp1252(cp1252));
}

} // namespace vantor
