#pragma once

#include "ftp/ftp_cli.h"

#include <QString>

namespace vantor {
class SettingsStore;
class TFtpClient;
} // namespace vantor

namespace vantor::utilities {

// The five FTP settings the "FTP Upload" page shows and stores; the recorder shares them.
struct FtpSettings {
    QString hostName;    // "hostname"
    QString port;        // "port": shown and stored only
    QString userName;    // "username"
    QString password;    // "ftppassword", plain text as typed
    QString hostDirName; // "hostdirname", may be empty
};

inline const QString kEnterHostMessage = QStringLiteral("Please enter Host address.");
inline const QString kEnterUserMessage = QStringLiteral("Please enter Username.");
inline const QString kEnterPasswordMessage = QStringLiteral("Please enter password.");
inline const QString kSelectFileMessage = QStringLiteral(" Please select a file to transfer.");
inline const QString kSettingsSavedMessage =
    QStringLiteral("Your FTP Upload settings have been saved.");

// The stored settings; missing values (or a missing key) read as empty text. With create the
// key is made when it is missing, as the page does when it is selected.
FtpSettings readFtpSettings(const SettingsStore& store, bool create);

// Writes "hostname", "port", "username", "ftppassword", "hostdirname" in this order, empty
// values included. Throws vantor::Error "Failed to set data for '<name>'" when the store
// cannot be written.
void saveFtpSettings(const SettingsStore& store, const FtpSettings& settings);

// The message for the first of host, login and password that is empty; empty when all are
// filled. The port and the directory are never checked.
QString missingFtpField(const FtpSettings& settings);

// The message for the first of login, password and directory that holds a line break or NUL
// (the upload would refuse it); empty when none does.
QString unsafeFtpField(const FtpSettings& settings);

// Host, port, login, password and directory onto the client, in this order.
void applyFtpSettings(TCustomFtpCli& client, const FtpSettings& settings);

// Sends localFile, stored on the server as hostFile in the client's directory, and reports
// every display line to display (which stays attached to the client afterwards). A failure
// whose reason no line has shown yet (an unreachable server, the time-out) ends with the
// line "! " + the reason, so the lines always tell what happened. True on success.
bool uploadPage(TFtpClient& client, const QString& localFile, const QString& hostFile,
                const TFtpDisplay& display);

// A display line as text: UTF-8 where it is valid UTF-8, else the Windows code page.
QString displayLineText(const QByteArray& line);

} // namespace vantor::utilities
