#pragma once

#include <QByteArray>
#include <QString>

namespace vantor {

// The data files hold text in the Windows code page 1252. Names stay bytes everywhere;
// these convert only at the edges (a widget, a settings value).
QString fromCp1252(QByteArrayView bytes);
// Characters the code page lacks become '?'.
QByteArray toCp1252(const QString& text);

} // namespace vantor
