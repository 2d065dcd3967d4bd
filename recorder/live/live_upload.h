#pragma once

#include "ftp/ftp_client.h"
#include "platform/settings_store.h"
#include "platform/sound.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace vantor::recorder {

// Played from the game folder after every upload of the live stats page.
inline const QString kUploadSound = QStringLiteral("\\data\\sound\\English\\tm_cmpdn.wav");

// Gives the client the recorder's fixed settings: 15 s time-out, binary, events pumped by the
// application, port "ftp", replies ending at LF accepted.
void setupLiveStatsClient(FtpClient& client);

// Uploads the page named by "hostfilename" from the data folder to the server under the same
// name, with the FTP settings read afresh. True on success; a setting that holds a line break
// or NUL fails the upload before anything is sent (the client's ErrorMessage says which).
bool uploadLiveStats(const SettingsStore& settings, FtpClient& client,
                     const QString& dataFolder = QStringLiteral("."));

// Plays the game's sound that follows every upload. Throws vantor::Error with the player's
// reason when it cannot be played.
void playUploadSound(SoundPlayer& sound, const QString& gameFolder);

// uploadLiveStats, then playUploadSound whatever the upload's outcome. The outcome is returned,
// and given to afterUpload before the sound, for callers that say it; the window ignores it.
// The sound's error is thrown after the upload.
bool uploadAndPlaySound(const SettingsStore& settings, FtpClient& client, SoundPlayer& sound,
                        const QString& gameFolder, const QString& dataFolder = QStringLiteral("."),
                        const std::function<void(bool uploaded)>& afterUpload = nullptr);

} // namespace vantor::recorder
