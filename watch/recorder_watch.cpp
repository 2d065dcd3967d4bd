#include "recorder_watch.h"

#include "common/error.h"
#include "platform/settings_names.h"
#include "platform/webhook_settings.h"
#include "webhook/webhook_address.h"

namespace vantor::watch {

namespace {
WebhookSettings settingsOf(const SettingsStore& store) {
    try {
        if (const auto key = store.openKey(kVantorKey, false))
            return readWebhookSettings(*key);
    } catch (const Error&) {
        // An unreadable store sends nothing; `status` says why.
    }
    return {};
}
} // namespace

RecorderWatch::RecorderWatch(QString dataFolder, SettingsStore store, webhook::PostPolicy policy)
    : dataFolder_(std::move(dataFolder)), store_(std::move(store)), poster_(std::move(policy)),
      clock_([] { return QDateTime::currentDateTime(); }) {
    try {
        if (const auto kept = readRecorderStatus(dataFolder_))
            status_ = *kept;
    } catch (const Error& e) {
        // Started afresh; the damaged file is replaced at the first change.
        lastWriteFailure_.clear();
        QMetaObject::invokeMethod(
            this, [this, why = e.message()] { emit said(why); }, Qt::QueuedConnection);
    }
}

RecorderWatch::~RecorderWatch() = default;

void RecorderWatch::recordingStarted() {
    status_.recordingSince = timeText(clock_());
    changed();
}

void RecorderWatch::recordingStopped() {
    status_.recordingSince.clear();
    changed();
}

void RecorderWatch::gameRecorded(const webhook::GameNotice& game, const QByteArray& exportedGame) {
    status_.lastGameId = game.id;
    status_.lastGameTime =
        game.playedAt.isEmpty() ? timeText(clock_()) : QString::fromLatin1(game.playedAt);
    status_.lastGameMap = game.map;
    status_.setAside.clear();
    changed();

    const WebhookSettings settings = settingsOf(store_);
    const QStringList urls = webhook::splitUrls(settings.urls);
    if (urls.isEmpty())
        return;
    const auto format = webhook::formatNamed(settings.format);
    if (!format) {
        emit said(
            QStringLiteral("No webhook message sent: \"webhookformat\" is neither \"discord\" "
                           "nor \"json\"."));
        return;
    }
    post(urls, *format == webhook::Format::Json ? webhook::jsonGameMessage(exportedGame)
                                                : webhook::discordGameMessage(game));
}

void RecorderWatch::logSetAside(const QString& newName) {
    status_.setAside << newName;
    changed();
}

void RecorderWatch::historyChecked(const QString& outOfStepReason) {
    if (status_.historyOutOfStep == outOfStepReason)
        return;
    status_.historyOutOfStep = outOfStepReason;
    changed();
}

void RecorderWatch::livePageWritten(bool ok, const QString& detail) {
    status_.livePage = Outcome{timeText(clock_()), ok, QString(), detail};
    changed();
}

void RecorderWatch::liveUploaded(bool ok, const QString& server, const QString& detail) {
    status_.liveUpload = Outcome{timeText(clock_()), ok, server, detail};
    status_.uploadFailuresInARow = ok ? 0 : status_.uploadFailuresInARow + 1;
    changed();
}

void RecorderWatch::tick() {
    // Days are counted: once a minute is often enough to read the settings for the limit.
    const QDateTime now = clock_();
    if (lastTick_.isValid() && lastTick_.secsTo(now) < 60 && lastTick_ <= now)
        return;
    lastTick_ = now;
    const QStringList before = status_.alerts;
    raiseAndClear();
    if (status_.alerts != before)
        changed();
}

void RecorderWatch::changed() {
    raiseAndClear();
    try {
        writeRecorderStatus(dataFolder_, status_);
        lastWriteFailure_.clear();
    } catch (const Error& e) {
        // Said once until it works again; recording goes on either way.
        if (e.message() != lastWriteFailure_)
            emit said(e.message());
        lastWriteFailure_ = e.message();
    }
}

void RecorderWatch::raiseAndClear() {
    const WebhookSettings settings = settingsOf(store_);
    const std::vector<AlertChange> changes = updateAlerts(
        status_, AlertLimits{settings.uploadFailures, settings.daysWithoutGame}, clock_());
    if (changes.empty())
        return;
    const QStringList urls = webhook::splitUrls(
        settings.alertUrls.trimmed().isEmpty() ? settings.urls : settings.alertUrls);
    const webhook::Format format =
        webhook::formatNamed(settings.format).value_or(webhook::Format::Discord);
    for (const AlertChange& change : changes) {
        emit said(change.text);
        if (!urls.isEmpty())
            post(urls,
                 webhook::alertMessage(format, {change.condition, change.raised, change.text}));
    }
}

void RecorderWatch::post(const QStringList& urls, const QByteArray& json) {
    for (const QString& url : urls)
        poster_.post(
            url, json, [this, shown = webhook::maskedUrl(url)](const webhook::PostResult& r) {
                status_.webhook = Outcome{timeText(clock_()), r.delivered, shown, r.problem};
                if (!r.delivered)
                    emit said(QStringLiteral("Webhook message not delivered: ") + r.problem);
                changed();
            });
}

} // namespace vantor::watch
