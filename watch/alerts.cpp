#include "alerts.h"

namespace vantor::watch {

namespace {

QDateTime parsedTime(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The condition's text while it holds; empty when it does not.
QString holding(const QString& condition, const RecorderStatus& s, const AlertLimits& limits,
                const QDateTime& now) {
    if (condition == kUploadsFailing) {
        if (s.uploadFailuresInARow < limits.uploadFailures)
            return QString();
        return QStringLiteral("The live stats page has failed to upload %1 times in a row (%2).")
            .arg(s.uploadFailuresInARow)
            .arg(s.liveUpload.detail);
    }
    if (condition == kLogSetAside) {
        if (s.setAside.isEmpty())
            return QString();
        return QStringLiteral("A result log could not be read and was set aside as \"%1\".")
            .arg(s.setAside.last());
    }
    if (condition == kHistoryOutOfStep) {
        if (s.historyOutOfStep.isEmpty())
            return QString();
        return QStringLiteral("The game history \"games.db\" no longer agrees with the stats "
                              "files: %1")
            .arg(s.historyOutOfStep);
    }
    // No games.
    if (s.recordingSince.isEmpty())
        return QString();
    const QDateTime since =
        parsedTime(s.lastGameTime.isEmpty() ? s.recordingSince : s.lastGameTime);
    if (!since.isValid() || since.daysTo(now) < limits.daysWithoutGame)
        return QString();
    return QStringLiteral("No game has been recorded for %1 days while recording is on.")
        .arg(since.daysTo(now));
}

QString clearedText(const QString& condition) {
    if (condition == kUploadsFailing)
        return QStringLiteral("Back to normal: the live stats page was uploaded.");
    if (condition == kLogSetAside)
        return QStringLiteral("Back to normal: a game was recorded.");
    if (condition == kHistoryOutOfStep)
        return QStringLiteral("Back to normal: the game history agrees with the stats files.");
    if (condition == kNoGames)
        return QStringLiteral("Back to normal: a game was recorded.");
    return QStringLiteral("Back to normal: %1.").arg(condition);
}

} // namespace

std::vector<AlertChange> updateAlerts(RecorderStatus& status, const AlertLimits& limits,
                                      const QDateTime& now) {
    std::vector<AlertChange> changes;
    for (const QString& condition : {kUploadsFailing, kLogSetAside, kHistoryOutOfStep, kNoGames}) {
        const QString text = holding(condition, status, limits, now);
        const bool raised = status.alerts.contains(condition);
        if (!text.isEmpty() && !raised) {
            status.alerts << condition;
            changes.push_back({condition, true, QStringLiteral("Alert: ") + text});
        } else if (text.isEmpty() && raised) {
            status.alerts.removeAll(condition);
            changes.push_back({condition, false, clearedText(condition)});
        }
    }
    // A condition the programs no longer know (a newer or a damaged file) is dropped silently.
    status.alerts.removeIf([](const QString& c) {
        return c != kUploadsFailing && c != kLogSetAside && c != kHistoryOutOfStep && c != kNoGames;
    });
    return changes;
}

} // namespace vantor::watch
