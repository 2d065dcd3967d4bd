#include "cli/command_line.h"
#include "history/change_note.h"
#include "platform/program_module.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int runCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const int status = vantor::utilities::cli::runCommandLine(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    vantor::history::setJournalEnabled(true);
    if (vantor::utilities::cli::isCommandLine(arguments))
        return runCommand(argc, argv);
    if (!vantor::windowPlatformAvailable(argc, argv)) {
        QTextStream err(stderr);
        err << vantor::utilities::cli::noDisplayMessage();
        return 1;
    }
    return vantor::runProgramModule("libVantorUtilitiesWindow.so", "vantorUtilitiesWindow", &argc,
                                    argv);
}
