#include "session/SeenLines.h"

#include <algorithm>

#include "common/Text.h"

namespace zorl {

bool CSeenLines::Note(const std::string& window, const std::string& key, const std::string& time) {
    const std::string name = ToLower(window);
    auto it = windows_.find(name);
    if (it == windows_.end()) {
        if (windows_.size() >= kMaxWindows) return true;
        it = windows_.emplace(name, Seen{}).first;
    }
    Seen& seen = it->second;
    if (std::find(seen.keys.begin(), seen.keys.end(), key) != seen.keys.end()) return false;
    seen.keys.push_back(key);
    if (seen.keys.size() > kKept) seen.keys.pop_front();
    // Server times are ISO 8601 in UTC: they sort as text.
    if (time > seen.last) seen.last = time;
    return true;
}

const std::string* CSeenLines::LastTime(const std::string& window) const {
    auto it = windows_.find(ToLower(window));
    return it == windows_.end() || it->second.last.empty() ? nullptr : &it->second.last;
}

}  // namespace zorl
