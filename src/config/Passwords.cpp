#include "config/Passwords.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "common/Text.h"
#include "config/IniStore.h"
#include "config/KnownServers.h"
#include "config/ServerList.h"
#include "platform/Secrets.h"

namespace zorl {

std::string CPasswords::KeyOf(const std::string& host, PasswordKind kind) {
    switch (kind) {
        case PasswordKind::Server: return ToLower(host) + " password";
        case PasswordKind::Login: return ToLower(host) + " sasl";
        case PasswordKind::Proxy: break;
    }
    return ToLower(host) + " proxy";
}

std::string CPasswords::Reveal(const std::string& host, PasswordKind kind,
                               const std::string& stored) {
    if (stored != kKeyringMark) return stored;
    std::string password;
    const SecretResult result = keyring_.Read(KeyOf(host, kind), password);
    if (result == SecretResult::Ok) return password;
    if (!reported_silence_)
        report_("** The " +
                std::string(kind == PasswordKind::Server  ? "password"
                            : kind == PasswordKind::Login ? "login"
                                                          : "proxy password") +
                " of " + host + " is in the desktop's keyring, which cannot give it (" +
                keyring_.LastError() + ")");
    reported_silence_ = true;
    return {};
}

std::string CPasswords::Keep(const std::string& host, PasswordKind kind,
                             const std::string& password) {
    if (password.empty() || password == kKeyringMark || host.empty()) return password;
    if (!keyring_.Available()) return password;
    return keyring_.Write(KeyOf(host, kind), password) == SecretResult::Ok ? kKeyringMark
                                                                           : password;
}

void CPasswords::RevealEntry(ServerEntry& entry) {
    entry.password = Reveal(entry.address, PasswordKind::Server, entry.password);
    entry.extras.saslPassword =
        Reveal(entry.address, PasswordKind::Login, entry.extras.saslPassword);
}

void CPasswords::KeepEntry(ServerEntry& entry) {
    entry.password = Keep(entry.address, PasswordKind::Server, entry.password);
    entry.extras.saslPassword = Keep(entry.address, PasswordKind::Login, entry.extras.saslPassword);
}

bool CPasswords::MoveEntry(ServerEntry& entry, bool& moved) {
    bool found = false;
    for (std::string* password : {&entry.password, &entry.extras.saslPassword}) {
        if (password->empty() || *password == kKeyringMark || entry.address.empty()) continue;
        found = true;
        const PasswordKind kind =
            password == &entry.password ? PasswordKind::Server : PasswordKind::Login;
        const std::string kept = Keep(entry.address, kind, *password);
        moved |= kept != *password;
        *password = kept;
    }
    return found;
}

void CPasswords::MoveToKeyring(CIniStore& ini) {
    ServerEntry saved = SavedServer(ini);
    // Asked only when there is something to move: a keyring that must first
    // be unlocked asks its user.
    const bool inSaved =
        (!saved.password.empty() && saved.password != kKeyringMark) ||
        (!saved.extras.saslPassword.empty() && saved.extras.saslPassword != kKeyringMark);
    std::error_code error;
    std::vector<std::string> values;
    if (std::filesystem::exists(ini.PathOf(CServerList::kFile), error))
        values = ini.ReadList(CServerList::kFile, CServerList::kSection);
    bool inList = false;
    for (const std::string& value : values) {
        const ServerEntry entry = ParseServerEntry(value);
        inList |= (!entry.password.empty() && entry.password != kKeyringMark) ||
                  (!entry.extras.saslPassword.empty() && entry.extras.saslPassword != kKeyringMark);
    }
    if (!inSaved && !inList) return;
    if (!keyring_.Available()) {
        report_(
            "** No desktop keyring (Secret Service) answers: passwords stay in zorl.ini and "
            "servers.ini, which only you can read");
        return;
    }
    bool moved = false;
    if (inSaved && MoveEntry(saved, moved)) {
        ini.WriteString("SERVER", "Password", saved.password);
        ini.WriteString("SERVER", "SaslPassword", saved.extras.saslPassword);
    }
    bool listMoved = false;
    for (std::string& value : values) {
        ServerEntry entry = ParseServerEntry(value);
        bool entryMoved = false;
        if (!MoveEntry(entry, entryMoved) || !entryMoved) continue;
        value = FormatServerEntry(entry);
        listMoved = moved = true;
    }
    if (listMoved) ini.WriteList(CServerList::kFile, CServerList::kSection, values);
    if (moved)
        report_("** Passwords moved from zorl.ini and servers.ini to the desktop's keyring");
    else
        report_("** The desktop's keyring did not take the passwords (" + keyring_.LastError() +
                "): they stay in zorl.ini and servers.ini");
}

}  // namespace zorl
