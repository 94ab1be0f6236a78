// Opening and closing a network beside the others: its connection with the
// status window its lines and commands start from.
#pragma once

#include <string>

namespace zorl {

class CNetworks;
class CServerConnection;
class CWindowRegistry;

// A new network with its own status window, brought to the front, that
// connects to `address` on `ports` ("6667", "+6697" for TLS) at once.
CServerConnection& OpenNetwork(CNetworks& networks, CWindowRegistry& registry,
                               const std::string& address, const std::string& ports);

// A network other than the first ends: it leaves its server, and its
// windows close with it. The first network stays; false for it.
bool CloseNetwork(CNetworks& networks, CWindowRegistry& registry, CServerConnection& network,
                  const std::string& quitMessage);

}  // namespace zorl
