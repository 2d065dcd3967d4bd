#include "cli.h"

#include "game_type.h"
#include "page_commands.h"
#include "rank_keys.h"
#include "ranking.h"
#include "upkeep.h"
#include "upload_command.h"

#include "ftp/ftp_settings.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "platform/settings_store.h"

#include <optional>

namespace vantor::utilities {

namespace {

const QStringList kCommands = {QStringLiteral("list"),
                               QStringLiteral("rank"),
                               QStringLiteral("delete-player"),
                               QStringLiteral("prune"),
                               QStringLiteral("delete-stats-file"),
                               QStringLiteral("page"),
                               QStringLiteral("rankings"),
                               QStringLiteral("upload")};
const QStringList kHelp = {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")};

// "KEY: "Skill Points", "Kills", ..." wrapped to the width of a terminal.
QString keyLine() {
    const QStringList keys = rankKeyTexts();
    QString text = QStringLiteral("KEY:");
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString item = QStringLiteral(" \"") + keys[i] +
                             (i + 1 < keys.size() ? QStringLiteral("\",") : QStringLiteral("\""));
        if (text.size() - lineStart + item.size() > 79) {
            text += QStringLiteral("\n    ");
            lineStart = text.size() - 4;
        }
        text += item;
    }
    return text;
}

QString usage() {
    return QStringLiteral(
               "Usage: VantorUtilities [COMMAND [OPTIONS]]\n"
               "Without a command the window opens. A command works on the stats file in the\n"
               "current directory (\"stats.log\", or \"coop_stats.log\" with --coop), needs no\n"
               "display and exits.\n"
               "\n"
               "  list [--coop]                       list the players, then their count\n"
               "  rank --by KEY [--coop]              rewrite the stats file in rank order\n"
               "  delete-player NAME [--coop]         remove every record of the player NAME\n"
               "  prune N --by MEASURE [--coop]       remove the players with N or less\n"
               "  delete-stats-file [--coop] --yes    delete the stats file (and \"team.log\")\n"
               "  page FILE --by KEY [--comment TEXT] [--coop]\n"
               "                                      rank, then write the stats page FILE\n"
               "  rankings [--by KEY] [--coop]        rank, then write \"Rankings.html\"\n"
               "  upload FILE [--passive] [--tls] [--fingerprint SHA256]\n"
               "                                      send FILE with the stored FTP settings;\n"
               "                                      the options turn on passive mode, explicit\n"
               "                                      TLS, or pin the server's certificate\n"
               "  -h, --help                          show this text\n"
               "\n"
               "%1\n"
               "MEASURE: \"Games Played\" or \"Skill Points\"\n"
               "Settings: $VANTOR_REGISTRY, else $XDG_CONFIG_HOME/vantor/registry.reg, else\n"
               "~/.config/vantor/registry.reg. Uploads go to the stored port (21 when none)\n"
               "unless $VANTOR_FTP_PORT names another.\n"
               "Exit status: 0 done, 1 the operation failed, 2 the command line was wrong.\n")
        .arg(keyLine());
}

struct CommandLine {
    QString command;
    QStringList positional;
    std::optional<QString> by;
    bool coop = false;
    bool yes = false;
    UploadOverrides upload;
};

// Throws the text to show for a command line that cannot be understood.
struct UsageError {
    QString text;
};

CommandLine parse(const QStringList& arguments) {
    CommandLine c;
    c.command = arguments.value(0);
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--coop")) {
            c.coop = true;
        } else if (a == QStringLiteral("--yes")) {
            c.yes = true;
        } else if (a == QStringLiteral("--by")) {
            if (i + 1 >= arguments.size())
                throw UsageError{QStringLiteral("--by needs a value.")};
            c.by = arguments[++i];
        } else if (a.startsWith(QStringLiteral("--by="))) {
            c.by = a.mid(5);
        } else if (a == QStringLiteral("--passive")) {
            c.upload.passive = true;
        } else if (a == QStringLiteral("--tls")) {
            c.upload.tls = true;
        } else if (a == QStringLiteral("--fingerprint") ||
                   a.startsWith(QStringLiteral("--fingerprint="))) {
            if (a.contains(QLatin1Char('=')))
                c.upload.fingerprint = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            else if (i + 1 < arguments.size())
                c.upload.fingerprint = arguments[++i];
            else
                throw UsageError{QStringLiteral("--fingerprint needs a value.")};
            if (const QString problem = fingerprintProblem(*c.upload.fingerprint);
                !problem.isEmpty() || c.upload.fingerprint->trimmed().isEmpty())
                throw UsageError{problem.isEmpty() ? QStringLiteral("--fingerprint needs a value.")
                                                   : problem};
        } else if (a.startsWith(QStringLiteral("--"))) {
            throw UsageError{QStringLiteral("Unknown option %1.").arg(a)};
        } else {
            c.positional << a; // "-5" is a count, not an option
        }
    }
    return c;
}

