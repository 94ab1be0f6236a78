#include "common/SoftTimer.h"

#include <algorithm>

#include "common/Random.h"

namespace zorl {

const char* TimerName(TimerId id) {
    switch (id) {
        case TimerId::Script: return "Timer";
        case TimerId::Idle: return "IdleTimer";
        case TimerId::Notify: return "NfTimer";
    }
    return "";
}

void SoftTimer::NewPeriod(CRandom& generator, int floor) {
    const long long r = generator.Next();
    const long long drawn = static_cast<long long>(fixed) + random * r / 32767;
    time = static_cast<int>(std::clamp<long long>(drawn, floor, kMaxSeconds));
    ticks = time * 10;
}

bool SoftTimer::CountDown() {
    const bool wasLast = ticks == 1;
    --ticks;
    return wasLast || ticks < 0;
}

}  // namespace zorl
