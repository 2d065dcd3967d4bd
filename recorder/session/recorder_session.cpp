#include "recorder_session.h"

#include "game_notice.h"
#include "site_refresh.h"

#include "history/journal/journal.h"
#include "history/journal/player_names.h"
#include "history/views/game_views.h"
#include "recorder/live/live_upload.h"
#include "recorder/recording/result_log_files.h"

#include "common/cp1252.h"
#include "common/error.h"
#include "ftp/ftp_client.h"
#include "platform/app_title.h"
#include "platform/dialogs.h"
#include "platform/report_failures.h"
#include "platform/settings_names.h"
#include "platform/webhook_settings.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace vantor::recorder {

RecorderSession::RecorderSession(Dialogs& dialogs, SettingsStore store,
                                 Activation::GameKeyReader gameKey, SoundPlayer& sound,
                                 std::unique_ptr<RecordingTick> tick, QString dataFolder)
    : dialogs_(dialogs), store_(store), dataFolder_(dataFolder), cycle_(dialogs, dataFolder),
      activation_(dialogs, store, std::move(gameKey), dataFolder), live_(dataFolder, store),
      recorderLock_(dataFolder), watch_(std::make_unique<watch::RecorderWatch>(dataFolder, store)),
      tick_(tick ? std::move(tick) : std::make_unique<TimerTick>()),
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
    // While recording, a log in the game folder is a game that ended since recording began
    // (switching it on deleted the older ones): the next tick's to record, never stale.
    if (recorderLock_.isLocked() || !RecorderLock::heldElsewhere(dataFolder_))
        activation_.deleteStaleFiles(!recording_);
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
        watch_->recordingStopped();
        recorderLock_.unlock();
        return true;
    }
    watch_->recordingStarted();
    tick_->start();
    onTick();
    return true;
}

void RecorderSession::onTick() {
    if (stopping_)
        return;
    emit ticked();
    if (inTick_)
        return;
    {
        inTick_ = true;
        const auto done = qScopeGuard([this] { inTick_ = false; });
        auto outcome = RecordingCycle::Outcome::NoLog;
        reportFailures(dialogs_, [&] {
            outcome = cycle_.Readlogs(liveStats_);
            if (outcome == RecordingCycle::Outcome::Recorded)
                refreshSite();
        });
        tellWatch(outcome);
        QCoreApplication::processEvents();
    }
    // A stop asked for during the cycle (the live stats step lets events run) takes effect now.
    if (stopping_)
        finishIfIdle();
}

void RecorderSession::refreshSite() {
    SiteRefreshSettings settings = readSiteRefreshSettings(store_);
    if (siteFolder_)
        settings.folder = *siteFolder_;
    const QString problem =
        startSiteRefresh(QCoreApplication::applicationDirPath(),
                         QString::fromLocal8Bit(qgetenv("PATH")), dataFolder_, settings);
    if (!problem.isEmpty())
        activation_.reportOnce(problem);
}

void RecorderSession::tellWatch(RecordingCycle::Outcome outcome) {
    if (outcome == RecordingCycle::Outcome::Failed && !cycle_.setAsideName().isEmpty())
        watch_->logSetAside(cycle_.setAsideName());
    if (outcome != RecordingCycle::Outcome::Recorded) {
        watch_->tick();
        return;
    }
    // The game is committed: what follows only tells others of it, and never fails it.
    try {
        const std::unique_ptr<history::Journal> journal =
            history::Journal::openExisting(dataFolder_);
        if (!journal)
            return;
        watch_->historyChecked(journal->outOfStepReason());
        std::vector<history::GameRow> last = journal->games(std::nullopt, 1);
        if (last.empty())
            return;
        // Told as every page tells it: under the names the games count under, without the
        // players who asked to be left out.
        history::countRowsUnder(history::aliasMap(journal->database(), last.front().coop), last);
        history::leaveOutHidden(history::hiddenNames(journal->database()), last);
        QString link;
        if (const auto key = store_.openKey(kVantorKey, false))
            link = readWebhookSettings(*key).link;
        watch_->gameRecorded(gameNotice(last.front(), link), history::gameJson(last.front()));
    } catch (const Error& e) {
        watch_->say(e.message());
    }
    emit gameRecorded();
}

void RecorderSession::afterGameRecorded() {
    // The game itself is recorded when this fails; the next game writes a page again.
    reportFailures(dialogs_, [this] {
        try {
            live_.writePage(cycle_.gameInfo(), toCp1252(activation_.playerName()));
        } catch (const Error& e) {
            watch_->livePageWritten(false, e.message());
            throw;
        }
        watch_->livePageWritten(true, QString());
    });
}

void RecorderSession::uploadWrittenPage() {
    // A missing sound never hides a failed upload: that is said first.
    exchange_.clear();
    const auto afterUpload = [this](bool uploaded) {
        const QString why =
            uploaded ? QString() : QString::fromUtf8(ftpClient_->ErrorMessage()).trimmed();
        watch_->liveUploaded(uploaded, QString::fromUtf8(ftpClient_->HostName), why);
        if (uploaded)
            return;
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
    if (recording_)
        watch_->recordingStopped();
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
