#pragma once

#include "platform/game_key.h"
#include "platform/settings_store.h"

#include <QSet>
#include <QString>
#include <functional>

namespace vantor {
class Dialogs;
}

namespace vantor::recorder {

inline const QString kNotInstalled = QStringLiteral("Rogue Spear Not Installed");

// What the recorder does when it becomes active: read its settings, find the game's folder and
// player, clear what the game left before. The window runs it at every activation, the
// headless recorder once at start.
class Activation {
public:
    using GameKeyReader = std::function<GameKeyValues(const SettingsStore&)>;

    Activation(Dialogs& dialogs, SettingsStore store, GameKeyReader gameKey,
               QString dataFolder = QStringLiteral("."));

    // Opens the settings key (creating it), reads "hostname", "hostfilename" and "AutoRecord",
    // and stores the data folder as "RecorderPath".
    void GetRegistryInfo();
    // The game folder and playerName; a game without a folder is reported once per absence.
    void GetRSDir();
    // Deletes "lastgame.log" and, withResultLogs, "RSResults0.log" to "RSResults9.log" in the
    // game folder.
    void deleteStaleFiles(bool withResultLogs) const;
    // Puts back the data files of a game a killed recorder left half recorded, so nothing reads
    // them so; its log is recorded once recording is on.
    void finishInterruptedGame();

    // "AutoRecord": "true" sets it, "false" clears it, anything else leaves it.
    bool autoRecord() const { return autoRecord_; }
    // Live stats need a server; without one the window keeps "Enable Live Stats" disabled.
    bool hasHostName() const { return hasHostName_; }
    bool hasHostFileName() const { return hasHostFileName_; }
    // The folder as read, or "Rogue Spear Not Installed".
    const QString& gameFolder() const { return gameFolder_; }
    const QString& playerName() const { return playerName_; }
    const SettingsStore& store() const { return store_; }

    // An error met again at every activation is shown the first time only.
    void reportOnce(const QString& text);

private:
    Dialogs& dialogs_;
    SettingsStore store_;
    GameKeyReader gameKey_;
    QString dataFolder_;
    QString gameFolder_;
    QString playerName_;
    bool autoRecord_ = false;
    bool hasHostName_ = false;
    bool hasHostFileName_ = false;
    bool notInstalledShown_ = false;
    QSet<QString> shownOnce_;
};

} // namespace vantor::recorder
