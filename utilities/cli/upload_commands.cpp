#include "command.h"
#include "options.h"

#include "utilities/core/upload_command.h"

#include "ftp/ftp_settings.h"
#include "platform/settings_store.h"

namespace vantor::utilities::cli {

namespace {

int upload(const Invocation& call) {
    const QString file = call.nonEmpty(0, QStringLiteral("a file name"));
    UploadOverrides overrides;
    overrides.passive = call.isSet(kPassive);
    overrides.tls = call.isSet(kTls);
    if (call.isSet(kFingerprint)) {
        const QString pin = call.value(kFingerprint);
        if (pin.trimmed().isEmpty())
            throw UsageError{QStringLiteral("--fingerprint needs a value.")};
        if (const QString problem = fingerprintProblem(pin); !problem.isEmpty())
            throw UsageError{problem};
        overrides.fingerprint = pin;
    }
    // Quiet drops the server's exchange; failures still reach err.
    QString dropped;
    QTextStream nowhere(&dropped);
    return runUpload(file, SettingsStore(SettingsStore::defaultPath()),
                     call.isSet(kQuiet) ? nowhere : call.out, call.err, overrides);
}

} // namespace

std::vector<Command> uploadCommands() {
    return {
        {QStringLiteral("upload"),
         QStringLiteral("FILE [--quiet] [--passive] [--tls] [--fingerprint SHA256]"),
         QStringLiteral("send FILE with the stored FTP settings"),
         QStringLiteral("upload"),
         {kQuiet, kPassive, kTls, kFingerprint},
         1,
         QStringLiteral("one file name"),
         upload},
    };
}

} // namespace vantor::utilities::cli
