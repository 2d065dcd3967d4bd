#include "headless_recorder.h"

#include "recorder/recording/activation.h"

#include "ftp/ftp_client.h"
#include "platform/dialogs.h"
#include "platform/sound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vantor::recorder {

namespace {
// Why no file can be made in `folder`, or empty text. An unnamed file is made and dropped, so
// nothing is left behind and no name is followed; where the file system has no unnamed files,
// the folder's permissions are asked instead.
QString whyNotWritable(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return QString();
    }
    int error = errno;
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
        error = ::access(path.constData(), W_OK | X_OK) == 0 ? 0 : errno;
    return error == 0 ? QString() : QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

HeadlessRecorder::HeadlessRecorder(Dialogs& dialogs, SettingsStore store,
                                   Activation::GameKeyReader gameKey,
                                   RecorderOptions::LiveStatsChoice liveStats,
                                   std::unique_ptr<RecordingTick> tick, QString dataFolder)
    : dialogs_(dialogs), liveStatsChoice_(liveStats), sound_(std::make_unique<QtSoundPlayer>()),
      session_(dialogs, std::move(store), std::move(gameKey), *sound_, std::move(tick),
               std::move(dataFolder)) {
    connect(&session_, &RecorderSession::uploadFailed, this, &HeadlessRecorder::sayFailedUpload);
    // Alerts and the web hooks' failures, which the window only keeps for `status`.
    connect(&session_.watch(), &watch::RecorderWatch::said, this,
            [this](const QString& text) { dialogs_.information(QStringLiteral("! ") + text); });
}

HeadlessRecorder::~HeadlessRecorder() = default;

bool HeadlessRecorder::start() {
    if (session_.isStopping())
        return true;
    // Refused before anything is touched: the data folder first, then another recorder there.
    problem_ = dataFolderProblem();
    if (problem_.isEmpty())
        problem_ = session_.takeRecorderLock();
    if (!problem_.isEmpty())
        return false;
    session_.activate();
    problem_ = gameProblem();
    if (!problem_.isEmpty())
        return false;
    const Activation& a = session_.activation();
    switch (liveStatsChoice_) {
    case RecorderOptions::LiveStatsChoice::On:
        session_.setLiveStats(true);
        if (!a.hasHostName() || !a.hasHostFileName())
            dialogs_.information(QStringLiteral(
                "Live stats are on, but \"hostname\" or \"hostfilename\" is not set: no page will "
                "be written or uploaded until both are."));
        break;
    case RecorderOptions::LiveStatsChoice::Off:
        session_.setLiveStats(false);
        break;
    case RecorderOptions::LiveStatsChoice::FromSettings:
        session_.setLiveStats(a.hasHostName() && a.hasHostFileName());
        break;
    }
    session_.setRecording(true);
    session_.deleteStaleFiles();
    return true;
}

QString HeadlessRecorder::dataFolderProblem() const {
    const QString data = QDir(session_.dataFolder()).absolutePath();
    if (const QString why = whyNotWritable(data); !why.isEmpty())
        return QStringLiteral("The data folder \"%1\" cannot be written: %2.").arg(data, why);
    return QString();
}

QString HeadlessRecorder::gameProblem() {
    const QString& game = session_.activation().gameFolder();
    if (game == kNotInstalled)
        return QStringLiteral("No game installation found: the game's key holds no "
                              "\"InstallationPath\", neither in the settings store \"%1\" nor in "
                              "the Wine prefix (WINEPREFIX, else ~/.wine).")
            .arg(session_.store().path());
    if (!QFileInfo(game).isDir())
        return QStringLiteral("No game installation found: the game folder \"%1\" does not exist.")
            .arg(game);
    return QString();
}

void HeadlessRecorder::sayFailedUpload(const QString& why, const QList<QByteArray>& exchange) {
    const FtpClient& client = session_.ftpClient();
    dialogs_.information(
        QStringLiteral("The live stats page \"%1\" was not uploaded to \"%2\": %3")
            .arg(QString::fromUtf8(client.HostFileName), QString::fromUtf8(client.HostName), why));
    for (const QByteArray& line : exchange)
        dialogs_.information(QString::fromUtf8(line));
}

} // namespace vantor::recorder
