#include "upload_command.h"

#include "ftp_upload.h"

#include "ftp/ftp_client.h"

#include "watch/recorder_status.h"

#include <QDir>
#include <QFileInfo>

namespace vantor::utilities {

int runUpload(const QString& file, const SettingsStore& store, QTextStream& out, QTextStream& err,
              const UploadOverrides& overrides) {
    FtpSettings settings = readFtpSettings(store, false);
    settings.passive = settings.passive || overrides.passive;
    settings.tls = settings.tls || overrides.tls;
    if (overrides.fingerprint)
        settings.certSha256 = *overrides.fingerprint;
    if (const QString missing = missingFtpField(settings); !missing.isEmpty()) {
        err << missing << '\n';
        return 1;
    }
    FtpClient client;
    client.MaskPassword = true; // the output goes to terminals and logs
    applyFtpSettings(client, settings);
    const QString failure = uploadPage(client, file, QFileInfo(file).fileName(),
                                       [&out](QObject*, const QByteArray& line) {
                                           out << displayLineText(line) << '\n';
                                           out.flush();
                                       });
    const bool ok = failure.isEmpty();
    if (!ok)
        err << failure << '\n';
    // The page is uploaded from the data folder, the current directory.
    watch::recordUpload(
        QDir::currentPath(), QStringLiteral("page"),
        {watch::timeText(QDateTime::currentDateTime()), ok, settings.hostName, failure});
    return ok ? 0 : 1;
}

} // namespace vantor::utilities
