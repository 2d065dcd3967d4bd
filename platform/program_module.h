#pragma once

namespace vantor {

// The windows (and the recorder's headless mode) live in a module of their own, loaded only
// when they are wanted, so that a program started for a command or its help loads Qt Core
// alone. An entry point takes the program's arguments and gives its exit code.
using ProgramModuleEntry = int (*)(int* argc, char** argv);

// Loads `fileName` from beside the program (a build tree), else from the installed module
// folder, and runs its entry point `symbol`. A module that cannot be loaded is reported on
// standard error, naming the reason, and gives exit code 1.
int runProgramModule(const char* fileName, const char* symbol, int* argc, char** argv);

// Whether a window can be shown: a display named by DISPLAY or WAYLAND_DISPLAY, or a platform
// chosen by QT_QPA_PLATFORM or "-platform". Without one the toolkit would abort the program.
bool windowPlatformAvailable(int argc, char** argv);

} // namespace vantor
