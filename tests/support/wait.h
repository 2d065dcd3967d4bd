#pragma once

#include <QTest>
#include <functional>

namespace vantor::test {

// Runs the event loop until done() holds or ms pass; false on time-out.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

} // namespace vantor::test
