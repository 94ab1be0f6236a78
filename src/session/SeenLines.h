// The last lines a network's server sent to each channel and query, by
// msgid (else by time, sender and text), and the time of the newest: a
// history fetch asks for what came after it, and shows nothing twice.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace zorl {

class CSeenLines {
public:
    static constexpr std::size_t kKept = 64;  // lines remembered per window
    static constexpr std::size_t kMaxWindows = 5000;

    // Remembers a line of `window` (any letter case); false when it was
    // there already. `time` is its server-time tag, "" for none.
    bool Note(const std::string& window, const std::string& key, const std::string& time);
    // The server-time of the newest line of `window`; null for none.
    const std::string* LastTime(const std::string& window) const;

private:
    struct Seen {
        std::deque<std::string> keys;
        std::string last;
    };
    std::unordered_map<std::string, Seen> windows_;
};

}  // namespace zorl
