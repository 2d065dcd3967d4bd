#pragma once

#include "ftp/ftp_client.h"
#include "platform/settings_store.h"
#include "platform/sound.h"

#include <QByteArray>
#include <QString>

namespace vantor::recorder {

// Played from the game folder after every upload of the live stats page.
inline const QString kUploadSound = QStringLiteral("\\data\\sound\\English\\tm_cmpdn.wav");

// Gives the client the recorder's fixed settings: 15 s time-out, binary, events pumped by the
// application, port "ftp", the local file opened exclusively, replies ending at LF accepted.
void setupLiveStatsClient(TFtpClient& client);

// Uploads the page named by "hostfilename" from the data folder to the server under the same
// name, with the FTP settings read afresh, then plays the game's sound whatever the upload's
// outcome. The outcome is returned for callers that log it; the window ignores it. Throws
// vantor::Error with the player's reason when the sound cannot be played, after the upload.
bool sendlivestats(const SettingsStore& settings, TFtpClient& client, SoundPlayer& sound,
                   const QString& gameFolder, const QString& dataFolder = QStringLiteral("."));

} // namespace vantor::recorder
