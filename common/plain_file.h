#pragma once

#include <QByteArray>
#include <QString>

namespace vantor {

// Opens an existing file with flags (O_RDONLY or O_RDWR, O_NOFOLLOW where no link may be
// followed) without ever waiting on it: a FIFO or a device under a data file's name is
// refused, not opened. Opened for writing, a file with a second name (a hard link) is refused
// too, since a change made in place would reach that other name. Returns the descriptor, or
// -1 with errno set when the file cannot be opened (ENOENT: there is none); a refusal throws
// vantor::Error naming the file and why.
int openPlainFile(const QString& path, int flags);

// The whole of a plain file (opened as openPlainFile does, never through a link), when it
// holds at most maxBytes; a larger one is refused with a vantor::Error naming the limit, and a
// missing one too.
QByteArray readPlainFile(const QString& path, qint64 maxBytes);

} // namespace vantor
