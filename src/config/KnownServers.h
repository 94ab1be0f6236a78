// Which server entry a host belongs to. A password, a login, a client
// certificate and a pinned certificate are told only to the host whose entry
// holds them; a host without an entry of its own is told none of them.
//
// The entry of a host is section SERVER of zorl.ini when its Address names
// the host (the server the user chose and saved), else the first entry of
// servers.ini with that address. Host names are compared without regard to
// case.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ServerList.h"

namespace zorl {

class CIniStore;

// Section SERVER of zorl.ini as an entry (its address may be empty).
ServerEntry SavedServer(const CIniStore& ini);
std::optional<ServerEntry> KnownServer(const CIniStore& ini, const std::string& host);

// Whether the entry asks for TLS: a "+port" in its ports, or a pinned
// certificate (which only a TLS connection can show). Its first TLS port,
// else `fallback`.
bool WantsTls(const ServerEntry& entry);
// The entries of servers.ini marked to connect at start, in file order.
std::vector<ServerEntry> ServersToConnectAtStart(const CIniStore& ini);
int TlsPortOf(const ServerEntry& entry, int fallback);

// Changes the credentials of the host's entries: section SERVER of zorl.ini
// when it names the host, and every servers.ini entry with that address.
// With neither, a servers.ini entry named after the host (with `ports`) is
// added to hold them.
void ChangeHostEntries(CIniStore& ini, const std::string& host, const std::string& ports,
                       const std::function<void(ServerEntry&)>& change);

}  // namespace zorl
