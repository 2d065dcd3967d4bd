#include "recording_tick.h"

namespace vantor::recorder {

TimerTick::TimerTick() {
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

} // namespace vantor::recorder
