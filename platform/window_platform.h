#pragma once

namespace vantor {

// Whether a window can be shown: a display named by DISPLAY or WAYLAND_DISPLAY, or a platform
// chosen by QT_QPA_PLATFORM or "-platform". Without one the toolkit would abort the program.
bool windowPlatformAvailable(int argc, char** argv);

} // namespace vantor
