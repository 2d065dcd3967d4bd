#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace vantor {

class SettingsKey;

// The live stats values of the settings key.
struct LiveStatsSettings {
    QString hostFileName;
    QString reloadTime;
    QString customImagePath;
    // Empty when the store holds neither "true" nor "false".
    std::optional<bool> useCustomImage;
};

// Missing values read as empty text.
LiveStatsSettings readLiveStatsSettings(const SettingsKey& key);

// The names and texts to store, in the order the setup window writes them.
QList<std::pair<QString, QString>> liveStatsValues(const LiveStatsSettings& settings);

} // namespace vantor
