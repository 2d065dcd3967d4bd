#include "core/recorder_options.h"
#include "platform/program_module.h"

#include <cstdio>

int main(int argc, char** argv) {
    using vantor::recorder::RecorderOptions;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Decided before any application object exists: headless must never touch a display.
    const RecorderOptions options = vantor::recorder::parseRecorderArguments(arguments);
    switch (options.mode) {
    case RecorderOptions::Mode::Help:
        std::fputs(vantor::recorder::recorderHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case RecorderOptions::Mode::Invalid:
        std::fprintf(stderr, "VantorRecorder: %s\nTry \"VantorRecorder --help\".\n",
                     options.problem.toLocal8Bit().constData());
        return 2;
    case RecorderOptions::Mode::Window:
        if (!vantor::windowPlatformAvailable(argc, argv)) {
            std::fputs("No display: run VantorRecorder --headless, or set DISPLAY\n", stderr);
            return 1;
        }
        break;
    case RecorderOptions::Mode::Headless:
        break;
    }
    return vantor::runProgramModule("libVantorRecorderModule.so", "vantorRecorderModule", &argc,
                                    argv);
}
