#include "command_line.h"

#include "command.h"
#include "options.h"
#include "window_options.h"

#include "stats/data_folder.h"
#include "stats/game_type.h"
#include "stats/rank_keys.h"

#include "common/error.h"

namespace vantor::utilities::cli {

namespace {

const QString kProgram = QStringLiteral("VantorUtilities");
const QStringList kHelp = {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")};
constexpr int kSummaryColumn = 38;
constexpr int kWidth = 79;

// Every command of the program. More areas add their list here.
const std::vector<Command>& commands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> c;
        for (auto list : {playerCommands, pageCommands, uploadCommands, historyCommands,
                          leagueCommands, mapCommands, ratingCommands, seasonCommands, siteCommands,
                          watchCommands, nameCommands})
            for (Command& command : list())
                c.push_back(std::move(command));
        return c;
    }();
    return all;
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

// head, then the items each after a blank, wrapped to the width of a terminal; a continued
// line starts with indent.
QString wrapped(QString text, const QStringList& items, const QString& indent) {
    qsizetype lineStart = 0;
    for (const QString& item : items) {
        if (text.size() - lineStart + 1 + item.size() > kWidth) {
            text += u'\n' + indent;
            lineStart = text.size() - indent.size();
        }
        text += u' ' + item;
    }
    return text;
}

// "KEY: "Skill Points", "Kills", ..."
QString keyLine() {
    const QStringList& keys = stats::rankKeyTexts();
    QStringList items;
    for (qsizetype i = 0; i < keys.size(); ++i)
        items << u'"' + keys[i] +
                     (i + 1 < keys.size() ? QStringLiteral("\",") : QStringLiteral("\""));
    return wrapped(QStringLiteral("KEY:"), items, QStringLiteral("    "));
}

QString commandEntry(const QString& usage, const QString& summary) {
    QString line = QStringLiteral("  ") + usage;
    if (line.size() + 2 > kSummaryColumn)
        line += u'\n' + QString(kSummaryColumn, u' ');
    else
        line = line.leftJustified(kSummaryColumn);
    return line + summary + u'\n';
}

QString usage() {
    QString text = QStringLiteral(
        "Usage: VantorUtilities [COMMAND [OPTIONS]]\n"
        "Without a command the window opens. A command works on the stats file in the\n"
        "current directory (\"stats.log\", or \"coop_stats.log\" with --coop), needs no\n"
        "display and exits. \"--by KEY\" may also be written \"--by=KEY\".\n"
        "\n");
    for (const Command& c : commands())
        text += commandEntry(c.usageLine(), c.summary);
    text += commandEntry(QStringLiteral("-h, --help"), QStringLiteral("show this text"));
    text += u'\n' + keyLine() + u'\n';
    text += QStringLiteral(
        "MEASURE: \"Games Played\" or \"Skill Points\"\n"
        "The game history is \"games.db\" beside the stats files; ID is a game's number as\n"
        "\"games\" shows it.\n"
        "WINDOW: --since DATE and/or --until DATE (YYYY-MM-DD, both days counted),\n"
        "--week [YYYY-Www], --month [YYYY-MM] (alone: this one) or --season NAME; none:\n"
        "all time. Local days, or UTC days with --utc. KEY may also be \"Rating\".\n"
        "--quiet prints failures only.\n"
        "Settings: $VANTOR_REGISTRY, else $XDG_CONFIG_HOME/vantor/registry.reg, else\n"
        "~/.config/vantor/registry.reg. Uploads go to the stored port (21 when none)\n"
        "unless $VANTOR_FTP_PORT names another.\n"
        "Exit status: 0 done, 1 the operation failed, 2 the command line was wrong.\n");
    return text;
}

// The command's usage line behind "usage:", then those of the other commands of its group.
QString usageLines(const Command& command) {
    QString text = QStringLiteral("usage: ") + kProgram + u' ' + command.usageLine() + u'\n';
    for (const Command& c : commands())
        if (c.group == command.group && c.name != command.name)
            text += QStringLiteral("       ") + kProgram + u' ' + c.usageLine() + u'\n';
    return text;
}

bool takesValue(const QString& argument, const Command& command) {
    for (const QString& name : command.options)
        if (argument == QStringLiteral("--") + name)
            return !optionNamed(name)->valueName().isEmpty();
    return false;
}

// Only words that start with "--" are options; one dash starts a value such as the count "-5"
// or the player "-=Sniper=-". The values go behind "--", in their order, where the parser takes
// them as they are.
QStringList optionsFirst(const QStringList& arguments, const Command& command) {
    QStringList options, values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--")) {
            values += arguments.mid(i + 1);
            break;
        }
        if (!a.startsWith(QStringLiteral("--"))) {
            values << a;
            continue;
        }
        options << a;
        if (hasOptionalValue(a)) {
            options << (i + 1 < arguments.size() && isOptionalValue(a, arguments[i + 1])
                            ? arguments[++i]
                            : QString());
        } else if (takesValue(a, command) && i + 1 < arguments.size()) {
            options << arguments[++i];
        }
    }
    if (!values.isEmpty())
        options << QStringLiteral("--") << values;
    return options;
}

