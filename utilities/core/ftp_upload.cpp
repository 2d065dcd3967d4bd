#include "ftp_upload.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "common/visible_text.h"
#include "ftp/command_arguments.h"
#include "ftp/ftp_client.h"
#include "platform/settings_store.h"

#include <QFile>
#include <QStringDecoder>
#include <memory>

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

bool uploadPage(FtpClient& client, const QString& localFile, const QString& hostFile,
                const FtpDisplay& display) {
    client.HostFileName = QFile::encodeName(hostFile);
    client.LocalFileName = QFile::encodeName(localFile);
    auto shown = std::make_shared<QList<QByteArray>>();
    client.OnDisplay = [shown, display](QObject* sender, const QByteArray& line) {
        shown->append(line.mid(2));
        if (display)
            display(sender, line);
    };
    const bool ok = client.Transmit();
    client.OnDisplay = display;
    const QByteArray reason = client.ErrorMessage();
    if (!ok && !reason.isEmpty() && !shown->contains(reason) && display)
        display(&client, "! " + reason);
    return ok;
}

QString displayLineText(const QByteArray& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(line);
    return visibleText(utf8.hasError() ? fromCp1252(line) : text);
}

} // namespace vantor::utilities
