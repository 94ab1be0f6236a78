// Secrets (server and SASL passwords) kept in the desktop's keyring, the
// Secret Service of GNOME Keyring or KWallet, under the service name "zorl".
#pragma once

#include <string>

namespace zorl {

enum class SecretResult {
    Ok,         // done; Remove also when nothing was stored under the key
    NotFound,   // Read: nothing is stored under the key
    NoService,  // no keyring answers: nothing was read, stored or removed
    Failed,     // the keyring answered with an error or refused
};

// The calls are synchronous for the engine, but the keyring answers over
// D-Bus: the Qt implementation waits for each answer in a nested event loop,
// as the modal dialogs do, so any socket event or tick may run during a call
// (typed input waits until it returns). Look windows and sockets up again
// afterwards. A wait is bounded: a keyring that does not answer in time
// makes the call Failed and counts as absent from then on.
//
// Keys are non-empty text (an empty key is Failed). Secrets are any bytes,
// zero bytes included, and read back exactly as written.
class ISecretStore {
public:
    virtual ~ISecretStore() = default;
    // Whether a keyring answers. Asked once, then remembered; while it is
    // false, every other call returns NoService without asking.
    virtual bool Available() = 0;
    virtual SecretResult Read(const std::string& key, std::string& secret) = 0;
    // Replaces whatever was stored under the key.
    virtual SecretResult Write(const std::string& key, const std::string& secret) = 0;
    virtual SecretResult Remove(const std::string& key) = 0;
    // The backend's words for the last result that was not Ok.
    virtual std::string LastError() const = 0;
};

}  // namespace zorl
