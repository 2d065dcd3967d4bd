#include "app_title.h"

#include "common/build_info.h"

namespace vantor {

namespace {
QString& title() {
    static QString t;
    return t;
}
} // namespace

void setApplicationTitle(const QString& t) {
    title() = t;
}
QString applicationTitle() {
    return title();
}

} // namespace vantor

namespace vantor {

namespace {
QString version() {
    return QString::fromUtf8(build::kVersion);
}
QString shortVersion() {
    return QString::fromUtf8(build::kShortVersion);
}
// "Marrow's " before a caption, nothing when the build names no author.
QString authors() {
    const QString name = QString::fromUtf8(build::kAuthorName);
    return name.isEmpty() ? QString() : name + QStringLiteral("'s ");
}
} // namespace

QString utilitiesTitle() {
    return QStringLiteral("Vantor v") + version();
}
QString utilitiesCaption() {
    return authors() + utilitiesTitle();
}
QString recorderTitle() {
    return QStringLiteral("Vantor Recorder ") + version();
}
QString recorderIdleTitle() {
    return QStringLiteral("Vantor Recorder ") + shortVersion();
}
QString recorderCaption() {
    return authors() + QStringLiteral("Vantor Recorder v") + shortVersion();
}
QString recorderReleaseText() {
    return QStringLiteral("Release Build v") + version();
}

} // namespace vantor
