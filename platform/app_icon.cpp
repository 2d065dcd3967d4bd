#include "app_icon.h"

// The picture lives in a static library, whose resources must be registered by hand.
static void registerIconResource() {
    Q_INIT_RESOURCE(app_icon);
}

namespace vantor {

QIcon applicationIcon() {
    registerIconResource();
    return QIcon(QStringLiteral(":/vantor/vantor.png"));
}

} // namespace vantor