void expectPositional(const CommandLine& c, int count, const QString& what) {
    if (c.positional.size() != count)
        throw UsageError{QStringLiteral("%1 takes %2.").arg(c.command, what)};
}

QString quoted(const QString& s) {
    return QStringLiteral("\"") + s + QStringLiteral("\"");
}

int run(const CommandLine& c, QTextStream& out, QTextStream& err) {
    const QString gameType = c.coop ? kCooperativeText : kAdversarialText;
    const QString statsPath = statsFileName(gameType);
    if (c.command != QStringLiteral("upload") &&
        (c.upload.passive || c.upload.tls || c.upload.fingerprint))
        throw UsageError{QStringLiteral("--passive, --tls and --fingerprint are for upload.")};
    const auto needBy = [&] {
        if (!c.by)
            throw UsageError{QStringLiteral("%1 needs --by.").arg(c.command)};
        return *c.by;
    };

    if (c.command == QStringLiteral("list")) {
        expectPositional(c, 0, QStringLiteral("no names"));
        auto names = listPlayers(statsPath).value_or(std::vector<QByteArray>{});
        sortForListing(names);
        for (const QByteArray& name : names)
            out << fromCp1252(name) << '\n';
        out << "Total Players: " << names.size() << '\n';
        return 0;
    }
    if (c.command == QStringLiteral("rank")) {
        expectPositional(c, 0, QStringLiteral("no names"));
        const QString key = needBy();
        const RankResult r = Rank_Players(statsPath, key);
        out << "Ranked " << quoted(statsPath) << " by " << key << ": " << r.written << " of "
            << r.recordCount << " records kept.\n";
        return 0;
    }
    if (c.command == QStringLiteral("delete-player")) {
        expectPositional(c, 1, QStringLiteral("one player name"));
        const QString name = c.positional.first();
        if (name.isEmpty())
            throw UsageError{QStringLiteral("delete-player needs a name that is not empty.")};
        const auto blanked = deletePlayer(statsPath, toCp1252(name));
        if (!blanked) {
            err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
            return 1;
        }
        if (*blanked == 0)
            out << "No player named " << quoted(name) << " in " << quoted(statsPath) << ".\n";
        else
            out << "Deleted " << quoted(name) << " from " << quoted(statsPath) << ": " << *blanked
                << " records blanked.\n";
        return 0;
    }
    if (c.command == QStringLiteral("prune")) {
        expectPositional(c, 1, QStringLiteral("one count"));
        const QString measure = needBy();
        const QString count = c.positional.first();
        if (count.isEmpty())
            throw UsageError{QStringLiteral("prune needs a count.")};
        const auto r = deletePlayers(statsPath, count, measure);
        if (!r) {
            err << quoted(statsPath) << " cannot be opened; nothing was changed.\n";
            return 1;
        }
        out << "Deleted " << (r->examined - r->kept) << " of " << r->examined << " records from "
            << quoted(statsPath) << ".\n";
        return 0;
    }
    if (c.command == QStringLiteral("delete-stats-file")) {
        expectPositional(c, 0, QStringLiteral("no names"));
        if (!c.yes)
            throw UsageError{QStringLiteral("%1 Add --yes to delete it.")
                                 .arg(deleteStatsFileQuestion(gameType))};
        deleteStatsFiles(gameType);
        out << statsFileDeletedMessage(gameType) << '\n';
        return 0;
    }
    if (c.command == QStringLiteral("upload")) {
        expectPositional(c, 1, QStringLiteral("one file name"));
        if (c.positional.first().isEmpty())
            throw UsageError{QStringLiteral("upload needs a file name that is not empty.")};
        return runUpload(c.positional.first(), SettingsStore(SettingsStore::defaultPath()), out,
                         err, c.upload);
    }
    throw UsageError{QStringLiteral("Unknown command %1.").arg(quoted(c.command))};
}

} // namespace

bool isCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return false;
    const QString& first = arguments.first();
    return kHelp.contains(first) || kCommands.contains(first) || !first.startsWith(u'-');
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        if (arguments.isEmpty() || kHelp.contains(arguments.first())) {
            out << usage();
            return 0;
        }
        const SettingsStore settings(SettingsStore::defaultPath());
        const auto ranker = [](const QString& statsFile, const QString& key) {
            Rank_Players(statsFile, key);
        };
        if (const auto status = runPageCommand(arguments, settings, ranker, out, err))
            return *status;
        return run(parse(arguments), out, err);
    } catch (const UsageError& e) {
        err << e.text << '\n' << "Run VantorUtilities --help for the commands.\n";
        return 2;
    } catch (const Error& e) {
        err << e.message() << '\n';
        return 1;
    }
}

} // namespace vantor::utilities
