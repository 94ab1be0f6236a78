// Placeholder until the event scripts are built: the seams other code calls.
#include "script/EventScripts.h"

#include "app/CZorlApp.h"

namespace zorl {

void CEventScripts::LoadScript() {}

void CEventScripts::MatchEvents(CIrcSocket*, const IrcMessage&, bool) {}

void CEventScripts::RunStartup() {}

}  // namespace zorl
