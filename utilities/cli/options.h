#pragma once

#include <QCommandLineOption>
#include <QString>
#include <optional>

namespace vantor::utilities::cli {

// Every option any command takes, defined once; a value option accepts "--by KEY" and
// "--by=KEY" alike.
inline const QString kCoop = QStringLiteral("coop");
inline const QString kBy = QStringLiteral("by");
inline const QString kComment = QStringLiteral("comment");
inline const QString kYes = QStringLiteral("yes");
inline const QString kQuiet = QStringLiteral("quiet");
inline const QString kPassive = QStringLiteral("passive");
inline const QString kTls = QStringLiteral("tls");
inline const QString kFingerprint = QStringLiteral("fingerprint");
inline const QString kLast = QStringLiteral("last");
inline const QString kJson = QStringLiteral("json");
inline const QString kFromFiles = QStringLiteral("from-files");
inline const QString kUpload = QStringLiteral("upload");
inline const QString kFormat = QStringLiteral("format");
inline const QString kSince = QStringLiteral("since");
inline const QString kUntil = QStringLiteral("until");
inline const QString kWeek = QStringLiteral("week");
inline const QString kMonth = QStringLiteral("month");
inline const QString kSeason = QStringLiteral("season");
inline const QString kUtc = QStringLiteral("utc");
inline const QString kMinGames = QStringLiteral("min-games");
inline const QString kIs = QStringLiteral("is");

std::optional<QCommandLineOption> optionNamed(const QString& name);

// A rank key as typed: any letter case, and the pages' column headings too ("average
// kills/game"); gives the key's own text. A text that names no key is a wrong command line.
QString rankKeyNamed(const QString& typed);
// "Games Played" or "Skill Points" in any letter case, likewise.
QString measureNamed(const QString& typed);

} // namespace vantor::utilities::cli
