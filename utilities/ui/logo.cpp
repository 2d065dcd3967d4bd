#include "logo.h"

#include "platform/jpeg_image.h"

#include <QFile>

namespace vantor::utilities {

QImage logoImage() {
    QFile f(QStringLiteral(":/utilities/logo.jpg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(f.readAll());
}

} // namespace vantor::utilities
