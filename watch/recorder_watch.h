#pragma once

#include "alerts.h"
#include "recorder_status.h"

#include "platform/settings_store.h"
#include "webhook/messages.h"
#include "webhook/webhook_poster.h"

#include <QDateTime>
#include <QObject>
#include <functional>

namespace vantor::watch {

// The recorder's watch over itself: keeps the status file, tells the web hooks of every game
// recorded and raises an alert per condition (and "back to normal" once it clears). Called
// after a game is committed; it never throws and never waits: the hooks are posted on the event
// loop, and a status file that cannot be written is said once.
class RecorderWatch : public QObject {
    Q_OBJECT
public:
    RecorderWatch(QString dataFolder, SettingsStore store, webhook::PostPolicy policy = {});
    ~RecorderWatch() override;

    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    void recordingStarted();
    void recordingStopped();
    // A game committed; exportedGame is its JSON export, the "json" hooks' message.
    void gameRecorded(const webhook::GameNotice& game, const QByteArray& exportedGame);
    void logSetAside(const QString& newName);
    void historyChecked(const QString& outOfStepReason);
    void livePageWritten(bool ok, const QString& detail);
    void liveUploaded(bool ok, const QString& server, const QString& detail);
    // Every tick: the days without a game are counted here.
    void tick();

    // A message about the watch's work from its caller, given out as the watch's own.
    void say(const QString& text) { emit said(text); }

    const RecorderStatus& status() const { return status_; }
    webhook::Poster& poster() { return poster_; }

signals:
    // An alert raised or cleared, or a message of the watch itself (a hook refused, the status
    // file not written); the headless recorder prints them as "! " lines.
    void said(const QString& text);

private:
    void changed();
    void raiseAndClear();
    void post(const QStringList& urls, const QByteArray& json);

    QString dataFolder_;
    SettingsStore store_;
    webhook::Poster poster_;
    std::function<QDateTime()> clock_;
    RecorderStatus status_;
    QString lastWriteFailure_;
    QDateTime lastTick_;
};

} // namespace vantor::watch
