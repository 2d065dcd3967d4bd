#include "live_upload.h"

#include "ftp/control_port.h"
#include "platform/game_paths.h"

#include <QDir>
#include <QFile>

namespace vantor::recorder {

void setupLiveStatsClient(TFtpClient& client) {
    client.Timeout = 15;
    client.Binary = true;
    client.MultiThreaded = false;
    client.Port = "ftp";
    client.DisplayFileFlag = false;
    client.ShareMode = ftpShareExclusive;
    client.Options = ftpAcceptLF;
}

bool uploadLiveStats(const SettingsStore& settings, TFtpClient& client, const QString& dataFolder) {
    // A key that cannot be opened reads as empty values: the upload then fails, silently.
    const std::optional<SettingsKey> key = settings.openKey(kVantorKey, true);
    const auto read = [&](const char* name) {
        return key ? key->readString(QString::fromLatin1(name)) : QString();
    };
    client.HostName = read("hostname").toUtf8();
    client.Port = uploadControlPort();
    client.UserName = read("username").toUtf8();
    client.PassWord = read("ftppassword").toUtf8();
    client.HostDirName = read("hostdirname").toUtf8();
    const QString fileName = read("hostfilename");
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

bool sendlivestats(const SettingsStore& settings, TFtpClient& client, SoundPlayer& sound,
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
