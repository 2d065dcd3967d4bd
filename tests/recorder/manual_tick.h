#pragma once

#include "recorder/recording/recording_tick.h"

namespace vantor::test {

// The recording timer, ticked by the test.
class ManualTick : public recorder::RecordingTick {
public:
    void start() override { active_ = true; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    // One tick, as the timer would deliver it: none while stopped.
    void tick() const {
        if (active_)
            fire();
    }

private:
    bool active_ = false;
};

} // namespace vantor::test
