#pragma once

// What hides a control of a window from its user: two visible widgets of one container that
// overlap, or a widget that reaches outside its container (and so outside the window).
#include <QFrame>
#include <QGroupBox>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace vantor::test {

namespace detail {

// Widgets that hold the window's own controls. A control's insides (a combo box's field, a
// list's scroll bars) are the control's business, not the window's.
inline bool holdsControls(const QWidget& w) {
    const char* type = w.metaObject()->className();
    return w.isWindow() || qobject_cast<const QGroupBox*>(&w) || qstrcmp(type, "QWidget") == 0 ||
           qstrcmp(type, "QFrame") == 0;
}

inline QString nameOf(const QWidget& w) {
    QString text;
    if (const QVariant title = w.property("text"); title.isValid())
        text = title.toString();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(w.metaObject()->className()), w.objectName(), text);
}

inline void collect(const QWidget& container, QStringList& problems) {
    QList<const QWidget*> shown;
    for (const QObject* o : container.children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w->isWindow() || !w->isVisibleTo(&container))
            continue;
        shown << w;
        if (!container.rect().contains(w->geometry()))
            problems << QStringLiteral("%1 at %2,%3 %4x%5 lies outside %6 (%7x%8)")
                            .arg(nameOf(*w))
                            .arg(w->x())
                            .arg(w->y())
                            .arg(w->width())
                            .arg(w->height())
                            .arg(nameOf(container))
                            .arg(container.width())
                            .arg(container.height());
        if (holdsControls(*w))
            collect(*w, problems);
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                problems << nameOf(*shown[i]) + QStringLiteral(" overlaps ") + nameOf(*shown[j]);
}

} // namespace detail

// With VANTOR_SCREENSHOT_DIR set, the window as shown is saved there as NAME.png, for the
// documentation.
inline void saveScreenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("VANTOR_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        window.grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// Empty when every visible control of the window is whole and on its own; else one line per
// problem. Lay the window out (show it, or call adjustSize) first.
inline QStringList layoutProblems(const QWidget& window) {
    QStringList problems;
    detail::collect(window, problems);
    return problems;
}

} // namespace vantor::test
