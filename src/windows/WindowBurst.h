// Windows that other people open: a server or a crowd of bots can open
// thousands of query windows in seconds. While more than `limit` new windows
// were opened for others within the last ten seconds, messages from further
// new nicks go to the status window instead; the burst ends when ten
// seconds pass without such a message. The user's own commands are not
// counted and always open their windows.
#pragma once

#include <cstdint>
#include <deque>

namespace zorl {

class CWindowBurst {
public:
    static constexpr uint64_t kSpanMs = 10000;

    // May another window be opened now? `limit` 0 or less: always.
    bool Admit(uint64_t nowMs, int limit);
    // The last Admit began a burst (said once per burst).
    bool JustBegan() const { return just_began_; }

private:
    std::deque<uint64_t> opened_;  // at most `limit` times, oldest first
    uint64_t last_refused_ = 0;
    bool in_burst_ = false;
    bool just_began_ = false;
};

}  // namespace zorl
