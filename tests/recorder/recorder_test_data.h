#pragma once

#include "tests/support/temp_folder.h"

#include <QString>

namespace vantor::test {

// A result log fixture under tests/data/logs.
inline QString logFixture(const QString& name) {
    return QStringLiteral(VANTOR_TEST_DATA "/logs/") + name;
}
inline QByteArray readLogFixture(const QString& name) {
    return readFile(logFixture(name));
}

} // namespace vantor::test
