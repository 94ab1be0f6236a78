// Desktop notifications for what the user would want to see while looking
// elsewhere: a line that calls them, a private message, a DCC offer. None
// while the window is in view, none for history, each kind only with its
// option, and at most one per window every five seconds.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/SharedTypes.h"

namespace zorl {

struct WindowServices;
struct ChannelRecord;

enum class AlertKind { Mention, Private, DccOffer };

class CDesktopAlerts {
public:
    static constexpr uint64_t kQuietMs = 5000;

    explicit CDesktopAlerts(const WindowServices& services) : s_(services) {}

    // `line` as shown, formatting codes and line end included.
    void Consider(const ChannelRecord& record, AlertKind kind, const std::string& line);

private:
    bool Wanted(AlertKind kind) const;

    const WindowServices& s_;
    std::unordered_map<FrameId, uint64_t> last_;  // frame -> tick of its last notification
};

}  // namespace zorl
