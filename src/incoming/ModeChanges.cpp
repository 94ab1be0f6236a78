#include "incoming/ModeChanges.h"

#include "app/CZorlApp.h"

namespace zorl {

void CModeChanges::HandleMode(CIrcSocket*, const IrcMessage&) {}

}  // namespace zorl
