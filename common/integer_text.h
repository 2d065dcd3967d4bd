#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace vantor {

// Whole-text integer conversion, the one number rule of both programs (result logs, the
// "Delete Players" count): leading blanks, one optional sign, then decimal digits or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X", within the signed 32-bit range.
// Throws vantor::Error "'%s' is not a valid integer value" for anything else, trailing blanks
// included.
std::int32_t toInteger(QByteArrayView text);
// The same rule for text typed in a window or on the command line.
std::int32_t toIntegerFromText(const QString& text);

} // namespace vantor
