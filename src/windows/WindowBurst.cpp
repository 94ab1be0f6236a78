#include "windows/WindowBurst.h"

namespace zorl {

bool CWindowBurst::Admit(uint64_t nowMs, int limit) {
    just_began_ = false;
    if (limit <= 0) return true;
    if (in_burst_ && nowMs - last_refused_ >= kSpanMs) in_burst_ = false;
    while (!opened_.empty() && nowMs - opened_.front() >= kSpanMs) opened_.pop_front();
    if (!in_burst_ && opened_.size() >= static_cast<std::size_t>(limit)) {
        in_burst_ = true;
        just_began_ = true;
        opened_.clear();
    }
    if (in_burst_) {
        last_refused_ = nowMs;
        return false;
    }
    opened_.push_back(nowMs);
    return true;
}

}  // namespace zorl
