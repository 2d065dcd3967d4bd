#pragma once

#include <QString>
#include <QtGlobal>

namespace vantor::recorder {

class StderrDialogs;

// Qt's own messages (the audio back-end's, say) as one line of the recorder's output:
// "Qt: text", or "Qt (category): text" for a named logging category.
QString qtMessageLine(const char* category, const QString& text);

// Sends Qt's messages through `out`, time-stamped like every other line, until the returned
// guard goes or another handler is installed. `out` must outlive it.
class QtMessagesTo {
public:
    explicit QtMessagesTo(StderrDialogs& out);
    ~QtMessagesTo();
    QtMessagesTo(const QtMessagesTo&) = delete;
    QtMessagesTo& operator=(const QtMessagesTo&) = delete;

private:
    QtMessageHandler previous_;
};

} // namespace vantor::recorder
