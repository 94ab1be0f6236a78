#include "incoming/IncomingText.h"

#include "common/TimeText.h"
#include "incoming/IncomingContext.h"
#include "windows/Output.h"

namespace zorl {

void ShowExpanded(const IncomingContext& c, CIrcSocket* socket, const std::string& window, Cls cls,
                  const IrcMessage& message, const char* templ) {
    c.output.Print(socket, window, cls, c.listener.ExpandVariables(message, templ));
}

std::string ExpandFollowedBy(const IncomingContext& c, const IrcMessage& message, const char* templ,
                             const std::string& value) {
    return c.listener.ExpandVariables(message, templ) + value;
}

// The text ctime() gives, without its line end.
std::string TimeText(long seconds) {
    return FormatLocalTime("%a %b %e %H:%M:%S %Y", static_cast<std::time_t>(seconds));
}

}  // namespace zorl
