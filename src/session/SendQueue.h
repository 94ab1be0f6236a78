// Lines for the server wait here when they come faster than servers take
// them. A server that sees a client send too much at once disconnects it for
// flooding, so a pasted page or a script loop would cost the user the
// connection. A burst of kBurst lines goes at once; after that the allowance
// grows back by one line every kInterval milliseconds, and the held lines go
// out at that pace, oldest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zorl {

class CSendQueue {
public:
    static constexpr uint64_t kBurst = 5;
    static constexpr uint64_t kInterval = 2000;  // ms
    // A script loop must not eat the memory: past this many waiting lines a
    // new one is refused.
    static constexpr std::size_t kLimit = 1000;

    // A new connection may send a full burst at once. `now` in milliseconds.
    void Reset(uint64_t now);
    // Whether a line may go out at once; spends the allowance when it may.
    // While lines wait, a new one never overtakes them.
    bool Admit(uint64_t now);
    // Queues a line that was not admitted; false when the queue is full.
    bool Hold(std::string line);
    // The waiting lines whose turn has come, oldest first.
    std::vector<std::string> Due(uint64_t now);
    std::size_t Waiting() const { return held_.size(); }
    // Forgets the waiting lines; returns how many there were.
    std::size_t Clear();

private:
    void Refill(uint64_t now);

    uint64_t allowance_ = kBurst * kInterval;  // ms of sending earned
    uint64_t last_ = 0;
    std::deque<std::string> held_;
};

}  // namespace zorl
