#pragma once

#include "ftp/async_ftp_client.h"
#include "ftp/ftp_settings.h"
#include "platform/ftp_settings_store.h"

#include <QString>

namespace vantor {
class SettingsStore;
class FtpClient;
} // namespace vantor

namespace vantor::utilities {

// The FTP settings are shared with the recorder: stored by platform/, applied by ftp/.
using vantor::applyFtpSettings;
using vantor::FtpSettings;
using vantor::readFtpSettings;
using vantor::saveFtpSettings;

inline const QString kEnterHostMessage = QStringLiteral("Please enter Host address.");
inline const QString kEnterUserMessage = QStringLiteral("Please enter Username.");
inline const QString kEnterPasswordMessage = QStringLiteral("Please enter password.");
inline const QString kSelectFileMessage = QStringLiteral(" Please select a file to transfer.");
inline const QString kSettingsSavedMessage =
    QStringLiteral("Your FTP Upload settings have been saved.");

// The message for the first of host, login and password that is empty; empty when all are
// filled. The port and the directory are never checked.
QString missingFtpField(const FtpSettings& settings);

// The message for the first of login, password and directory that holds a line break or NUL
// (the upload would refuse it); empty when none does.
QString unsafeFtpField(const FtpSettings& settings);

// Sends localFile, stored on the server as hostFile in the client's directory, and reports
// every display line to display (which stays attached to the client afterwards). A local file
// that cannot be read is said before any connection is made. Gives empty text on success,
// else the line that ends the exchange: host, port and cause (see uploadFailureText).
QString uploadPage(FtpClient& client, const QString& localFile, const QString& hostFile,
                   const FtpDisplay& display);

// A display line as text: UTF-8 where it is valid UTF-8, else the Windows code page; control
// characters shown as "?".
QString displayLineText(const QByteArray& line);

} // namespace vantor::utilities
