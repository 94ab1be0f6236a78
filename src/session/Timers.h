// The three software timers driven by the 100 ms tick: 1 script timer,
// 2 idle timer, 3 notify timer.
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CZorlApp;

struct SoftTimer {
    bool running = false;
    bool on = false;  // idle timer only: counting
    int ticks = 0;
    int time = 0;
    int fixed = 0;
    int random = 0;
    std::string command;
    bool cont = false;
    FrameId window = 0;
};

class CTimers {
public:
    explicit CTimers(CZorlApp& app) : app_(app) {}

    void StartTimer(int id, int fixed, int random, FrameId window, const std::string& command,
                    bool cont);
    void ResetTimer(int id);
    void StopTimer(int id);
    void OnTimer(int platformId);

    bool IdleTimerOn() const { return timers_[2].on; }
    FrameId IdleTimerWindow() const { return timers_[2].window; }
    bool Running(int id) const { return id >= 1 && id <= 3 && timers_[id].running; }
    const SoftTimer& Get(int id) const { return timers_[id >= 1 && id <= 3 ? id : 0]; }

private:
    CZorlApp& app_;
    SoftTimer timers_[4];  // index 0 unused
};

}  // namespace zorl
