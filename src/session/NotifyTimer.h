// The notify list's timer: while connected, every kPeriodSeconds the server
// is asked which of the listed nicks are on (ISON).
#pragma once

#include "common/SoftTimer.h"

namespace zorl {

class CRandom;

class CNotifyTimer {
public:
    static constexpr int kPeriodSeconds = 40;

    // A timer that is already counting keeps its period.
    void Start(CRandom& generator);
    void Stop() { timer_.running = false; }
    bool Running() const { return timer_.running; }
    // One tick; true when a period ended (the next one has begun).
    bool Tick(CRandom& generator);
    const SoftTimer& State() const { return timer_; }

private:
    SoftTimer timer_;
};

}  // namespace zorl
