#include "headless_recorder.h"

#include "recorder/core/live_upload.h"
#include "recorder/core/result_log_files.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "ftp/ftp_client.h"
#include "platform/dialogs.h"
#include "platform/report_failures.h"
#include "platform/sound.h"

#include <QDir>
#include <QScopeGuard>
#include <QTimer>

namespace vantor::recorder {

namespace {
constexpr int kTickMs = 3000;
}

HeadlessRecorder::HeadlessRecorder(Dialogs& dialogs, SettingsStore store,
                                   Activation::GameKeyReader gameKey,
                                   RecorderOptions::LiveStatsChoice liveStats, QString dataFolder)
    : dialogs_(dialogs), store_(store), dataFolder_(dataFolder), liveStatsChoice_(liveStats),
      cycle_(dialogs, dataFolder), activation_(dialogs, store, std::move(gameKey), dataFolder),
      live_(dataFolder, store), recorderLock_(dataFolder), Timer1(new QTimer(this)),
      FtpClient1(new TFtpClient(this)), ownSound_(std::make_unique<QtSoundPlayer>()),
      sound_(ownSound_.get()) {
    Timer1->setInterval(kTickMs);
    setupLiveStatsClient(*FtpClient1);
    // The exchange is printed when an upload fails; the password stays out of the output.
    FtpClient1->MaskPassword = true;
    FtpClient1->OnDisplay = [this](QObject*, const QByteArray& line) { exchange_ << line; };
    connect(Timer1, &QTimer::timeout, this, &HeadlessRecorder::Timer1Timer);
    // The window's page step. The game itself is recorded when it fails; the next one writes
    // a page again.
    cycle_.setLiveStatsHook([this] {
        reportFailures(dialogs_, [this] {
            live_.CreateLiveStats(cycle_.gameInfo(), toCp1252(activation_.playerName()));
        });
    });
    live_.sendlivestats = [this] { sendlivestats(); };
}

HeadlessRecorder::~HeadlessRecorder() = default;

void HeadlessRecorder::start() {
    if (stopping_)
        return;
    try {
        if (!recorderLock_.tryLock()) {
            // Both would count every game; the one already recording keeps going.
            refused_ = stopping_ = true;
            dialogs_.error(RecorderLock::refusal(dataFolder_));
            return;
        }
    } catch (const Error& e) {
        // No lock file can be made here, so no other recorder can hold one: record, and let
        // the cycle say why the data folder takes nothing.
        dialogs_.error(e.message());
    }
    activation_.GetRegistryInfo();
    activation_.GetRSDir();
    cycle_.setGameFolder(activation_.gameFolder());
    switch (liveStatsChoice_) {
    case RecorderOptions::LiveStatsChoice::On:
        liveStats_ = true;
        if (!activation_.hasHostName() || !activation_.hasHostFileName())
            dialogs_.information(QStringLiteral(
                "Live stats are on, but \"hostname\" or \"hostfilename\" is not set: no page will "
                "be written or uploaded until both are."));
        break;
    case RecorderOptions::LiveStatsChoice::Off:
        liveStats_ = false;
        break;
    case RecorderOptions::LiveStatsChoice::FromSettings:
        liveStats_ = activation_.hasHostName() && activation_.hasHostFileName();
        break;
    }

    // Recording on, as the window's switch does it: the logs of games that ended before go.
    deleteResultLogs(activation_.gameFolder());
    Timer1->start();
    Timer1Timer();
    activation_.deleteStaleFiles();
}

void HeadlessRecorder::Timer1Timer() {
    if (stopping_ || inTick_)
        return;
    inTick_ = true;
    {
        const auto done = qScopeGuard([this] { inTick_ = false; });
        reportFailures(dialogs_, [this] { cycle_.Readlogs(liveStats_); });
    }
    // A stop asked for during the cycle (the live stats step lets events run) takes effect now.
    if (stopping_)
        finishIfIdle();
}

void HeadlessRecorder::sendlivestats() {
    // The upload and the sound are reported apart, so that a missing sound never hides a
    // failed upload.
    exchange_.clear();
    bool uploaded = true;
    reportFailures(dialogs_, [this, &uploaded] {
        uploaded = uploadLiveStats(store_, *FtpClient1, dataFolder_);
    });
    if (!uploaded) {
        // The window stays silent; here a line is the only way anyone learns of it.
        dialogs_.information(
            QStringLiteral("The live stats page \"%1\" was not uploaded to \"%2\": %3")
                .arg(QString::fromUtf8(FtpClient1->HostFileName),
                     QString::fromUtf8(FtpClient1->HostName),
                     QString::fromUtf8(FtpClient1->ErrorMessage()).trimmed()));
        const QByteArray said = "! " + FtpClient1->ErrorMessage();
        for (const QByteArray& line : std::as_const(exchange_))
            if (line != said)
                dialogs_.information(QString::fromUtf8(line));
    }
    exchange_.clear();
    reportFailures(dialogs_, [this] { playUploadSound(*sound_, activation_.gameFolder()); });
}

void HeadlessRecorder::stop() {
    stopping_ = true;
    Timer1->stop();
    finishIfIdle();
}

void HeadlessRecorder::finishIfIdle() {
    if (inTick_ || cycle_.isRunning() || finished_)
        return;
    finished_ = true;
    emit finished();
}

} // namespace vantor::recorder
