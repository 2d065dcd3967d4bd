#include "ftp/command_arguments.h"

#include <utility>

namespace vantor {

QString unsafeArgumentMessage(FtpArgument argument) {
    const char* field = "";
    switch (argument) {
    case FtpArgument::UserName:
        field = "user name";
        break;
    case FtpArgument::Password:
        field = "password";
        break;
    case FtpArgument::Folder:
        field = "folder";
        break;
    case FtpArgument::FileName:
        field = "file name";
        break;
    }
    return QStringLiteral("The %1 contains a line break or NUL character")
        .arg(QLatin1String(field));
}

bool isSafeFtpArgument(const QByteArray& value) {
    for (const char c : value)
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    return true;
}

QString checkFtpArguments(const QByteArray& userName, const QByteArray& password,
                          const QByteArray& folder, const QByteArray& fileName) {
    const std::pair<const QByteArray&, FtpArgument> arguments[] = {
        {userName, FtpArgument::UserName},
        {password, FtpArgument::Password},
        {folder, FtpArgument::Folder},
        {fileName, FtpArgument::FileName},
    };
    for (const auto& [value, argument] : arguments)
        if (!isSafeFtpArgument(value))
            return unsafeArgumentMessage(argument);
    return {};
}

QString checkFtpArguments(const QString& userName, const QString& password, const QString& folder,
                          const QString& fileName) {
    return checkFtpArguments(userName.toUtf8(), password.toUtf8(), folder.toUtf8(),
                             fileName.toUtf8());
}

} // namespace vantor
