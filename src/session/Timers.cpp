// Placeholder until the timers are built: the seams other code calls.
#include "session/Timers.h"

#include "app/CZorlApp.h"

namespace zorl {

void CTimers::StartTimer(int, int, int, FrameId, const std::string&, bool) {}

void CTimers::ResetTimer(int) {}

void CTimers::StopTimer(int id) {
    if (id >= 1 && id <= 3) timers_[id] = SoftTimer{};
}

void CTimers::OnTimer(int) {}

}  // namespace zorl
