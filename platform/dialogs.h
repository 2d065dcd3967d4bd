#pragma once

#include <QString>

namespace vantor {

// Message boxes and the system beep. The windows and cores report through this, so tests
// can answer Yes/No and read what was shown.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message with one "OK" button.
    virtual void information(const QString& text) = 0;
    // A question with "Yes" and "No"; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The application's error box for a failure that ended an operation.
    virtual void error(const QString& text) = 0;
    virtual void beep() = 0;
};

} // namespace vantor
