#include "incoming/IncomingText.h"

#include "app/CZorlApp.h"
#include "common/TimeText.h"
#include "windows/Output.h"

namespace zorl {

void ShowExpanded(CZorlApp& app, CIrcSocket* socket, const std::string& window, Cls cls,
                  const IrcMessage& message, const char* templ) {
    app.output.Print(socket, window, cls, app.ExpandVariables(message, templ));
}

std::string ExpandFollowedBy(CZorlApp& app, const IrcMessage& message, const char* templ,
                             const std::string& value) {
    return app.ExpandVariables(message, templ) + value;
}

// The text ctime() gives, without its line end.
std::string TimeText(long seconds) {
    return FormatLocalTime("%a %b %e %H:%M:%S %Y", static_cast<std::time_t>(seconds));
}

}  // namespace zorl
