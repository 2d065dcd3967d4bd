#pragma once

#include <QString>
#include <QStringList>

namespace vantor {

// The first executable file called `name` in one of `folders`, else in one of the folders of
// `searchPath` (":"-separated, as PATH). Empty when there is none.
QString findProgram(const QString& name, const QStringList& folders, const QString& searchPath);

} // namespace vantor
