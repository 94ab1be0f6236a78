#include "script/ScriptContext.h"

#include "session/Networks.h"

namespace zorl {

CServerConnection& ScriptContext::Connection() const { return networks.Current(); }

}  // namespace zorl
