#include "app/ServerChoice.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/Settings.h"
#include "config/IniStore.h"
#include "config/ServerEntry.h"

namespace zorl {
namespace {
constexpr const char* kServersFile = "servers.ini";
constexpr const char* kServersSection = "Servers";
}  // namespace

void ChooseServerExtras(CIniStore& ini, CSettings& settings, const ServerEntry& entry) {
    settings.Fingerprint = entry.fingerprint;
    settings.SaslAccount = entry.saslAccount;
    settings.SaslPassword = entry.saslPassword;
    settings.SaslWithoutTls = entry.saslWithoutTls ? 1 : 0;
    ini.WriteString("SERVER", "Fingerprint", settings.Fingerprint);
    ini.WriteString("SERVER", "SaslAccount", settings.SaslAccount);
    ini.WriteString("SERVER", "SaslPassword", settings.SaslPassword);
    ini.WriteInt("SERVER", "SaslWithoutTls", settings.SaslWithoutTls);
}

void PinFingerprint(CIniStore& ini, CSettings& settings, const std::string& name,
                    const std::string& fingerprint) {
    settings.Fingerprint = fingerprint;
    ini.WriteString("SERVER", "Fingerprint", fingerprint);
    // Without a server list there is no entry to keep it in, and nothing to
    // complain about.
    std::error_code error;
    if (!std::filesystem::exists(ini.PathOf(kServersFile), error)) return;
    std::vector<std::string> values = ini.ReadList(kServersFile, kServersSection);
    bool changed = false;
    for (std::string& value : values) {
        ServerEntry entry = ParseServerEntry(value);
        if (entry.name != name) continue;
        entry.fingerprint = fingerprint;
        value = FormatServerEntry(entry);
        changed = true;
    }
    if (changed) ini.WriteList(kServersFile, kServersSection, values);
}

}  // namespace zorl
