// The chosen server's settings beyond address, ports and password.
#pragma once

#include <string>

namespace zorl {

class CIniStore;
struct CSettings;
struct ServerExtras;

// The chosen entry's extras become the chosen server's (settings and
// section SERVER of zorl.ini), as its address, ports and password do.
void ChooseServerExtras(CIniStore& ini, CSettings& settings, const ServerExtras& extras);

// Pins `fingerprint` for the chosen server: section SERVER of zorl.ini when
// that names this server (or none), and the entry of servers.ini named
// `name` when there is one.
void PinFingerprint(CIniStore& ini, CSettings& settings, const std::string& name,
                    const std::string& fingerprint);

// The login the settings hold, as a server's extras without a fingerprint.
ServerExtras LoginOf(const CSettings& settings);

// `login` (from the properties dialog) becomes the chosen server's: settings,
// section SERVER of zorl.ini, and its entry of servers.ini when there is one.
void ChangeLogin(CIniStore& ini, CSettings& settings, const ServerExtras& login);

}  // namespace zorl
