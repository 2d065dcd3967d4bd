#pragma once

#include <QByteArray>
#include <QString>

namespace vantor {

// The texts that go into FTP commands after the verb. A CR, LF or NUL in one would end the
// command early and send the rest as a command of its own (a folder of "/\r\nDELE x" deletes
// x), so such a value is refused before anything is sent.
enum class FtpArgument { UserName, Password, Folder, FileName };

// "The folder contains a line break or NUL character": the one wording for every place that
// refuses such a value.
QString unsafeArgumentMessage(FtpArgument argument);

bool isSafeFtpArgument(const QByteArray& value);

// The message for the first of user name, password, folder and file name that is not safe;
// empty when all of them are.
QString checkFtpArguments(const QByteArray& userName, const QByteArray& password,
                          const QByteArray& folder, const QByteArray& fileName);
// The same for values as typed or stored, before they go out as UTF-8 (which keeps CR, LF and
// NUL as they are and makes no such byte of anything else). A window without a file name
// field leaves it empty.
QString checkFtpArguments(const QString& userName, const QString& password, const QString& folder,
                          const QString& fileName = QString());

} // namespace vantor
