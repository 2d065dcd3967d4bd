#include "logo.h"

#include "platform/jpeg_image.h"

#include <QFile>

// The picture lives in a static library, whose resources must be registered by hand.
static void registerLogoResource() {
    Q_INIT_RESOURCE(resources);
}

namespace vantor::utilities {

QImage logoImage() {
    registerLogoResource();
    QFile f(QStringLiteral(":/utilities/logo.jpg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(f.readAll());
}

} // namespace vantor::utilities
