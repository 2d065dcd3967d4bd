#pragma once

#include "recorder/session/recorder_options.h"

namespace vantor::recorder {

// Runs the recorder without a window until SIGINT or SIGTERM; the program's exit code.
// Creates no GUI application, so no display is needed.
int runHeadless(int& argc, char** argv, const RecorderOptions& options);

} // namespace vantor::recorder
