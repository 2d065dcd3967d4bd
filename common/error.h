#pragma once

#include <QString>
#include <stdexcept>

namespace vantor {

// The one exception type of the system: it carries the text the user is shown.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// "<what>: <strerror(err)>", the system's own words for a failed call.
QString systemMessage(const QString& what, int err);

} // namespace vantor
