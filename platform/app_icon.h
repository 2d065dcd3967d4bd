#pragma once

#include <QIcon>

namespace vantor {

// The programs' icon, the picture the installed launchers name; both main windows show it.
QIcon applicationIcon();

} // namespace vantor
