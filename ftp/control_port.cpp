#include "control_port.h"

#include <QtGlobal>

namespace vantor {

QByteArray uploadControlPort(const QByteArray& stored) {
    const QByteArray port = qgetenv("VANTOR_FTP_PORT").trimmed();
    if (!port.isEmpty())
        return port;
    return stored.trimmed().isEmpty() ? QByteArray("ftp") : stored.trimmed();
}

} // namespace vantor
