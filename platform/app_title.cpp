#include "app_title.h"

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
