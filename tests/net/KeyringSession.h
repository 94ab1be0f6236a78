// A desktop keyring of the test's own: a private D-Bus session bus and an
// unlocked gnome-keyring-daemon (its Secret Service alone) on it, with home
// and data folders in a temporary folder. While it lives, this process's
// DBUS_SESSION_BUS_ADDRESS names the bus, so QtKeychain stores there.
//
// One per test process, shared by a suite: GLib makes one session bus
// connection per process and keeps it after the bus has gone, so a second
// session would not be reached. Left alone, that connection would end the
// process (SIGTERM) when the bus stops; the session prevents that.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "NetTestSupport.h"
#include "support/TempDir.h"

typedef struct _GDBusConnection GDBusConnection;

namespace zorl::test {

class KeyringSession {
public:
    // Starts the bus and the keyring and waits until the keyring answers.
    KeyringSession();
    ~KeyringSession();
    KeyringSession(const KeyringSession&) = delete;
    KeyringSession& operator=(const KeyringSession&) = delete;

    bool Running() const { return keyring_pid_ > 0; }
    // Why it did not start, with the programs' own words.
    const std::string& Failure() const { return failure_; }

    // The secret of an item with these attributes, as secret-tool prints it;
    // nothing when no item has them all.
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    std::optional<std::string> Lookup(const Attributes& attributes) const;

    // Stops (SIGSTOP) or continues the keyring daemon: a keyring that takes
    // calls and does not answer them.
    void Pause(bool paused);

private:
    bool StartBus();
    bool ConnectToBus();
    bool StartKeyring();
    bool KeyringAnswers();

    TempDir dir_{"zorl-keyring"};
    pid_t bus_pid_ = -1;
    pid_t keyring_pid_ = -1;
    std::string address_;
    std::optional<ScopedVariable> bus_variable_;
    GDBusConnection* connection_ = nullptr;
    std::string failure_;
};

}  // namespace zorl::test
