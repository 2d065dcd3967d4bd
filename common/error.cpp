#include "error.h"

#include <cstring>

namespace vantor {

QString systemMessage(const QString& what, int err) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(err)));
}

} // namespace vantor
