#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantor::utilities::cli {

// True when the arguments name a command (or ask for help) rather than leaving the window to
// open; Qt's own options such as "-platform" leave it to the window.
bool isCommandLine(const QStringList& arguments);

// Runs one command in the current directory (the data folder) without any window; --help
// lists them. Results go to out, failures to err with the message the window would show.
// Gives the exit status: 0 done, 1 the operation failed, 2 the command line was wrong.
// journaled: the changes go into the game history (the program's command line).
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   bool journaled = false);

// What the program says, instead of opening its window, where there is no display: the
// commands that need none, wrapped for a terminal.
QString noDisplayMessage();

} // namespace vantor::utilities::cli
