#pragma once

#include <QString>
#include <QStringList>

#include "settings_names.h"

namespace vantor {

class RegFile;
class SettingsKey;

// The webhook values of the settings key, as stored (texts unchecked).
struct WebhookSettings {
    QString urls;      // "webhookurl"
    QString format;    // "webhookformat"; empty means Discord
    QString alertUrls; // "alerturl"; empty: alerts go to "webhookurl"
    QString link;      // "webhooklink"
    int uploadFailures = kDefaultAlertUploadFailures;
    int daysWithoutGame = kDefaultAlertDays;
    // Why a stored limit was not used (it is not a whole number from 1 up), or empty.
    QString problem;
};

WebhookSettings readWebhookSettings(const SettingsKey& key);

// Puts urls and format into the file; each only when it is chosen (not empty) or the store
// holds it already, so a store that never used them stays byte for byte.
void putWebhookSettings(RegFile& file, const QString& urls, const QString& format);

} // namespace vantor
