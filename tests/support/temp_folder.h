#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

// A fresh folder that becomes the current directory (the data folder) while it lives.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// "00 1f a0 ..." (blanks and line ends ignored) to bytes.
QByteArray fromHex(const char* hex);

} // namespace vantor::test
