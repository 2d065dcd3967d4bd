#include "webhook_settings.h"

#include "reg_file.h"
#include "settings_store.h"

namespace vantor {

namespace {
int limitValue(const SettingsKey& key, const QString& name, int fallback, QString* problem) {
    if (!key.valueExists(name))
        return fallback;
    const QString text = key.readString(name);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value >= 1 && value <= 100000)
        return value;
    *problem =
        QStringLiteral("\"%1\" holds \"%2\", not a whole number from 1 to 100000; %3 is used.")
            .arg(name, text.left(40))
            .arg(fallback);
    return fallback;
}
} // namespace

WebhookSettings readWebhookSettings(const SettingsKey& key) {
    WebhookSettings s;
    s.urls = key.readString(kWebhookUrlSetting);
    s.format = key.readString(kWebhookFormatSetting);
    s.alertUrls = key.readString(kAlertUrlSetting);
    s.link = key.readString(kWebhookLinkSetting).trimmed();
    s.uploadFailures =
        limitValue(key, kAlertUploadFailuresSetting, kDefaultAlertUploadFailures, &s.problem);
    s.daysWithoutGame = limitValue(key, kAlertDaysSetting, kDefaultAlertDays, &s.problem);
    return s;
}

void putWebhookSettings(RegFile& file, const QString& urls, const QString& format) {
    for (const auto& [name, value] :
         {std::pair{kWebhookUrlSetting, urls}, {kWebhookFormatSetting, format}})
        if (file.value(kVantorKey, name).value_or(QString()) != value)
            file.setValue(kVantorKey, name, value);
}

} // namespace vantor
