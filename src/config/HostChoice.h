// The chosen server's settings beyond address and ports: its password, its
// pinned certificate and its login, always those of the host's own entry
// (config/KnownServers.h).
#pragma once

#include <string>

namespace zorl {

class CIniStore;
class CPasswords;
struct CSettings;
struct ServerEntry;
struct ServerExtras;

// The chosen entry's extras become the chosen server's (settings and
// section SERVER of zorl.ini), as its address, ports and password do.
// TakeServerExtras: in `settings` only.
void TakeServerExtras(CSettings& settings, const ServerExtras& extras);
void ChooseServerExtras(CIniStore& ini, CPasswords& passwords, CSettings& settings,
                        const ServerExtras& extras);

// `address` with `ports` becomes the chosen server for this run (zorl.ini
// keeps the user's own choice). Its name, password, pin and login are those
// of the host's entry; a host without one gets none.
void ChooseHostForThisRun(const CIniStore& ini, CPasswords& passwords, CSettings& settings,
                          const std::string& address, const std::string& ports);

// Pins `fingerprint` for the chosen server's host: in memory, and in the
// host's entries (a new servers.ini entry when it has none).
void PinFingerprint(CIniStore& ini, CSettings& settings, const std::string& fingerprint);

// The login the settings hold, as a server's extras without a fingerprint.
ServerExtras LoginOf(const CSettings& settings);

// `login` (from the properties dialog) becomes the chosen server's: in
// memory, and in the entries of the host connected to.
void ChangeLogin(CIniStore& ini, CPasswords& passwords, CSettings& settings,
                 const ServerExtras& login);

}  // namespace zorl
