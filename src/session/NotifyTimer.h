// The notify list's timer: while connected, every kPeriodSeconds the server
// is asked which of the listed nicks are on (ISON).
#pragma once

#include <string>
#include <vector>

#include "common/SoftTimer.h"

namespace zorl {

class CRandom;

// What a network's server has told of the notify list; each network has
// its own, since a nick may be on one network and not on another.
struct NotifyWatch {
    std::vector<std::string> isonReply;   // the last reply
    std::vector<std::string> onlineList;  // notify nicks seen online
    // 0: no notify check outstanding (a reply answers a typed ISON),
    // 1: a changes-only check, 2: a full report.
    int isonMode = 0;
    int awaited = 0;                     // replies still due for the notify check
    std::vector<std::string> collected;  // their nicks so far
};

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
