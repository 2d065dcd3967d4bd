#pragma once

#include "platform/data_folder_lock.h"

#include <QString>
#include <functional>
#include <memory>

namespace vantor::stats {

using IdleFn = std::function<void()>;
// Called by an operation once it has checked what it was given, right before it changes the
// files; the game history opens its change note there.
using BeforeChangeFn = std::function<void()>;

// The folder a data file lies in, and another file of that folder ("work.dat" beside the
// stats file).
QString folderOf(const QString& dataFile);
QString besideFile(const QString& dataFile, const QString& name);

// Whether folder holds a stats file, "team.log" or the game history. A command run anywhere
// else is in the wrong folder and must create nothing there.
bool holdsStatsOrHistory(const QString& folder);
QString notADataFolderMessage(const QString& folder);

// Takes the data-folder lock of the folder holding dataFile, waiting a few seconds for the
// recorder to finish a merge; throws when it does not.
std::unique_ptr<DataFolderLock> lockDataFolderOf(const QString& dataFile, const IdleFn& idle = {});

} // namespace vantor::stats
