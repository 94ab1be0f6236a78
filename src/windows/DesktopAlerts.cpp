#include "windows/DesktopAlerts.h"

#include "common/FormatCodes.h"
#include "common/Text.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "windows/ChannelRecord.h"
#include "windows/WindowServices.h"

namespace zorl {

bool CDesktopAlerts::Wanted(AlertKind kind) const {
    switch (kind) {
        case AlertKind::Mention: return s_.settings.AlertMention != 0;
        case AlertKind::Private: return s_.settings.AlertPrivate != 0;
        case AlertKind::DccOffer: return s_.settings.AlertDcc != 0;
    }
    return false;
}

void CDesktopAlerts::Consider(const ChannelRecord& record, AlertKind kind,
                              const std::string& line) {
    if (!Wanted(kind) || s_.platform.surface.IsInView(record.frame)) return;
    const uint64_t now = s_.platform.clock.TickCount();
    auto last = last_.find(record.frame);
    if (last != last_.end() && now - last->second < kQuietMs) return;
    last_[record.frame] = now;
    const std::string network = s_.host.NetworkOf(record.socket).name;
    const std::string window = record.name.empty() ? "Status" : record.title;
    std::string title = network.empty() ? window : network + " / " + window;
    s_.platform.surface.Notify(record.frame, title, std::string(Trim(VisibleText(line))));
}

}  // namespace zorl
