#pragma once

#include <QByteArrayView>
#include <QImage>

namespace vantor {

// Decodes a JPEG with libjpeg itself (not Qt's image plugin). Throws vantor::Error with
// libjpeg's message for data that is not a readable JPEG.
QImage decodeJpeg(QByteArrayView data);

} // namespace vantor
