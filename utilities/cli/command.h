#pragma once

#include "history/journal/change_note.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace vantor::utilities::cli {

// A command line that cannot be understood: exit status 2, with the command's usage lines.
struct UsageError {
    QString text;
};

// One command as it was given.
struct Invocation {
    QString command; // its name, for the refusals
    const QCommandLineParser& options;
    QStringList positional;
    QTextStream& out;
    QTextStream& err;
    // Whether the command's changes go into the game history; its warnings go to standard error.
    const history::Journaling& journaling;

    // False also for an option the command does not take.
    bool isSet(const QString& option) const { return options.optionNames().contains(option); }
    QString value(const QString& option) const { return options.value(option); }
    // "Cooperative" with --coop, else "Adversarial".
    QString gameType() const;
    // A value option the command cannot do without.
    QString required(const QString& option) const;
    // A positional argument that must not be empty; `what` names it ("a file name").
    QString nonEmpty(qsizetype at, const QString& what) const;
};

// One entry of the command table: its usage line, its options and what it runs. Gives the
// exit status: 0 done, 1 the operation failed; throws UsageError for a wrong command line.
struct Command {
    QString name;
    QString arguments; // the usage line after the name, e.g. "FILE --by KEY [--coop]"
    QString summary;
    QString group; // commands of one group show their usage lines together
    QStringList options;
    int positionalCount = 0;
    QString positionalText; // "one player name", for the refusal of a wrong count
    std::function<int(const Invocation&)> run;
    int positionalMax = -1; // more than positionalCount: the rest are optional

    QString usageLine() const { return name + (arguments.isEmpty() ? "" : " " + arguments); }
};

// Refuses (vantor::Error) a current folder without stats files or history, the wrong folder:
// nothing may be created there, not the history and not the lock file.
void requireDataFolder();

// The commands of each area; command_line.cpp lists them in one table.
std::vector<Command> playerCommands();
std::vector<Command> pageCommands();
std::vector<Command> uploadCommands();
std::vector<Command> historyCommands();
std::vector<Command> siteCommands();
std::vector<Command> watchCommands();
std::vector<Command> leagueCommands();
std::vector<Command> seasonCommands();
std::vector<Command> mapCommands();
std::vector<Command> ratingCommands();
std::vector<Command> nameCommands();

} // namespace vantor::utilities::cli
