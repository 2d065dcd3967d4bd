#include "control_port.h"

#include <QtGlobal>

namespace vantor {

QByteArray uploadControlPort() {
    const QByteArray port = qgetenv("VANTOR_FTP_PORT").trimmed();
    return port.isEmpty() ? QByteArray("ftp") : port;
}

} // namespace vantor
