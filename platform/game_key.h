#pragma once

#include "settings_store.h"

#include <QString>

namespace vantor {

inline const QString kGameKey = QStringLiteral("Software\\Red Storm Entertainment\\Rogue Spear");

struct GameKeyValues {
    bool found = false;       // the key exists somewhere
    QString installationPath; // a Linux path (a Windows one is translated), empty when missing
    QString playerName;
};

// The game's key, read only: first the settings store, else Wine's system.reg in winePrefix
// ($WINEPREFIX, else ~/.wine when winePrefix is empty), its plain or its Wow6432Node key.
GameKeyValues readGameKey(const SettingsStore& store, QString winePrefix = QString());

// "C:\Games\Rogue Spear" -> "<prefix>/dosdevices/c:/Games/Rogue Spear"; other text unchanged.
QString windowsToPrefixPath(const QString& path, const QString& winePrefix);

QString defaultWinePrefix();

} // namespace vantor
