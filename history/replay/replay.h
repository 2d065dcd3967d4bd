#pragma once

#include "history/journal/journal.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>

namespace vantor::history {

// The files a replay gives: name -> bytes, a null QByteArray for a file that does not exist.
using FileSet = std::map<QString, QByteArray>;

// Rebuilds the files from the journal's baseline and its events, oldest first, running the
// same merge, ranking and upkeep code as the programs, in scratchFolder (an empty folder).
// undone overrides the stored mark of the events (games, upkeep changes) it names. Without
// overrides every event must replay (else vantor::Error names it); with them a change that could
// not have happened is passed over, as it would have failed then.
FileSet replayJournal(Journal& journal, const QString& scratchFolder,
                      const std::map<std::int64_t, bool>& undone = {});

// The journaled files of a folder as they are now.
FileSet currentFiles(const QString& folder);
// The digest a set of files is stored with.
QByteArray digestOfFiles(const FileSet& files);

} // namespace vantor::history
