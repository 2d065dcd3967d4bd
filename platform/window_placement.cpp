#include "window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantor {

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect r = window.frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    window.move(r.topLeft());
}

} // namespace vantor
