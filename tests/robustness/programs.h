#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace vantor::test {

// The built programs, started as a user starts them.
QString recorderProgram();
QString utilitiesProgram();

// The environment both programs run in here: no screen, this settings store, no Wine prefix.
QProcessEnvironment programEnvironment(const QString& storePath);

// The text of a settings store with auto-record on and the game's key naming the game folder.
QByteArray recordingStore(const QString& gameFolder);

struct ProgramRun {
    bool finished = false; // false: it did not end in time and was killed
    int status = -1;
    QString out;
    QString err;
};

struct RunOptions {
    QString program = utilitiesProgram();
    QString workingDir;
    QProcessEnvironment env;
    // Runs in the child between fork and exec: resource limits, another user.
    std::function<void()> childSetup;
    int timeoutMs = 120000;
};

ProgramRun runUtilities(const QStringList& arguments, const RunOptions& options);

// A bound of a test: the environment variable when it is set to a number, else the default.
int boundFromEnvironment(const char* name, int normal);

} // namespace vantor::test
