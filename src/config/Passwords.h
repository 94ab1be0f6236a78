// Server and login passwords in the desktop's keyring. Where an ini file
// would hold a password it then holds the mark "{keyring}", and the keyring
// holds the password under the host's name:
//
//   zorl.ini      [SERVER] Address=irc.example.net  Password={keyring}
//   servers.ini   n0=NetSERVER:irc.example.net:6697:{keyring}SASL:joe:{keyring}
//   keyring       "irc.example.net password", "irc.example.net sasl"
//
// Without a keyring the passwords stay in the ini files, which only the user
// can read; a mark whose keyring does not answer reads as no password.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace zorl {

class CIniStore;
class ISecretStore;
struct ServerEntry;

enum class PasswordKind { Server, Login, Proxy };

inline constexpr const char* kKeyringMark = "{keyring}";

class CPasswords {
public:
    // `report` shows one status line.
    CPasswords(ISecretStore& keyring, std::function<void(const std::string&)> report)
        : keyring_(keyring), report_(std::move(report)) {}

    // The password an ini value stands for.
    std::string Reveal(const std::string& host, PasswordKind kind, const std::string& stored);
    // What the ini file keeps of `password`: the mark once the keyring holds
    // it, else the password itself.
    std::string Keep(const std::string& host, PasswordKind kind, const std::string& password);
    // Both passwords of an entry, each way.
    void RevealEntry(ServerEntry& entry);
    void KeepEntry(ServerEntry& entry);

    // At start: the passwords still written in zorl.ini and servers.ini move
    // to the keyring, with one status line; without a keyring, one line says
    // that they stay in the files.
    void MoveToKeyring(CIniStore& ini);

private:
    static std::string KeyOf(const std::string& host, PasswordKind kind);
    // Moves the entry's passwords; true when one was still in the file.
    bool MoveEntry(ServerEntry& entry, bool& moved);

    ISecretStore& keyring_;
    std::function<void(const std::string&)> report_;
    bool reported_silence_ = false;
};

}  // namespace zorl
