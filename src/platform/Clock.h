// Time as the engine sees it: the wall clock, the millisecond tick count and
// the one 100 ms tick that drives the software timers.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

namespace zorl {

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since the epoch; formatted as local time by the engine.
    virtual std::time_t Now() const = 0;
    // Milliseconds since some fixed point; seeds the random generators.
    virtual uint64_t TickCount() const = 0;
    // Blocks the thread (the 200 ms pause before a connect). Fakes return.
    virtual void Sleep(int milliseconds) = 0;
};

class ITicker {
public:
    virtual ~ITicker() = default;
    // Starts the periodic tick; returns a non-zero handle.
    virtual int Start(int periodMs, std::function<void()> onTick) = 0;
    virtual void Stop() = 0;
};

}  // namespace zorl
