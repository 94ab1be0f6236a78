#include "incoming/Dispatcher.h"

#include "app/CZorlApp.h"

namespace zorl {

void CIncomingDispatcher::DispatchIncoming(CIrcSocket*, const IrcMessage&, bool) {}

}  // namespace zorl
