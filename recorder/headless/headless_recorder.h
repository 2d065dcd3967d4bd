#pragma once

#include "recorder/session/recorder_options.h"
#include "recorder/session/recorder_session.h"

#include <QObject>
#include <memory>

namespace vantor::recorder {

// The recorder without a window: the session's activation once, recording switched on, the
// recording cycle on every tick until stop(). A failed upload, which the window keeps silent,
// is said here, since a line is the only way anyone learns of it.
class HeadlessRecorder : public QObject {
    Q_OBJECT
public:
    HeadlessRecorder(Dialogs& dialogs, SettingsStore store, Activation::GameKeyReader gameKey,
                     RecorderOptions::LiveStatsChoice liveStats,
                     std::unique_ptr<RecordingTick> tick = nullptr,
                     QString dataFolder = QStringLiteral("."));
    ~HeadlessRecorder() override;

    // The activation, then recording on and its first cycle. False, with problem() saying why
    // and nothing recorded, when the data folder cannot be written, another recorder records
    // into it, or there is no game folder.
    bool start();
    const QString& problem() const { return problem_; }

    bool liveStats() const { return session_.liveStats(); }
    RecorderSession& session() { return session_; }

private:
    QString dataFolderProblem() const;
    QString gameProblem();
    void sayFailedUpload(const QString& why, const QList<QByteArray>& exchange);

    Dialogs& dialogs_;
    RecorderOptions::LiveStatsChoice liveStatsChoice_;
    std::unique_ptr<SoundPlayer> sound_;
    RecorderSession session_;
    QString problem_;
};

} // namespace vantor::recorder
