#include "options.h"
#include "command.h"

#include "stats/rank_keys.h"
#include "stats/upkeep.h"
#include "utilities/core/stats_page.h"

namespace vantor::utilities::cli {

std::optional<QCommandLineOption> optionNamed(const QString& name) {
    if (name == kCoop)
        return QCommandLineOption(kCoop, QStringLiteral("the cooperative stats file"));
    if (name == kBy)
        return QCommandLineOption(kBy, QStringLiteral("rank key or measure"),
                                  QStringLiteral("KEY"));
    if (name == kComment)
        return QCommandLineOption(kComment, QStringLiteral("page comment"), QStringLiteral("TEXT"));
    if (name == kYes)
        return QCommandLineOption(kYes, QStringLiteral("confirm the deletion"));
    if (name == kQuiet)
        return QCommandLineOption(kQuiet, QStringLiteral("print failures only"));
    if (name == kPassive)
        return QCommandLineOption(kPassive, QStringLiteral("passive mode for this upload"));
    if (name == kTls)
        return QCommandLineOption(kTls, QStringLiteral("explicit TLS for this upload"));
    if (name == kFingerprint)
        return QCommandLineOption(kFingerprint,
                                  QStringLiteral("the server certificate's SHA-256 fingerprint"),
                                  QStringLiteral("SHA256"));
    if (name == kLast)
        return QCommandLineOption(kLast, QStringLiteral("only the newest N games"),
                                  QStringLiteral("N"));
    if (name == kJson)
        return QCommandLineOption(kJson, QStringLiteral("JSON on standard output"));
    if (name == kFromFiles)
        return QCommandLineOption(kFromFiles,
                                  QStringLiteral("start the history afresh from the files"));
    if (name == kUpload)
        return QCommandLineOption(kUpload, QStringLiteral("send the changed files by FTP"));
    if (name == kFormat)
        return QCommandLineOption(kFormat, QStringLiteral("the web hook's format"),
                                  QStringLiteral("discord|json"));
    if (name == kSince)
        return QCommandLineOption(kSince, QStringLiteral("from this day on"),
                                  QStringLiteral("DATE"));
    if (name == kUntil)
        return QCommandLineOption(kUntil, QStringLiteral("up to this day"), QStringLiteral("DATE"));
    // --week and --month may stand alone (this week, this month): see optionsFirst.
    if (name == kWeek)
        return QCommandLineOption(kWeek, QStringLiteral("an ISO week"), QStringLiteral("YYYY-Www"));
    if (name == kMonth)
        return QCommandLineOption(kMonth, QStringLiteral("a month"), QStringLiteral("YYYY-MM"));
    if (name == kSeason)
        return QCommandLineOption(kSeason, QStringLiteral("a season"), QStringLiteral("NAME"));
    if (name == kUtc)
        return QCommandLineOption(kUtc, QStringLiteral("dates in UTC"));
    if (name == kMinGames)
        return QCommandLineOption(kMinGames, QStringLiteral("players with at least N games"),
                                  QStringLiteral("N"));
    if (name == kIs)
        return QCommandLineOption(kIs, QStringLiteral("the name the games count under"),
                                  QStringLiteral("MAIN"));
    return std::nullopt;
}

QString rankKeyNamed(const QString& typed) {
    for (const QString& key : stats::rankKeyTexts())
        if (typed.compare(key, Qt::CaseInsensitive) == 0 ||
            typed.compare(keyColumnHeading(key), Qt::CaseInsensitive) == 0)
            return key;
    throw UsageError{stats::unknownRankKeyMessage(typed)};
}

QString measureNamed(const QString& typed) {
    for (const QString& measure : stats::deleteMeasureTexts())
        if (typed.compare(measure, Qt::CaseInsensitive) == 0)
            return measure;
    throw UsageError{stats::unknownMeasureMessage(typed)};
}

} // namespace vantor::utilities::cli
