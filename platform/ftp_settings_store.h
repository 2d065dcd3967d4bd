#pragma once

#include "common/ftp_login.h"

#include <QList>
#include <QString>
#include <utility>

namespace vantor {

class RegFile;
class SettingsKey;
class SettingsStore;

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

} // namespace vantor
