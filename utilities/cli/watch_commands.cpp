#include "command.h"
#include "options.h"

#include "common/error.h"
#include "platform/reg_file.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "platform/webhook_settings.h"
#include "watch/status_check.h"
#include "webhook/messages.h"
#include "webhook/webhook_address.h"
#include "webhook/webhook_poster.h"

#include <QHostInfo>

namespace vantor::utilities::cli {

namespace {

const QString kHere = QStringLiteral(".");
constexpr int kMostWebhookUrls = 20;

WebhookSettings storedSettings() {
    const SettingsStore store(SettingsStore::defaultPath());
    if (const auto key = store.openKey(kVantorKey, false))
        return readWebhookSettings(*key);
    return {};
}

int status(const Invocation& call) {
    const watch::StatusCheck check =
        watch::checkStatus(kHere, storedSettings(), QDateTime::currentDateTime());
    if (call.isSet(kJson)) {
        call.out << QString::fromUtf8(check.json);
    } else {
        if (!call.isSet(kQuiet))
            for (const QString& line : check.lines)
                call.out << line << '\n';
        call.out.flush();
        for (const QString& problem : check.problems)
            call.err << problem << '\n';
    }
    return check.healthy() ? 0 : 1;
}

int setWebhook(const Invocation& call) {
    const QStringList urls = call.positional.mid(1);
    QString value = urls.join(u' ').trimmed();
    for (const QString& url : webhook::splitUrls(value))
        if (const QString problem = webhook::urlProblem(QUrl(url)); !problem.isEmpty())
            throw UsageError{problem};
    const QString format =
        call.isSet(kFormat) ? call.value(kFormat).trimmed().toLower() : QString();
    if (!format.isEmpty() && !webhook::formatNamed(format))
        throw UsageError{
            QStringLiteral("--format takes \"discord\" or \"json\", not \"%1\".").arg(format)};
    const SettingsStore store(SettingsStore::defaultPath());
    QString stored;
    try {
        store.update([&](RegFile& file) {
            stored = file.value(kVantorKey, kWebhookFormatSetting).value_or(QString());
            putWebhookSettings(file, value, call.isSet(kFormat) ? format : stored);
        });
    } catch (const Error&) {
        throw Error(QStringLiteral("Failed to set data for '%1'").arg(kWebhookUrlSetting));
    }
    const auto chosen = webhook::formatNamed(call.isSet(kFormat) ? format : stored);
    if (value.isEmpty())
        call.out << "No webhook is set now.\n";
    else
        call.out << "Webhook set: " << webhook::maskedUrls(webhook::splitUrls(value)) << " ("
                 << (chosen ? webhook::formatName(*chosen) : stored) << ")\n";
    return 0;
}

int testWebhook(const Invocation& call) {
    const WebhookSettings settings = storedSettings();
    QStringList urls = webhook::splitUrls(settings.urls);
    for (const QString& url : webhook::splitUrls(settings.alertUrls))
        if (!urls.contains(url))
            urls << url;
    if (urls.isEmpty())
        throw Error(QStringLiteral("No webhook is set: VantorUtilities webhook set URL"));
    const auto format = webhook::formatNamed(settings.format);
    if (!format)
        throw Error(
            QStringLiteral("\"webhookformat\" holds \"%1\"; it must be \"discord\" or \"json\".")
                .arg(settings.format.left(40)));
    webhook::Poster poster;
    const QList<webhook::PostResult> results = webhook::postAndWait(
        poster, urls, webhook::testMessage(*format, QHostInfo::localHostName()));
    int failed = 0;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (results[i].delivered) {
            call.out << webhook::maskedUrl(urls[i]) << ": delivered\n";
        } else {
            ++failed;
            call.err << results[i].problem << '\n';
        }
    }
    return failed == 0 ? 0 : 1;
}

int webhookCommand(const Invocation& call) {
    const QString what = call.positional.value(0);
    if (what == QLatin1String("set") && call.positional.size() >= 2)
        return setWebhook(call);
    if (what == QLatin1String("test") && call.positional.size() == 1 && !call.isSet(kFormat))
        return testWebhook(call);
    throw UsageError{QStringLiteral("webhook takes \"set URL...\" or \"test\".")};
}

} // namespace

std::vector<Command> watchCommands() {
    const QString group = QStringLiteral("watch");
    return {
        {QStringLiteral("status"),
         QStringLiteral("[--json] [--quiet]"),
         QStringLiteral("what the recorder did; exit 1 on trouble"),
         group,
         {kJson, kQuiet},
         0,
         QStringLiteral("no arguments"),
         status},
        {QStringLiteral("webhook"),
         QStringLiteral("set URL... [--format discord|json] | test"),
         QStringLiteral("set the web hooks; send a test"),
         group,
         {kFormat},
         1,
         QStringLiteral("\"set URL...\" or \"test\""),
         webhookCommand,
         kMostWebhookUrls + 1},
    };
}

} // namespace vantor::utilities::cli
