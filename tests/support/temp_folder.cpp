#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace vantor::test {

TempFolder::TempFolder() : previous_(QDir::currentPath()) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    QDir::setCurrent(dir_.path());
}

TempFolder::~TempFolder() {
    QDir::setCurrent(previous_);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray fromHex(const char* hex) {
    QByteArray compact(hex);
    compact.replace(' ', "").replace('\n', "");
    return QByteArray::fromHex(compact);
}

} // namespace vantor::test
