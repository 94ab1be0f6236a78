#include "incoming/IncomingText.h"

#include <ctime>

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

// The text ctime() gives, without its line end; a time whose year the
// calendar cannot hold (a server can send any number) as the number itself.
std::string TimeText(long seconds) {
    const auto when = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&when, &tm) || tm.tm_year < -1899 || tm.tm_year > 9999 - 1900)
        return std::to_string(seconds);
    return FormatLocalTime("%a %b %e %H:%M:%S %Y", when);
}

}  // namespace zorl
