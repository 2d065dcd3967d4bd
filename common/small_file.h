#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantor {

// A small file the programs keep for themselves (a state file), read whole. nullopt when it does
// not exist. A link, anything but a plain file, or a file larger than maxBytes throws
// vantor::Error: such a file was not written by the programs and is not read.
std::optional<QByteArray> readSmallFile(const QString& path, qint64 maxBytes);

} // namespace vantor
