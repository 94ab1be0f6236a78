// Placeholder until CTCP requests and replies are built: the seams the
// dispatcher calls.
#include "incoming/Ctcp.h"

#include "app/CZorlApp.h"

namespace zorl {

void CCtcp::HandleCtcpRequest(CIrcSocket*, const IrcMessage&) {}

void CCtcp::HandleCtcpReply(CIrcSocket*, const IrcMessage&) {}

}  // namespace zorl
