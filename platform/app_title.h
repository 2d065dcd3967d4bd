#pragma once

#include <QString>

namespace vantor {

// The application title (the taskbar text). Kept apart from the window
// caption, which Qt would otherwise decorate with the display name.
void setApplicationTitle(const QString& title);
QString applicationTitle();

} // namespace vantor
