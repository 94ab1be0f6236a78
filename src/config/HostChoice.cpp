#include "config/HostChoice.h"

#include <optional>

#include "config/IniStore.h"
#include "config/KnownServers.h"
#include "config/Passwords.h"
#include "config/ServerExtras.h"
#include "config/ServerList.h"
#include "config/Settings.h"

namespace zorl {

namespace {

void TakeLogin(CSettings& settings, const ServerExtras& login) {
    settings.SaslAccount = login.saslAccount;
    settings.SaslPassword = login.saslPassword;
    settings.SaslWithoutTls = login.saslWithoutTls ? 1 : 0;
    settings.ClientCert = login.clientCert;
    settings.RequireLogin = login.requireLogin ? 1 : 0;
}

void CopyLogin(ServerExtras& to, const ServerExtras& login) {
    to.saslAccount = login.saslAccount;
    to.saslPassword = login.saslPassword;
    to.saslWithoutTls = login.saslWithoutTls;
    to.clientCert = login.clientCert;
    to.requireLogin = login.requireLogin;
}

}  // namespace

void TakeServerExtras(CSettings& settings, const ServerExtras& extras) {
    settings.Fingerprint = extras.fingerprint;
    settings.ServerProxy = extras.proxy;
    TakeLogin(settings, extras);
}

void ChooseServerExtras(CIniStore& ini, CPasswords& passwords, CSettings& settings,
                        const ServerExtras& extras) {
    TakeServerExtras(settings, extras);
    ini.WriteString("SERVER", "Fingerprint", settings.Fingerprint);
    ini.WriteString("SERVER", "Proxy", settings.ServerProxy);
    ini.WriteString("SERVER", "SaslAccount", settings.SaslAccount);
    ini.WriteString(
        "SERVER", "SaslPassword",
        passwords.Keep(settings.m_server_address, PasswordKind::Login, settings.SaslPassword));
    ini.WriteInt("SERVER", "SaslWithoutTls", settings.SaslWithoutTls);
    ini.WriteString("SERVER", "ClientCert", settings.ClientCert);
    ini.WriteInt("SERVER", "RequireLogin", settings.RequireLogin);
}

void ChooseHostForThisRun(const CIniStore& ini, CPasswords& passwords, CSettings& settings,
                          const std::string& address, const std::string& ports) {
    const std::optional<ServerEntry> known = KnownServer(ini, address);
    ServerEntry entry = known.value_or(ServerEntry{});
    passwords.RevealEntry(entry);
    settings.m_server_address = address;
    settings.m_server_name = known && !known->name.empty() ? known->name : address;
    settings.m_server_ports = ports;
    settings.Password = entry.password;
    settings.Fingerprint = entry.extras.fingerprint;
    settings.ServerProxy = entry.extras.proxy;
    TakeLogin(settings, entry.extras);
}

ServerExtras LoginOf(const CSettings& settings) {
    ServerExtras login;
    login.saslAccount = settings.SaslAccount;
    login.saslPassword = settings.SaslPassword;
    login.saslWithoutTls = settings.SaslWithoutTls != 0;
    login.clientCert = settings.ClientCert;
    login.requireLogin = settings.RequireLogin != 0;
    return login;
}

void PinFingerprint(CIniStore& ini, CSettings& settings, const std::string& fingerprint) {
    settings.Fingerprint = fingerprint;
    ChangeHostEntries(ini, settings.m_server_address, settings.m_server_ports,
                      [&](ServerEntry& entry) { entry.extras.fingerprint = fingerprint; });
}

void ChangeLogin(CIniStore& ini, CPasswords& passwords, CSettings& settings,
                 const ServerExtras& login) {
    TakeLogin(settings, login);
    const std::string& host = settings.m_server_address;
    const std::string kept = passwords.Keep(host, PasswordKind::Login, login.saslPassword);
    ChangeHostEntries(ini, host, settings.m_server_ports, [&](ServerEntry& entry) {
        CopyLogin(entry.extras, login);
        entry.extras.saslPassword = kept;
    });
}

}  // namespace zorl
