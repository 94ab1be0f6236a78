#include "app/ServerChoice.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Text.h"
#include "config/IniStore.h"
#include "config/ServerExtras.h"
#include "config/ServerList.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"

namespace zorl {
namespace {
constexpr const char* kServersFile = "servers.ini";
constexpr const char* kServersSection = "Servers";
}  // namespace

// Add, Edit and Delete in the dialog are saved as they happen; Cancel
// only leaves the chosen server as it was.
void CZorlApp::ChooseServer() {
    CServerList list(ini, platform.dialogs);
    list.result.name = settings.m_server_name;
    list.LoadList();
    if (!platform.dialogs.Servers(list)) return;
    list.TakeSelection();
    connection.UseServer(list.result);
    ChooseServerExtras(ini, settings, list.result.extras);
}

namespace {

// The login of `login` becomes the settings', in memory and in zorl.ini.
void WriteLogin(CIniStore& ini, CSettings& settings, const ServerExtras& login) {
    settings.SaslAccount = login.saslAccount;
    settings.SaslPassword = login.saslPassword;
    settings.SaslWithoutTls = login.saslWithoutTls ? 1 : 0;
    ini.WriteString("SERVER", "SaslAccount", settings.SaslAccount);
    ini.WriteString("SERVER", "SaslPassword", settings.SaslPassword);
    ini.WriteInt("SERVER", "SaslWithoutTls", settings.SaslWithoutTls);
}

// Changes the extras of the servers.ini entry named `name`, when there is one.
template <typename Change>
void ChangeEntryExtras(CIniStore& ini, const std::string& name, Change change) {
    // Without a server list there is no entry to keep it in, and nothing to
    // complain about.
    std::error_code error;
    if (!std::filesystem::exists(ini.PathOf(kServersFile), error)) return;
    std::vector<std::string> values = ini.ReadList(kServersFile, kServersSection);
    bool changed = false;
    for (std::string& value : values) {
        const std::size_t end = value.find("SERVER:");
        if (end == std::string::npos || value.compare(0, end, name) != 0 || end != name.size())
            continue;
        ServerExtras extras = TakeServerExtras(value);
        change(extras);
        value = WithServerExtras(value, extras);
        changed = true;
    }
    if (changed) ini.WriteList(kServersFile, kServersSection, values);
}

}  // namespace

void ChooseServerExtras(CIniStore& ini, CSettings& settings, const ServerExtras& extras) {
    settings.Fingerprint = extras.fingerprint;
    ini.WriteString("SERVER", "Fingerprint", settings.Fingerprint);
    WriteLogin(ini, settings, extras);
}

ServerExtras LoginOf(const CSettings& settings) {
    return {"", settings.SaslAccount, settings.SaslPassword, settings.SaslWithoutTls != 0};
}

void PinFingerprint(CIniStore& ini, CSettings& settings, const std::string& name,
                    const std::string& fingerprint) {
    settings.Fingerprint = fingerprint;
    // A server reached by /server or a link is chosen for this run only:
    // zorl.ini's pin belongs to the server zorl.ini names.
    const std::string saved = ini.ReadString("SERVER", "Address", "");
    if (saved.empty() || EqualsNoCase(saved, settings.m_server_address))
        ini.WriteString("SERVER", "Fingerprint", fingerprint);
    ChangeEntryExtras(ini, name, [&](ServerExtras& extras) { extras.fingerprint = fingerprint; });
}

void ChangeLogin(CIniStore& ini, CSettings& settings, const ServerExtras& login) {
    WriteLogin(ini, settings, login);
    ChangeEntryExtras(ini, settings.m_server_name, [&](ServerExtras& extras) {
        extras.saslAccount = login.saslAccount;
        extras.saslPassword = login.saslPassword;
        extras.saslWithoutTls = login.saslWithoutTls;
    });
}

}  // namespace zorl
