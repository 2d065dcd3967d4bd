#include "command.h"
#include "options.h"

#include "utilities/core/upload_command.h"

#include "platform/settings_store.h"

namespace vantor::utilities::cli {

namespace {

int upload(const Invocation& call) {
    const QString file = call.positional.first();
    if (file.isEmpty())
        throw UsageError{QStringLiteral("upload needs a file name that is not empty.")};
    // Quiet drops the server's exchange; failures still reach err.
    QString dropped;
    QTextStream nowhere(&dropped);
    return runUpload(file, SettingsStore(SettingsStore::defaultPath()),
                     call.isSet(kQuiet) ? nowhere : call.out, call.err);
}

} // namespace

std::vector<Command> uploadCommands() {
    return {
        {QStringLiteral("upload"),
         QStringLiteral("FILE [--quiet]"),
         QStringLiteral("send FILE with the stored FTP settings"),
         QStringLiteral("upload"),
         {kQuiet},
         1,
         QStringLiteral("one file name"),
         upload},
    };
}

} // namespace vantor::utilities::cli
