#pragma once

#include "common/timing.h"

#include <QTimer>
#include <functional>

namespace vantor::recorder {

// What drives the recording cycle while recording is on. The program uses a timer; tests give
// their own ticks, so nothing waits for three seconds to pass.
class RecordingTick {
public:
    virtual ~RecordingTick() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void fire() const {
        if (handler_)
            handler_();
    }

private:
    std::function<void()> handler_;
};

// Every kTickMs while started, from the event loop.
class TimerTick : public RecordingTick {
public:
    TimerTick();
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    int interval() const { return timer_.interval(); }

private:
    QTimer timer_;
};

} // namespace vantor::recorder
