#include "incoming/IncomingContext.h"

#include "session/Networks.h"

namespace zorl {

CServerConnection& IncomingContext::Connection() const { return networks.Current(); }

}  // namespace zorl
