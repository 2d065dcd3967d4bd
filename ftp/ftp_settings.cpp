#include "ftp/ftp_settings.h"

#include "common/error.h"
#include "ftp/certificate_pin.h"
#include "ftp/control_port.h"
#include "ftp/ftp_cli.h"
#include "platform/settings_store.h"

#include <tuple>

namespace vantor {

namespace {

// Anything but "none" asks for TLS: a misspelt value must not send the password in clear.
bool wantsTls(const QString& value) {
    const QString v = value.trimmed();
    return !v.isEmpty() && v.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0;
}

} // namespace

FtpSettings readFtpSettings(const SettingsKey& key) {
    FtpSettings s;
    s.hostName = key.readString(kHostNameSetting);
    s.port = key.readString(kPortSetting);
    s.userName = key.readString(kUserNameSetting);
    s.password = key.readString(kPasswordSetting);
    s.hostDirName = key.readString(kHostDirSetting);
    s.passive = key.readString(kFtpModeSetting)
                    .trimmed()
                    .compare(QLatin1String("passive"), Qt::CaseInsensitive) == 0;
    s.tls = wantsTls(key.readString(kFtpTlsSetting));
    s.certSha256 = key.readString(kCertSha256Setting);
    return s;
}

FtpSettings readFtpSettings(const SettingsStore& store, bool create) {
    const std::optional<SettingsKey> key = store.openKey(kVantorKey, create);
    return key ? readFtpSettings(*key) : FtpSettings{};
}

void putFtpSettings(RegFile& file, const FtpSettings& s,
                    const QList<std::pair<QString, QString>>& between) {
    const std::pair<QString, QString> login[] = {
        {kHostNameSetting, s.hostName},   {kPortSetting, s.port},
        {kUserNameSetting, s.userName},   {kPasswordSetting, s.password},
        {kHostDirSetting, s.hostDirName},
    };
    for (const auto& [name, value] : login)
        file.setValue(kVantorKey, name, value);
    for (const auto& [name, value] : between)
        file.setValue(kVantorKey, name, value);
    const std::tuple<QString, QString, bool> choices[] = {
        {kFtpModeSetting, s.passive ? QStringLiteral("passive") : QStringLiteral("active"),
         s.passive},
        {kFtpTlsSetting, s.tls ? QStringLiteral("explicit") : QStringLiteral("none"), s.tls},
        {kCertSha256Setting, s.certSha256, !s.certSha256.isEmpty()},
    };
    for (const auto& [name, value, chosen] : choices)
        if (chosen || file.value(kVantorKey, name))
            file.setValue(kVantorKey, name, value);
}

void saveFtpSettings(const SettingsStore& store, const FtpSettings& settings) {
    try {
        store.update([&](RegFile& file) { putFtpSettings(file, settings); });
    } catch (const Error&) {
        // Nothing was stored, so the first value is the one that failed.
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(kHostNameSetting));
    }
}

QString fingerprintProblem(const QString& text) {
    if (text.trimmed().isEmpty() || !normalizedFingerprint(text.toLatin1()).isEmpty())
        return {};
    return QStringLiteral("The certificate fingerprint must be a SHA-256 fingerprint: 64 hex "
                          "digits, colons allowed.");
}

void applyFtpSettings(TCustomFtpCli& client, const FtpSettings& settings) {
    // Linux servers and file systems speak UTF-8; the names go on the wire as the local
    // file system spells them.
    client.HostName = settings.hostName.toUtf8();
    client.Port = uploadControlPort(settings.port.toUtf8());
    client.UserName = settings.userName.toUtf8();
    client.PassWord = settings.password.toUtf8();
    client.HostDirName = settings.hostDirName.toUtf8();
    client.Passive = settings.passive;
    client.Security = settings.tls ? ftpTlsExplicit : ftpTlsNone;
    client.CertSha256 = settings.certSha256.toUtf8();
}

} // namespace vantor
