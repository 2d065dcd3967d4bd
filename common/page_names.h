#pragma once

#include <QString>

namespace vantor {

// The file a page of this name would replace when that is one the programs keep their data in:
// a data file, "work.dat", the lock file or the settings store (storePath). Empty when the name
// is free for a page. The file-name part is compared in any letter case, wherever the page
// goes; a name that resolves (through links or "..") to such a file counts too.
QString fileReservedFromPages(const QString& pageName, const QString& dataFolder,
                              const QString& storePath);

// What a refused page name is told, beginning with a blank as the programs' messages do.
QString reservedPageNameMessage(const QString& reservedFile);

} // namespace vantor
