#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vantor {

// The files both programs share in the data folder, by their bare names.
inline const QString kStatsFile = QStringLiteral("stats.log");
inline const QString kCoopStatsFile = QStringLiteral("coop_stats.log");
inline const QString kTeamFile = QStringLiteral("team.log");
inline const QString kLastGameFile = QStringLiteral("lastgame.log");
// The scratch file of every rewrite. Its name is kept: the other program may find one left
// behind by a crash and must know it for scratch.
inline const QString kWorkFile = QStringLiteral("work.dat");
// Held by either program for every read-modify-write of the data files.
inline const QString kLockFile = QStringLiteral(".vantor.lock");
// Held by a recorder for as long as it records into the folder.
inline const QString kRecorderLockFile = QStringLiteral(".vantor.recorder.lock");
// A game's result log, taken into the data folder while it is recorded: its presence says the
// game has not been committed yet.
inline const QString kClaimedLogFile = QStringLiteral(".vantor.game");
// The old bytes and sizes of everything a game has changed so far, kept until the game is
// committed or undone.
inline const QString kUndoJournalFile = QStringLiteral(".vantor.journal");

// The game history journal (SQLite); the files above stay the truth when the two disagree.
inline const QString kHistoryFile = QStringLiteral("games.db");
// The folder a replay of the history builds its files in, inside the data folder.
inline const QString kReplayFolder = QStringLiteral(".vantor.replay");

// What the recorder last did (games, uploads, webhooks, alerts), for `status`; written whole
// through its own scratch file, so it never waits for the data-folder lock.
inline const QString kRecorderStatusFile = QStringLiteral(".vantor.status");
inline const QString kRecorderStatusWorkFile = QStringLiteral(".vantor.status.new");
// The utilities' last uploads of pages, for `status`, written the same way.
inline const QString kUploadStatusFile = QStringLiteral(".vantor.uploads");
inline const QString kUploadStatusWorkFile = QStringLiteral(".vantor.uploads.new");

// The game types, compared exactly and with case: as bytes where they come from a result log,
// as text where the utilities pass them around.
inline constexpr QByteArrayView kAdversarial = "Adversarial";
inline constexpr QByteArrayView kCooperative = "Cooperative";
inline const QString kAdversarialText = QString::fromLatin1(kAdversarial);
inline const QString kCooperativeText = QString::fromLatin1(kCooperative);

// "stats.log" for "Adversarial", "coop_stats.log" for "Cooperative", else empty: such a game
// type has no stats file.
QString statsFileName(QByteArrayView gameType);
QString statsFileName(const QString& gameType);
inline QString statsFileName(const QByteArray& gameType) {
    return statsFileName(QByteArrayView(gameType));
}

} // namespace vantor
