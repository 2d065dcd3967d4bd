#include "ftp_upload.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "ftp/command_arguments.h"
#include "ftp/control_port.h"
#include "ftp/ftp_client.h"
#include "platform/settings_store.h"

#include <QFile>
#include <QStringDecoder>
#include <array>
#include <memory>

namespace vantor::utilities {

namespace {

struct Field {
    const char* name;
    QString FtpSettings::*member;
};

// The order the settings are written in.
constexpr std::array<Field, 5> kFields = {{
    {"hostname", &FtpSettings::hostName},
    {"port", &FtpSettings::port},
    {"username", &FtpSettings::userName},
    {"ftppassword", &FtpSettings::password},
    {"hostdirname", &FtpSettings::hostDirName},
}};

} // namespace

FtpSettings readFtpSettings(const SettingsStore& store, bool create) {
    FtpSettings settings;
    const auto key = store.openKey(kVantorKey, create);
    if (!key)
        return settings;
    for (const Field& f : kFields)
        settings.*f.member = key->readString(QString::fromLatin1(f.name));
    return settings;
}

void saveFtpSettings(const SettingsStore& store, const FtpSettings& settings) {
    auto key = store.openKey(kVantorKey, true);
    if (!key) // the store cannot even take the key: the first value is what fails
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(kFields[0].name));
    for (const Field& f : kFields)
        key->writeString(QString::fromLatin1(f.name), settings.*f.member);
}

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

void applyFtpSettings(TCustomFtpCli& client, const FtpSettings& settings) {
    // Linux servers and file systems speak UTF-8; the names go on the wire as the local
    // file system spells them.
    client.HostName = settings.hostName.toUtf8();
    client.Port = uploadControlPort();
    client.UserName = settings.userName.toUtf8();
    client.PassWord = settings.password.toUtf8();
    client.HostDirName = settings.hostDirName.toUtf8();
}

bool uploadPage(TFtpClient& client, const QString& localFile, const QString& hostFile,
                const TFtpDisplay& display) {
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
    QString text = utf8(line);
    return utf8.hasError() ? fromCp1252(line) : text;
}

} // namespace vantor::utilities
