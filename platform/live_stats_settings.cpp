#include "live_stats_settings.h"

#include "settings_names.h"
#include "settings_store.h"

namespace vantor {

LiveStatsSettings readLiveStatsSettings(const SettingsKey& key) {
    LiveStatsSettings s;
    s.hostFileName = key.readString(kHostFileNameSetting);
    s.reloadTime = key.readString(kReloadTimeSetting);
    s.customImagePath = key.readString(kCustomImagePathSetting);
    const QString useImage = key.readString(kUseCustomImageSetting);
    if (useImage == kTrueText)
        s.useCustomImage = true;
    else if (useImage == kFalseText)
        s.useCustomImage = false;
    return s;
}

QList<std::pair<QString, QString>> liveStatsValues(const LiveStatsSettings& settings) {
    return {
        {kHostFileNameSetting, settings.hostFileName},
        {kReloadTimeSavedSetting, settings.reloadTime},
        {kCustomImagePathSetting, settings.customImagePath},
        {kUseCustomImageSetting, settings.useCustomImage.value_or(false) ? kTrueText : kFalseText},
    };
}

} // namespace vantor
