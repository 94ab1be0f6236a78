#include "session/NotifyTimer.h"

namespace zorl {

void CNotifyTimer::Start(CRandom& generator) {
    if (timer_.running) return;
    timer_.fixed = kPeriodSeconds;
    timer_.cont = true;
    timer_.NewPeriod(generator, 0);
    timer_.running = true;
}

bool CNotifyTimer::Tick(CRandom& generator) {
    if (!timer_.running || !timer_.CountDown()) return false;
    timer_.NewPeriod(generator, SoftTimer::kMinRepeatSeconds);
    return true;
}

}  // namespace zorl
