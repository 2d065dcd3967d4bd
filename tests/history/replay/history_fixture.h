#pragma once

// A data folder and a game folder in memory where the machine has it (fsync costs nothing
// there, so hundreds of games stay fast), with the history switched on and games recorded
// by the real recording cycle.
#include "common/record_file.h"
#include "history/journal/change_note.h"
#include "recorder/recording/recording_cycle.h"
#include "recorder/recording/result_log_files.h"
#include "tests/robustness/game_logs.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantor::test {

inline QString memoryTemplate(const char* name) {
    return (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/")
                                                      : QDir::tempPath() + u'/') +
           QLatin1String(name) + QStringLiteral("-XXXXXX");
}

class HistoryFolder : public testing::Test {
protected:
    HistoryFolder() {
        QDir().mkpath(game);
        QDir().mkpath(data);
    }

    // The changes a program makes, journaled.
    const history::Journaling journaling{true, {}};

    QString file(const QString& name) const { return QDir(data).filePath(name); }

    recorder::RecordingCycle::Outcome record(const QByteArray& log, const QString& into = {}) {
        writeFile(recorder::resultLogPath(game, 0), log);
        recorder::RecordingCycle cycle(dialogs, into.isEmpty() ? data : into);
        cycle.setJournaled(true);
        cycle.setGameFolder(game);
        cycle.setToday([] { return QByteArray("12/9/26"); });
        auto o = cycle.Readlogs(false);
        if (o == recorder::RecordingCycle::Outcome::NoLog)
            o = cycle.Readlogs(false);
        return o;
    }

    TempFolder cwd;
    QTemporaryDir dir{memoryTemplate("vantor-history")};
    QString game = dir.filePath(QStringLiteral("game"));
    QString data = dir.filePath(QStringLiteral("data"));
    RecordingDialogs dialogs;
};

} // namespace vantor::test
