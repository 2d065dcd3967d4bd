#pragma once

#include "recorder_status.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace vantor::watch {

// The conditions an alert is raised for, by the names the status file keeps.
inline const QString kUploadsFailing = QStringLiteral("uploads");
inline const QString kLogSetAside = QStringLiteral("malformed-log");
inline const QString kHistoryOutOfStep = QStringLiteral("history");
inline const QString kNoGames = QStringLiteral("no-games");

struct AlertLimits {
    int uploadFailures = 3;
    int daysWithoutGame = 7;
};

// An alert raised, or cleared ("Back to normal: ...").
struct AlertChange {
    QString condition;
    bool raised = true;
    QString text;
};

// Compares what status holds with the alerts it has raised: a condition that now holds and
// was not raised is raised, one raised that no longer holds is cleared; either is returned,
// once, and status.alerts is brought up to date. No game for the days of the limit counts only
// while recording (recordingSince set), from the last game or, without one, from the start.
std::vector<AlertChange> updateAlerts(RecorderStatus& status, const AlertLimits& limits,
                                      const QDateTime& now);

} // namespace vantor::watch
