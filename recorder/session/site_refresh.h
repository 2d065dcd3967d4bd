#pragma once

#include <QString>

namespace vantor {
class SettingsStore;
}

namespace vantor::recorder {

// Where the community site goes after each recorded game.
struct SiteRefreshSettings {
    QString folder; // empty: no site
    bool upload = false;
};

SiteRefreshSettings readSiteRefreshSettings(const SettingsStore& store);

// Starts `VantorUtilities site FOLDER [--upload] --quiet` in the data folder as a process of its
// own, so the next game is recorded while the site is made; two refreshes of one folder take
// turns. Gives the message to show when it cannot be started, else empty text.
QString startSiteRefresh(const QString& recorderFolder, const QString& searchPath,
                         const QString& dataFolder, const SiteRefreshSettings& settings);

} // namespace vantor::recorder
