#pragma once

#include <QString>
#include <QStringList>

#include "settings_names.h"

namespace vantor {

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

// Stores urls and format; a value is written only when it differs from the stored one, so a
// store that never chose them stays byte for byte. Throws vantor::Error when it cannot.
void saveWebhookSettings(SettingsKey& key, const QString& urls, const QString& format);

} // namespace vantor
