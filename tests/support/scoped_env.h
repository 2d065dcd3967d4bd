#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vantor::test {

// Sets an environment variable for the life of a test and removes it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
};

} // namespace vantor::test
