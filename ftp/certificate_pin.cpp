#include "ftp/certificate_pin.h"

#include <QCryptographicHash>

namespace vantor {

QByteArray certificateFingerprint(const QSslCertificate& certificate) {
    return certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper();
}

QByteArray normalizedFingerprint(const QByteArray& text) {
    QByteArray hex;
    for (const char c : text) {
        if (c == ':' || c == ' ' || c == '\t')
            continue;
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return {};
        hex += c;
    }
    return hex.size() == 64 ? hex.toLower() : QByteArray();
}

bool fingerprintMatches(const QByteArray& pin, const QSslCertificate& certificate) {
    const QByteArray wanted = normalizedFingerprint(pin);
    return !wanted.isEmpty() && !certificate.isNull() &&
           wanted == certificate.digest(QCryptographicHash::Sha256).toHex();
}

} // namespace vantor
