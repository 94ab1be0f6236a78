// Small steps the incoming handlers share: showing an expanded template,
// walking channel lists, and the time text of server replies.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "common/SharedTypes.h"
#include "session/IrcMessage.h"

namespace zorl {

struct IncomingContext;
class CIrcSocket;

// Print(socket, window, cls, template expanded against the message).
void ShowExpanded(const IncomingContext& c, CIrcSocket* socket, const std::string& window, Cls cls,
                  const IrcMessage& message, const char* templ);

// The expanded template followed by `value`. Stands in for using an expanded
// template as a printf format with one "%s": server text never becomes a
// format, and a "%" in a nick stays a "%".
std::string ExpandFollowedBy(const IncomingContext& c, const IrcMessage& message, const char* templ,
                             const std::string& value);

// A server time value (seconds since 1970) as local time in the form
// "Fri Aug  3 12:00:00 2001".
std::string TimeText(long seconds);

}  // namespace zorl
