// A software timer driven by the 100 ms tick. Each period is `fixed` seconds
// plus a random part of up to `random` seconds, drawn anew at every
// (re)start.
#pragma once

#include "common/SharedTypes.h"

namespace zorl {

class CRandom;

// The timers the debug dump lists, by their number.
enum class TimerId { Script = 1, Idle = 2, Notify = 3 };
const char* TimerName(TimerId id);  // "Timer", "IdleTimer", "NfTimer"

struct SoftTimer {
    // Periods are cut here so that tenths of a second fit an int (three years).
    static constexpr int kMaxSeconds = 100'000'000;
    // A timer that fires again (a continuous one, or the idle timer after a
    // reset) waits at least this long, so '/TIMER -1 0 C /msg #x hi' or an
    // idle command that answers itself cannot flood the server ten lines a
    // second until it drops the connection.
    static constexpr int kMinRepeatSeconds = 1;

    bool running = false;  // counting; the idle timer: armed
    bool on = false;       // idle timer only: counting
    int ticks = 0;         // tenths of a second left
    int time = 0;          // seconds of the current period
    int fixed = 0;
    int random = 0;
    bool cont = false;
    FrameId window = 0;

    // fixed + random * r / 32767 seconds (at least `floor`), r from the
    // program's generator.
    void NewPeriod(CRandom& generator, int floor);
    // One tick; true when the period ended.
    bool CountDown();
};

}  // namespace zorl
