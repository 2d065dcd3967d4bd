#pragma once

#include <QByteArray>
#include <QSslCertificate>

namespace vantor {

// A certificate's SHA-256 fingerprint as a user sees and pins it: upper-case hex pairs
// joined by colons.
QByteArray certificateFingerprint(const QSslCertificate& certificate);

// A typed or stored fingerprint reduced to 64 lower-case hex digits; colons and blanks are
// ignored. Empty when the text is not a SHA-256 fingerprint.
QByteArray normalizedFingerprint(const QByteArray& text);

// True when pin names the certificate's fingerprint.
bool fingerprintMatches(const QByteArray& pin, const QSslCertificate& certificate);

} // namespace vantor
