#include "recorder_session.h"

#include "recorder/live/live_upload.h"
#include "recorder/recording/result_log_files.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "ftp/ftp_client.h"
#include "platform/app_title.h"
#include "platform/dialogs.h"
#include "platform/report_failures.h"
#include "platform/settings_names.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace vantor::recorder {

RecorderSession::RecorderSession(Dialogs& dialogs, SettingsStore store,
                                 Activation::GameKeyReader gameKey, SoundPlayer& sound,
                                 std::unique_ptr<RecordingTick> tick, QString dataFolder)
    : dialogs_(dialogs), store_(store), dataFolder_(dataFolder), cycle_(dialogs, dataFolder),
      activation_(dialogs, store, std::move(gameKey), dataFolder), live_(dataFolder, store),
      recorderLock_(dataFolder), tick_(tick ? std::move(tick) : std::make_unique<TimerTick>()),
      ftpClient_(new FtpClient(this)), sound_(&sound) {
    tick_->setHandler([this] { onTick(); });
    setupLiveStatsClient(*ftpClient_);
    // The exchange is printed when an upload fails; the password stays out of it.
    ftpClient_->MaskPassword = true;
    ftpClient_->OnDisplay = [this](QObject*, const QByteArray& line) { exchange_ << line; };
    // The cycle calls the page step while it still counts as running, so no tick delivered
    // during the step (the upload waits with events flowing) starts another cycle.
    cycle_.setLiveStatsHook([this] { afterGameRecorded(); });
    live_.onPageWritten = [this] { uploadWrittenPage(); };
    // The history's warnings of the live page step go where the session's messages go.
    live_.journaling.warn = [this](const QString& text) { dialogs_.error(text); };
}

RecorderSession::~RecorderSession() {
    tick_->stop();
}

void RecorderSession::setJournaled(bool on) {
    cycle_.setJournaled(on);
    live_.journaling.on = on;
}

void RecorderSession::activate() {
    activation_.GetRegistryInfo();
    activation_.GetRSDir();
    cycle_.setGameFolder(activation_.gameFolder());
}

void RecorderSession::deleteStaleFiles() {
    activation_.finishInterruptedGame();
    if (recorderLock_.isLocked() || !RecorderLock::heldElsewhere(dataFolder_))
        activation_.deleteStaleFiles();
}

QString RecorderSession::takeRecorderLock() {
    try {
        if (recorderLock_.tryLock())
            return QString();
    } catch (const Error& e) {
        // No lock file can be made here, so no other recorder can hold one: record, and let
        // the cycle say why the data folder takes nothing.
        activation_.reportOnce(e.message());
        return QString();
    }
    // Both would count every game; the one already recording keeps going.
    return RecorderLock::refusal(dataFolder_);
}

void RecorderSession::setAutoRecord(bool on) {
    try {
        if (on) {
            if (auto key = store_.openKey(kVantorKey, true))
                key->writeString(kAutoRecordSetting, kTrueText);
            else
                throw Error(QStringLiteral("Failed to set data for '%1'").arg(kAutoRecordSetting));
        } else if (auto key = store_.openKey(kVantorKey, false)) {
            key->writeString(kAutoRecordSetting, kFalseText);
        }
    } catch (const Error& e) {
        // Shown here, not thrown: the box may change inside an activation.
        activation_.reportOnce(e.message());
    }
}

bool RecorderSession::setRecording(bool on, bool refusalOnce) {
    if (on && stopping_)
        return false;
    if (on) {
        if (const QString refusal = takeRecorderLock(); !refusal.isEmpty()) {
            // Closing the box reactivates the window, whose auto-record would ask again.
            if (refusalOnce)
                activation_.reportOnce(refusal);
            else
                dialogs_.error(refusal);
            return false;
        }
    }
    deleteResultLogs(activation_.gameFolder());
    recording_ = on;
    setApplicationTitle(on ? kRecordingTitle : recorderIdleTitle());
    emit recordingChanged(on);
    if (!on) {
        tick_->stop();
        recorderLock_.unlock();
        return true;
    }
    tick_->start();
    onTick();
    return true;
}

void RecorderSession::onTick() {
    if (stopping_ || inTick_)
        return;
    {
        inTick_ = true;
        const auto done = qScopeGuard([this] { inTick_ = false; });
        reportFailures(dialogs_, [this] { cycle_.Readlogs(liveStats_); });
        QCoreApplication::processEvents();
    }
    // A stop asked for during the cycle (the live stats step lets events run) takes effect now.
    if (stopping_)
        finishIfIdle();
}

void RecorderSession::afterGameRecorded() {
    // The game itself is recorded when this fails; the next game writes a page again.
    reportFailures(dialogs_, [this] {
        live_.writePage(cycle_.gameInfo(), toCp1252(activation_.playerName()));
    });
}

void RecorderSession::uploadWrittenPage() {
    // A missing sound never hides a failed upload: that is said first.
    exchange_.clear();
    const auto afterUpload = [this](bool uploaded) {
        if (uploaded)
            return;
        const QString why = QString::fromUtf8(ftpClient_->ErrorMessage()).trimmed();
        const QByteArray said = "! " + ftpClient_->ErrorMessage();
        QList<QByteArray> exchange;
        for (const QByteArray& line : std::as_const(exchange_))
            if (line != said)
                exchange << line;
        emit uploadFailed(why, exchange);
    };
    reportFailures(dialogs_, [&] {
        recorder::uploadAndPlaySound(store_, *ftpClient_, *sound_, activation_.gameFolder(),
                                     dataFolder_, afterUpload);
    });
    exchange_.clear();
}

void RecorderSession::stop() {
    stopping_ = true;
    recording_ = false;
    tick_->stop();
    finishIfIdle();
}

void RecorderSession::finishIfIdle() {
    if (inTick_ || cycle_.isRunning() || finished_)
        return;
    finished_ = true;
    emit finished();
}

} // namespace vantor::recorder
