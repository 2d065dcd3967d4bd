#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace vantor {

class RegFile;
class SettingsKey;
class SettingsStore;
class TCustomFtpCli;

// The FTP values of the settings key, one set for both programs.
struct FtpSettings {
    QString hostName;     // "hostname"
    QString port;         // "port": a number or a service name; empty means "ftp"
    QString userName;     // "username"
    QString password;     // "ftppassword", plain text as typed
    QString hostDirName;  // "hostdirname", may be empty
    bool passive = false; // "ftpmode": "passive"; absent or "active" is active mode
    bool tls = false;     // "ftptls": "explicit"; absent or "none" is no TLS
    QString certSha256;   // "ftpcertsha256": a pinned certificate fingerprint
};

inline const QString kHostNameSetting = QStringLiteral("hostname");
inline const QString kPortSetting = QStringLiteral("port");
inline const QString kUserNameSetting = QStringLiteral("username");
inline const QString kPasswordSetting = QStringLiteral("ftppassword");
inline const QString kHostDirSetting = QStringLiteral("hostdirname");
inline const QString kFtpModeSetting = QStringLiteral("ftpmode");
inline const QString kFtpTlsSetting = QStringLiteral("ftptls");
inline const QString kCertSha256Setting = QStringLiteral("ftpcertsha256");

FtpSettings readFtpSettings(const SettingsKey& key);
// Missing values (or a missing key) read as empty text. With create the key is made when it
// is missing.
FtpSettings readFtpSettings(const SettingsStore& store, bool create);

// Puts the values into the file in this order: "hostname", "port", "username",
// "ftppassword", "hostdirname", then the values of between, then "ftpmode", "ftptls",
// "ftpcertsha256". Those three are only written when one is chosen or the store holds it
// already: the settings of a user who never chose them stay exactly as they were.
void putFtpSettings(RegFile& file, const FtpSettings& settings,
                    const QList<std::pair<QString, QString>>& between = {});

// Writes the values in one locked write, empty ones included. Throws vantor::Error "Failed
// to set data for 'hostname'" when the store cannot be written.
void saveFtpSettings(const SettingsStore& store, const FtpSettings& settings);

// The message for a fingerprint that is neither empty nor a SHA-256 fingerprint (64 hex
// digits, colons and blanks allowed); empty when it is fine.
QString fingerprintProblem(const QString& text);

// Host, port (overridden by $VANTOR_FTP_PORT), login, password, directory, mode, TLS and
// fingerprint onto the client.
void applyFtpSettings(TCustomFtpCli& client, const FtpSettings& settings);

} // namespace vantor
