#pragma once

#include "platform/dialogs.h"

#include <QDateTime>
#include <cstdio>
#include <functional>

namespace vantor::recorder {

// The headless recorder's message boxes: one line on a stream (standard error) per message,
// after the local date and time, as "2026-12-08 21:30:05 Rogue Spear is not installed".
class StderrDialogs : public Dialogs {
public:
    explicit StderrDialogs(std::FILE* out = stderr,
                           std::function<QDateTime()> now = &QDateTime::currentDateTime);

    void information(const QString& text) override;
    // Nobody is there to answer; No is the answer that changes nothing.
    bool askYesNo(const QString& text) override;
    void error(const QString& text) override;
    void beep() override {}

    // A line of the recorder's own, such as what it is about to do.
    void note(const QString& text) { write(text); }

private:
    void write(const QString& text);

    std::FILE* out_;
    std::function<QDateTime()> now_;
};

} // namespace vantor::recorder
