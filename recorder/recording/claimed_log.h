#pragma once

#include <QByteArray>
#include <QString>

namespace vantor::recorder {

// The game's result log taken into the data folder ("claimed") while the data-folder lock is
// held, so no other recorder and no later tick can merge it again. It is read only from there
// and deleted at the game's commit.
QString claimedLogPath(const QString& dataFolder);

// Moves the log into the data folder: a rename, or across file systems a copy forced to the
// disk, renamed into place, then the original deleted. Throws vantor::Error; the log is then
// where it was.
void claimLog(const QString& log, const QString& dataFolder);

// A game of 64 players writes a few kilobytes; a log many times that size is no game's.
inline constexpr qint64 kMaxResultLogBytes = 16 << 20;

// The claimed log's bytes; a link, anything but a plain file, or a log larger than any game
// writes is refused.
QByteArray readClaimedLog(const QString& dataFolder);

// Moves a claimed log that must not be read again to the game folder under a set-aside name
// ("RSResults0.bad-<date and time>.log"), else beside it in the data folder. Gives the new
// path, or throws vantor::Error when it could be moved nowhere.
QString setClaimedLogAside(const QString& dataFolder, const QString& gameFolder);

} // namespace vantor::recorder
