#pragma once

#include "recorder/live/live_stats.h"
#include "recorder/recording/activation.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/recording_tick.h"

#include "platform/recorder_lock.h"
#include "watch/recorder_watch.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <memory>
#include <optional>

namespace vantor {
class Dialogs;
class SoundPlayer;
class FtpClient;
} // namespace vantor

namespace vantor::recorder {

inline const QString kRecordingTitle = QStringLiteral("Recording...");

// One run of the recorder, with or without a window: the activation, recording on and off, the
// recording cycle on every tick, the live stats page, its upload and the game's sound. Every
// failure goes to the Dialogs given, so the window and the headless recorder report alike.
class RecorderSession : public QObject {
    Q_OBJECT
public:
    // A TimerTick when no tick is given. The sound player is the front end's: the core plays
    // through it and links no audio itself.
    RecorderSession(Dialogs& dialogs, SettingsStore store, Activation::GameKeyReader gameKey,
                    SoundPlayer& sound, std::unique_ptr<RecordingTick> tick = nullptr,
                    QString dataFolder = QStringLiteral("."));
    ~RecorderSession() override;

    // The settings, the game folder and playerName, read afresh.
    void activate();
    // Puts back a game a killed recorder left half recorded, then deletes the ten result logs
    // of the game folder and "lastgame.log", unless another recorder records here: they are
    // its games then.
    void deleteStaleFiles();
    // Stores "AutoRecord" as the user has just set it.
    void setAutoRecord(bool on);

    // Takes the data folder for recording. Empty text when it is taken (or when no lock file
    // can be made there, which is said once, and recording goes ahead); else the refusal,
    // not shown: another recorder records there.
    QString takeRecorderLock();
    // Both ways the game's result logs go first, so only games that end while recording count.
    // Switched on, the first cycle runs at once. False, with the refusal shown (only the first
    // time when refusalOnce), when another recorder records into the data folder; a stopping
    // session does not start again either.
    bool setRecording(bool on, bool refusalOnce = false);
    bool isRecording() const { return recording_; }
    void setLiveStats(bool on) { liveStats_ = on; }
    bool liveStats() const { return liveStats_; }
    // The community site's folder for this run instead of the setting's ("" for none); unset:
    // the setting decides.
    void setSiteFolder(std::optional<QString> folder) { siteFolder_ = std::move(folder); }
    // The tick: one recording cycle, unless one is under way or the session is stopping.
    void onTick();

    // Ends recording; a cycle under way finishes first. finished() follows, once.
    void stop();
    bool isStopping() const { return stopping_; }

    void setSoundPlayer(SoundPlayer& sound) { sound_ = &sound; }
    Activation& activation() { return activation_; }
    const Activation& activation() const { return activation_; }
    // Games and live rankings go into the game history (the program's recorder).
    void setJournaled(bool on);
    RecordingCycle& cycle() { return cycle_; }
    // The page step after every game recorded with live stats on; its uploadWrittenPage uploads.
    LiveStats& liveStatsStep() { return live_; }
    FtpClient& ftpClient() const { return *ftpClient_; }
    RecordingTick& tick() const { return *tick_; }
    const SettingsStore& store() const { return store_; }
    const QString& dataFolder() const { return dataFolder_; }
    // The status file, the web hooks and the alerts, told of every game after it is committed.
    watch::RecorderWatch& watch() { return *watch_; }
    const watch::RecorderWatch& watch() const { return *watch_; }

signals:
    void recordingChanged(bool on);
    // Every tick of a running recorder, even while a cycle is still under way (its events
    // flow): the recorder is alive.
    void ticked();
    // A game was recorded and committed.
    void gameRecorded();
    // The upload of a page failed: why, and the exchange with the server (password masked).
    // The window stays silent about it; the headless recorder prints it.
    void uploadFailed(const QString& why, const QList<QByteArray>& exchange);
    // Recording has ended and no cycle is running: the program may quit.
    void finished();

private:
    void afterGameRecorded();
    void uploadWrittenPage();
    void finishIfIdle();
    void refreshSite();
    void tellWatch(RecordingCycle::Outcome outcome);

    Dialogs& dialogs_;
    SettingsStore store_;
    QString dataFolder_;
    RecordingCycle cycle_;
    Activation activation_;
    LiveStats live_;
    RecorderLock recorderLock_;
    std::unique_ptr<watch::RecorderWatch> watch_;
    std::unique_ptr<RecordingTick> tick_;
    FtpClient* ftpClient_;
    QList<QByteArray> exchange_; // the display lines of the upload under way
    SoundPlayer* sound_;
    bool recording_ = false;
    bool liveStats_ = false;
    std::optional<QString> siteFolder_;
    bool inTick_ = false;
    bool stopping_ = false;
    bool finished_ = false;
};

} // namespace vantor::recorder
