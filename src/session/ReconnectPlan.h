// When to try again after a connection ended without the user asking: 10 s
// after it ended, then twice as long after each failed try, at most five
// minutes apart, for as long as it takes.
#pragma once

#include <cstdint>

namespace zorl {

class CReconnectPlan {
public:
    static constexpr uint64_t kFirstDelayMs = 10'000;
    static constexpr uint64_t kMaxDelayMs = 300'000;

    // The next try after the one that just ended; its delay in seconds.
    int Schedule(uint64_t now) {
        uint64_t delay = kFirstDelayMs;
        for (int i = 0; i < tries_ && delay < kMaxDelayMs; ++i) delay *= 2;
        if (delay > kMaxDelayMs) delay = kMaxDelayMs;
        ++tries_;
        due_ = now + delay;
        pending_ = true;
        return static_cast<int>(delay / 1000);
    }
    // True once, when the scheduled try is due.
    bool TakeDue(uint64_t now) {
        if (!pending_ || now < due_) return false;
        pending_ = false;
        return true;
    }
    bool Pending() const { return pending_; }
    int Tries() const { return tries_; }
    void Cancel() { pending_ = false; }
    // A welcomed session, or the user's own Connect: the next loss starts
    // again at the first delay.
    void Reset() {
        pending_ = false;
        tries_ = 0;
    }

private:
    uint64_t due_ = 0;
    int tries_ = 0;
    bool pending_ = false;
};

}  // namespace zorl
