#include "recorder_options.h"

namespace vantor::recorder {

RecorderOptions parseRecorderArguments(const QStringList& arguments) {
    RecorderOptions options;
    bool headless = false;
    bool help = false;
    QStringList foreign;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--headless")) {
            headless = true;
        } else if (a == QLatin1String("--live-stats") || a == QLatin1String("--no-live-stats")) {
            const auto choice = a == QLatin1String("--live-stats")
                                    ? RecorderOptions::LiveStatsChoice::On
                                    : RecorderOptions::LiveStatsChoice::Off;
            if (options.liveStats != RecorderOptions::LiveStatsChoice::FromSettings &&
                options.liveStats != choice) {
                options.mode = RecorderOptions::Mode::Invalid;
                options.problem =
                    QStringLiteral("--live-stats and --no-live-stats cannot be given together.");
                return options;
            }
            options.liveStats = choice;
        } else if (a == QLatin1String("--site") || a.startsWith(QLatin1String("--site=")) ||
                   a == QLatin1String("--no-site")) {
            QString folder;
            if (a == QLatin1String("--site")) {
                if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                    options.mode = RecorderOptions::Mode::Invalid;
                    options.problem = QStringLiteral("--site needs the site's folder.");
                    return options;
                }
                folder = arguments[++i];
            } else if (a != QLatin1String("--no-site")) {
                folder = a.mid(7);
            }
            if (options.siteFolder && *options.siteFolder != folder) {
                options.mode = RecorderOptions::Mode::Invalid;
                options.problem = QStringLiteral("--site and --no-site are given more than once.");
                return options;
            }
            options.siteFolder = folder;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
        } else if (a.startsWith(QLatin1String("--")) || !a.startsWith(u'-')) {
            options.mode = RecorderOptions::Mode::Invalid;
            options.problem = QStringLiteral("Unknown option \"%1\".").arg(a);
            return options;
        } else {
            // "-platform offscreen", "-style fusion": the toolkit's own, with their values.
            foreign << a;
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-'))
                foreign << arguments[++i];
        }
    }
    if (help) {
        options.mode = RecorderOptions::Mode::Help;
        return options;
    }
    if (headless && !foreign.isEmpty()) {
        options.mode = RecorderOptions::Mode::Invalid;
        options.problem = QStringLiteral("Unknown option \"%1\".").arg(foreign.first());
        return options;
    }
    if (!headless && options.siteFolder) {
        options.mode = RecorderOptions::Mode::Invalid;
        options.problem = QStringLiteral("--site and --no-site need --headless; in the window, "
                                         "\"Live Stats Setup\" decides.");
        return options;
    }
    if (!headless && options.liveStats != RecorderOptions::LiveStatsChoice::FromSettings) {
        options.mode = RecorderOptions::Mode::Invalid;
        options.problem = QStringLiteral("--live-stats and --no-live-stats need --headless; in "
                                         "the window, \"Enable Live Stats\" decides.");
        return options;
    }
    options.mode = headless ? RecorderOptions::Mode::Headless : RecorderOptions::Mode::Window;
    return options;
}

QString recorderHelpText() {
    return QStringLiteral(
        "Usage: VantorRecorder [--headless [--live-stats | --no-live-stats]\n"
        "                      [--site DIR | --no-site]]\n"
        "\n"
        "Records the Rogue Spear multiplayer games that end on this machine into the\n"
        "stats files of the current directory, the data folder (\"stats.log\",\n"
        "\"coop_stats.log\", \"team.log\").\n"
        "\n"
        "Without options the recorder opens its window.\n"
        "\n"
        "Options:\n"
        "  --headless       Record without a window and without a desktop. Reads the\n"
        "                   settings and the game's folder once, deletes the result logs\n"
        "                   the game left before, switches recording on and looks for a\n"
        "                   finished game every 3 seconds. Messages go to standard\n"
        "                   error, each with a time stamp; a question is answered No.\n"
        "                   SIGINT or SIGTERM stop it after the game being recorded,\n"
        "                   with exit code 0.\n"
        "  --live-stats     With --headless: after every game, write the live stats page\n"
        "                   named by \"hostfilename\" and upload it to \"hostname\", even\n"
        "                   when one of the two is not set.\n"
        "  --no-live-stats  With --headless: never write or upload the live stats page.\n"
        "                   Without either option, live stats are on when the settings\n"
        "                   name both \"hostname\" and \"hostfilename\".\n"
        "  --site DIR       With --headless: after every game, refresh the community\n"
        "                   site in DIR (and upload it when \"siteupload\" is \"true\"),\n"
        "                   in a process of its own. --no-site: no site. Without\n"
        "                   either, \"sitefolder\" decides.\n"
        "  -h, --help       Show this text and exit.\n"
        "\n"
        "Settings are kept in $VANTOR_REGISTRY, else $XDG_CONFIG_HOME/vantor/\n"
        "registry.reg, else ~/.config/vantor/registry.reg. The game's folder and player\n"
        "name come from the game's key in that file, else from the Wine prefix\n"
        "($WINEPREFIX, else ~/.wine). The live stats page goes to the stored port (21\n"
        "when none) unless $VANTOR_FTP_PORT names another.\n"
        "\n"
        "Exit codes: 0 done, 1 the recorder could not start, 2 a wrong command line.\n");
}

} // namespace vantor::recorder
