#include "config/KnownServers.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"

namespace zorl {
namespace {

constexpr const char* kSaved = "SERVER";

// The credentials of the saved server, as section SERVER keeps them.
void WriteSavedCredentials(CIniStore& ini, const ServerEntry& entry) {
    const ServerExtras& extras = entry.extras;
    ini.WriteString(kSaved, "Password", entry.password);
    ini.WriteString(kSaved, "Fingerprint", extras.fingerprint);
    ini.WriteString(kSaved, "SaslAccount", extras.saslAccount);
    ini.WriteString(kSaved, "SaslPassword", extras.saslPassword);
    ini.WriteInt(kSaved, "SaslWithoutTls", extras.saslWithoutTls ? 1 : 0);
    ini.WriteString(kSaved, "ClientCert", extras.clientCert);
    ini.WriteInt(kSaved, "RequireLogin", extras.requireLogin ? 1 : 0);
}

bool HasServerList(const CIniStore& ini) {
    std::error_code error;
    return std::filesystem::exists(ini.PathOf(CServerList::kFile), error);
}

}  // namespace

ServerEntry SavedServer(const CIniStore& ini) {
    ServerEntry entry;
    entry.address = ini.ReadString(kSaved, "Address", "");
    entry.name = ini.ReadString(kSaved, "Name", "");
    entry.ports = ini.ReadString(kSaved, "Ports", "");
    entry.password = ini.ReadString(kSaved, "Password", "");
    entry.extras.fingerprint = ini.ReadString(kSaved, "Fingerprint", "");
    entry.extras.saslAccount = ini.ReadString(kSaved, "SaslAccount", "");
    entry.extras.saslPassword = ini.ReadString(kSaved, "SaslPassword", "");
    entry.extras.saslWithoutTls = ini.ReadInt(kSaved, "SaslWithoutTls", 0) != 0;
    entry.extras.clientCert = ini.ReadString(kSaved, "ClientCert", "");
    entry.extras.requireLogin = ini.ReadInt(kSaved, "RequireLogin", 0) != 0;
    return entry;
}

std::optional<ServerEntry> KnownServer(const CIniStore& ini, const std::string& host) {
    if (host.empty()) return std::nullopt;
    ServerEntry saved = SavedServer(ini);
    if (EqualsNoCase(saved.address, host)) return saved;
    if (!HasServerList(ini)) return std::nullopt;
    for (const std::string& value : ini.ReadList(CServerList::kFile, CServerList::kSection)) {
        ServerEntry entry = ParseServerEntry(value);
        if (EqualsNoCase(entry.address, host)) return entry;
    }
    return std::nullopt;
}

std::vector<ServerEntry> ServersToConnectAtStart(const CIniStore& ini) {
    std::vector<ServerEntry> marked;
    if (!HasServerList(ini)) return marked;
    for (const std::string& value : ini.ReadList(CServerList::kFile, CServerList::kSection)) {
        ServerEntry entry = ParseServerEntry(value);
        if (entry.extras.connectAtStart && !entry.address.empty()) marked.push_back(entry);
    }
    return marked;
}

bool WantsTls(const ServerEntry& entry) {
    return !entry.extras.fingerprint.empty() || TlsPortOf(entry, 0) != 0;
}

int TlsPortOf(const ServerEntry& entry, int fallback) {
    std::string_view rest = entry.ports;
    while (!rest.empty()) {
        const Split cut = SplitAt(rest, ",");
        const std::string_view port = TrimLeft(cut.head);
        if (!port.empty() && port.front() == '+') return Atoi(port.substr(1));
        rest = cut.tail;
    }
    return fallback;
}

void ChangeHostEntries(CIniStore& ini, const std::string& host, const std::string& ports,
                       const std::function<void(ServerEntry&)>& change) {
    bool found = false;
    ServerEntry saved = SavedServer(ini);
    // With no host chosen at all, section SERVER keeps them for the server
    // chosen next.
    if (EqualsNoCase(saved.address, host)) {
        change(saved);
        WriteSavedCredentials(ini, saved);
        found = true;
    }
    std::vector<std::string> values;
    if (HasServerList(ini)) values = ini.ReadList(CServerList::kFile, CServerList::kSection);
    bool listChanged = false;
    for (std::string& value : values) {
        ServerEntry entry = ParseServerEntry(value);
        if (host.empty() || !EqualsNoCase(entry.address, host)) continue;
        change(entry);
        value = FormatServerEntry(entry);
        listChanged = found = true;
    }
    if (!found && !host.empty()) {
        ServerEntry entry{host, host, ports, "", ""};
        change(entry);
        values.push_back(FormatServerEntry(entry));
        listChanged = true;
    }
    if (listChanged) ini.WriteList(CServerList::kFile, CServerList::kSection, values);
}

}  // namespace zorl
