// The user's list of IRC servers in servers.ini, and the state of the
// Servers dialog that edits it.
//
// servers.ini holds a numbered list in section [Servers], one entry a value:
//   n0=Local testSERVER:127.0.0.1:6667:secretGROUP:Home
//   n1=LiberaSERVER:irc.libera.chat:6667,6697GROUP:Public
// name, "SERVER:", address, ":", ports, then ":" and the password when there
// is one, then "GROUP:" and the group when there is one.
//
// The dialog is drawn by IDialogs::Servers; its buttons call Add, Edit and
// Delete here, and every change is saved at once. After OK the caller calls
// TakeSelection and reads `result`.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/ServerExtras.h"

namespace zorl {

class CIniStore;
class CPasswords;
class IDialogs;

// One server as the list keeps it.
struct ServerEntry {
    std::string name;
    std::string address;
    std::string ports;  // "6667,7000": the connection picks one
    std::string password;
    std::string group;  // orders the file; may be empty
    ServerExtras extras{};

    bool operator==(const ServerEntry&) const = default;
};

// The four splits of a stored value and its extras; a value without
// "SERVER:" is an entry whose name is the whole value.
ServerEntry ParseServerEntry(std::string_view value);
std::string FormatServerEntry(const ServerEntry& entry);
// Why `entry` would not read back as written (a ":" in the address, a
// "GROUP:" in a field, an extras marker in the password); "" when it would.
std::string ServerEntryProblem(const ServerEntry& entry);

class CServerList {
public:
    static constexpr const char* kFile = "servers.ini";
    static constexpr const char* kSection = "Servers";

    // With `passwords`, the Edit server dialog shows an entry's passwords
    // from the keyring and what is typed goes there (config/Passwords.h).
    CServerList(CIniStore& ini, IDialogs& dialogs, CPasswords* passwords = nullptr)
        : ini_(ini), dialogs_(dialogs), passwords_(passwords) {}

    // Reads servers.ini and selects the first name that begins with the
    // current selection's name, else `result.name` (any letter case), else
    // the first.
    void LoadList();
    // The names in the drop-down, in file order and then as added; a name
    // that occurs twice in the file is shown twice.
    const std::vector<std::string>& Names() const { return names_; }
    int Selected() const { return selected_; }  // -1: nothing
    void Select(int index);
    const ServerEntry* Find(const std::string& name) const;

    // The buttons. Add and Edit open the Edit server dialog.
    void Add();
    void Edit();
    void Delete();
    // OK: the selected entry becomes `result`; with no such entry `result`
    // keeps what the caller preset.
    void TakeSelection();

    ServerEntry result;
    // Connect rather than OK: `result` opens a network beside the others
    // instead of becoming the active network's server.
    bool openAsNetwork = false;

private:
    // Opens the Edit server dialog until its fields can be stored or it is
    // cancelled (false).
    bool AskEntry(ServerEntry& entry);
    void Store(const ServerEntry& entry);
    void SaveList();
    void SelectName(const std::string& name);
    const std::string* SelectedName() const;

    CIniStore& ini_;
    IDialogs& dialogs_;
    CPasswords* passwords_;
    std::map<std::string, ServerEntry> entries_;
    std::vector<std::string> names_;
    int selected_ = -1;
};

}  // namespace zorl