int runCommand(const Command& command, const QStringList& arguments, QTextStream& out,
               QTextStream& err, const history::Journaling& journaling) {
    QCommandLineParser parser;
    for (const QString& name : command.options)
        parser.addOption(*optionNamed(name));
    if (!parser.parse(QStringList{kProgram} + optionsFirst(arguments, command)))
        throw UsageError{parser.errorText()};
    const QStringList positional = parser.positionalArguments();
    const int most = std::max(command.positionalCount, command.positionalMax);
    if (positional.size() < command.positionalCount || positional.size() > most)
        throw UsageError{QStringLiteral("%1 takes %2.").arg(command.name, command.positionalText)};
    return command.run(Invocation{command.name, parser, positional, out, err, journaling});
}

} // namespace

QString Invocation::gameType() const {
    return isSet(kCoop) ? kCooperativeText : kAdversarialText;
}

QString Invocation::required(const QString& option) const {
    if (!isSet(option))
        throw UsageError{QStringLiteral("%1 needs --%2 %3.")
                             .arg(command, option, optionNamed(option)->valueName())};
    return options.value(option);
}

QString Invocation::nonEmpty(qsizetype at, const QString& what) const {
    const QString value = positional.at(at);
    if (value.isEmpty())
        throw UsageError{QStringLiteral("%1 needs %2 that is not empty.").arg(command, what)};
    return value;
}

QString noDisplayMessage() {
    QStringList names;
    for (const Command& c : commands())
        names << c.name;
    return wrapped(QStringLiteral("No display: run VantorUtilities with a command, or set "
                                  "DISPLAY. The commands:"),
                   names, QString()) +
           QStringLiteral("\n\"VantorUtilities --help\" says more.\n");
}

void requireDataFolder() {
    if (!stats::holdsStatsOrHistory(QStringLiteral(".")))
        throw Error(stats::notADataFolderMessage(QStringLiteral(".")));
}

bool isCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return false;
    const QString& first = arguments.first();
    return kHelp.contains(first) || findCommand(first) || !first.startsWith(u'-');
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   bool journaled) {
    if (arguments.isEmpty() || kHelp.contains(arguments.first())) {
        out << usage();
        return 0;
    }
    const Command* command = findCommand(arguments.first());
    try {
        if (!command)
            throw UsageError{QStringLiteral("Unknown command \"%1\".").arg(arguments.first())};
        return runCommand(*command, arguments.mid(1), out, err, history::Journaling{journaled, {}});
    } catch (const UsageError& e) {
        err << e.text << '\n';
        if (command)
            err << usageLines(*command);
        err << "Run VantorUtilities --help for the commands.\n";
        return 2;
    } catch (const Error& e) {
        err << e.message() << '\n';
        return 1;
    }
}

} // namespace vantor::utilities::cli
