#include "platform/ftp_settings_store.h"

#include "common/error.h"
#include "platform/settings_names.h"
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

} // namespace vantor
