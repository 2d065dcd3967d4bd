#pragma once

#include "report_failures.h"

#include <QApplication>

namespace vantor {

class Dialogs;

// Catches what an event handler throws, shows it in the error box and lets the program go on;
// the next tick or click starts afresh.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Where failures go; the default is a message box.
    void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

private:
    Dialogs* dialogs_ = nullptr;
};

} // namespace vantor
