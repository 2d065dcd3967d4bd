#pragma once

#include <QString>
#include <functional>

namespace vantor::recorder {

// "RSResults<index>.log" in the game folder; the game folder is held without a trailing "\".
QString resultLogPath(const QString& gameFolder, int index);

// Deletes "RSResults<first>.log" to "RSResults<last>.log"; missing files are no error.
void deleteResultLogs(const QString& gameFolder, int first = 0, int last = 9);

// A name for a log that is kept but must never be read again: "RSResults0.bad-<date and
// time>.log", made unique when that exists; pathOf gives a name's path in the folder.
QString setAsidePathIn(const std::function<QString(const QString& name)>& pathOf);
// The same in the game folder.
QString setAsidePath(const QString& gameFolder);

} // namespace vantor::recorder
