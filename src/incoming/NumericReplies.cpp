#include "incoming/NumericReplies.h"

#include "app/CZorlApp.h"

namespace zorl {

void CNumericReplies::HandleNumeric(CIrcSocket*, const IrcMessage&) {}

}  // namespace zorl
