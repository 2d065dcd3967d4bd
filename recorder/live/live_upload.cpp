#include "live_upload.h"

#include "ftp/ftp_settings.h"
#include "platform/ftp_settings_store.h"
#include "platform/game_paths.h"
#include "platform/live_stats_settings.h"

#include <QDir>
#include <QFile>

namespace vantor::recorder {

void setupLiveStatsClient(FtpClient& client) {
    client.Timeout = 15;
    client.Binary = true;
    client.MultiThreaded = false;
    client.Port = "ftp";
    client.Options = ftpAcceptLF;
}

bool uploadLiveStats(const SettingsStore& settings, FtpClient& client, const QString& dataFolder) {
    // A key that cannot be opened reads as empty values: the upload then fails, silently.
    const std::optional<SettingsKey> key = settings.openKey(kVantorKey, true);
    // The port is shared with the utilities; none stored means the "ftp" service.
    const FtpSettings ftp = key ? readFtpSettings(*key) : FtpSettings{};
    applyFtpSettings(client, ftp);
    const QString fileName = key ? readLiveStatsSettings(*key).hostFileName : QString();
    client.HostFileName = fileName.toUtf8();
    const QString local = dataFolder == QLatin1String(".") || fileName.isEmpty()
                              ? fileName
                              : QDir(dataFolder).filePath(fileName);
    client.LocalFileName = QFile::encodeName(local);

    return client.Transmit();
}

void playUploadSound(SoundPlayer& sound, const QString& gameFolder) {
    sound.play(findGameFile(gameFolder, kUploadSound));
}

bool uploadAndPlaySound(const SettingsStore& settings, FtpClient& client, SoundPlayer& sound,
                        const QString& gameFolder, const QString& dataFolder,
                        const std::function<void(bool uploaded)>& afterUpload) {
    // A failed upload is not retried: the next game brings a new page and a new attempt.
    const bool uploaded = uploadLiveStats(settings, client, dataFolder);
    if (afterUpload)
        afterUpload(uploaded);
    playUploadSound(sound, gameFolder);
    return uploaded;
}

} // namespace vantor::recorder
