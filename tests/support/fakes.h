#pragma once

#include "common/error.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/sound.h"

#include <QString>
#include <QStringList>
#include <deque>

namespace vantor::test {

// Records every box shown, in order, as "info: ...", "ask: ...", "error: ...", "beep".
// Yes/No questions take their answers from a queue (Yes when it is empty).
class RecordingDialogs : public Dialogs {
public:
    void information(const QString& text) override { shown << QStringLiteral("info: ") + text; }
    bool askYesNo(const QString& text) override {
        shown << QStringLiteral("ask: ") + text;
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(const QString& text) override { shown << QStringLiteral("error: ") + text; }
    void beep() override { shown << QStringLiteral("beep"); }

    QStringList shown;
    std::deque<bool> answers;
};

class RecordingShell : public Shell {
public:
    bool open(const QString& target) override {
        opened << target;
        return true;
    }
    bool startProgram(const QString& program, const QString& workingDir) override {
        started << program + QStringLiteral(" in ") + workingDir;
        return result;
    }
    QStringList opened, started;
    bool result = true;
};

class RecordingSound : public SoundPlayer {
public:
    void play(const QString& waveFile) override {
        played << waveFile;
        if (!failure.isEmpty())
            throw Error(failure);
    }
    QStringList played;
    QString failure;
};

} // namespace vantor::test
