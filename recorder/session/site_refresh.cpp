#include "site_refresh.h"

#include "utilities_launch.h"

#include "platform/program_search.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"

#include <QProcess>

namespace vantor::recorder {

SiteRefreshSettings readSiteRefreshSettings(const SettingsStore& store) {
    SiteRefreshSettings s;
    if (const auto key = store.openKey(kVantorKey, false)) {
        s.folder = key->readString(kSiteFolderSetting).trimmed();
        s.upload = key->readString(kSiteUploadSetting) == kTrueText;
    }
    return s;
}

QString startSiteRefresh(const QString& recorderFolder, const QString& searchPath,
                         const QString& dataFolder, const SiteRefreshSettings& settings) {
    if (settings.folder.isEmpty())
        return QString();
    const QString program =
        findProgram(kUtilitiesProgram, utilitiesFolders(recorderFolder), searchPath);
    if (program.isEmpty())
        return QStringLiteral("The community site was not refreshed: there is no program \"%1\".")
            .arg(kUtilitiesProgram);
    QStringList arguments{QStringLiteral("site"), QStringLiteral("--quiet")};
    if (settings.upload)
        arguments << QStringLiteral("--upload");
    // After "--" a folder named like an option is still the folder.
    arguments << QStringLiteral("--") << settings.folder;
    if (!QProcess::startDetached(program, arguments, dataFolder))
        return QStringLiteral("The community site was not refreshed: \"%1\" could not be started.")
            .arg(program);
    return QString();
}

} // namespace vantor::recorder
