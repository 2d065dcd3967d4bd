#pragma once

#include "recorder/core/activation.h"
#include "recorder/core/live_stats.h"
#include "recorder/core/recorder_options.h"
#include "recorder/core/recording_cycle.h"

#include "platform/recorder_lock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <memory>

class QTimer;

namespace vantor {
class SoundPlayer;
class TFtpClient;
} // namespace vantor

namespace vantor::recorder {

// The recorder without a window: the window's activation once, recording switched on, the
// recording cycle every 3000 ms until stop(). Everything it does is the core the window calls.
class HeadlessRecorder : public QObject {
    Q_OBJECT
public:
    HeadlessRecorder(Dialogs& dialogs, SettingsStore store, Activation::GameKeyReader gameKey,
                     RecorderOptions::LiveStatsChoice liveStats,
                     QString dataFolder = QStringLiteral("."));
    ~HeadlessRecorder() override;

    // The activation steps, then recording on and its first cycle. Refused, and nothing done,
    // when another recorder records into the same data folder.
    void start();
    bool refused() const { return refused_; }
    // Where the game's sound goes after an upload; a QtSoundPlayer unless replaced.
    void setSoundPlayer(SoundPlayer* sound) { sound_ = sound; }

    // Ends recording; a cycle under way finishes first. finished() follows, once.
    void stop();
    // The recording timer's tick: one recording cycle, unless one is under way or we stop.
    void Timer1Timer();

    bool liveStats() const { return liveStats_; }
    bool isStopping() const { return stopping_; }
    Activation& activation() { return activation_; }
    RecordingCycle& cycle() { return cycle_; }
    // The page step after every game recorded with live stats on; its sendlivestats uploads.
    LiveStats& liveStatsStep() { return live_; }
    TFtpClient* ftpClient() const { return FtpClient1; }
    QTimer* timer() const { return Timer1; }

signals:
    // Recording has ended and no cycle is running: the program may quit.
    void finished();

private:
    void finishIfIdle();
    void sendlivestats();

    Dialogs& dialogs_;
    SettingsStore store_;
    QString dataFolder_;
    RecorderOptions::LiveStatsChoice liveStatsChoice_;
    RecordingCycle cycle_;
    Activation activation_;
    LiveStats live_;
    RecorderLock recorderLock_;
    QTimer* Timer1;
    TFtpClient* FtpClient1;
    QList<QByteArray> exchange_; // the display lines of the upload under way
    std::unique_ptr<SoundPlayer> ownSound_;
    SoundPlayer* sound_ = nullptr;
    bool refused_ = false;
    bool liveStats_ = false;
    bool inTick_ = false;
    bool stopping_ = false;
    bool finished_ = false;
};

} // namespace vantor::recorder
