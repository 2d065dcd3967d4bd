#include "ftp_upload.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "common/visible_text.h"
#include "ftp/command_arguments.h"
#include "ftp/ftp_client.h"
#include "ftp/upload_failure.h"
#include "platform/settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace vantor::utilities {

QString missingFtpField(const FtpSettings& settings) {
    if (settings.hostName.isEmpty())
        return kEnterHostMessage;
    if (settings.userName.isEmpty())
        return kEnterUserMessage;
    if (settings.password.isEmpty())
        return kEnterPasswordMessage;
    return {};
}

QString unsafeFtpField(const FtpSettings& settings) {
    return checkFtpArguments(settings.userName, settings.password, settings.hostDirName);
}

namespace {
// Read before connecting, so a wrong name is found before the server is bothered.
QString localFileProblem(const QString& localFile) {
    const QFileInfo info(localFile);
    if (!info.exists())
        return QStringLiteral("The upload did not start: there is no file \"%1\".").arg(localFile);
    if (!info.isFile())
        return QStringLiteral("The upload did not start: \"%1\" is not a file.").arg(localFile);
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The upload did not start: \"%1\" cannot be read (%2).")
            .arg(localFile, file.errorString());
    return {};
}
} // namespace

QString uploadPage(FtpClient& client, const QString& localFile, const QString& hostFile,
                   const FtpDisplay& display) {
    if (const QString problem = localFileProblem(localFile); !problem.isEmpty())
        return problem;
    client.HostFileName = QFile::encodeName(hostFile);
    client.LocalFileName = QFile::encodeName(localFile);
    client.OnDisplay = display;
    if (client.Transmit())
        return {};
    return displayLineText(uploadFailureText(client));
}

QString displayLineText(const QByteArray& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(line);
    return visibleText(utf8.hasError() ? fromCp1252(line) : text);
}

} // namespace vantor::utilities
