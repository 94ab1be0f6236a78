// The desktop's keyring through QtKeychain: the Secret Service (GNOME
// Keyring, KeePassXC, ...) over libsecret, or KWallet on a Plasma desktop.
// QtKeychain's plaintext fallback stays off: without a keyring nothing is
// stored, and the engine keeps its own files.
#pragma once

#include <optional>
#include <string>

#include "platform/Secrets.h"

namespace QKeychain {
class Job;
}

namespace zorl::qt {

class QtSecretStore : public ISecretStore {
public:
    static constexpr const char* kService = "zorl";
    // Long enough to type the keyring's password when it asks to unlock.
    static constexpr int kDefaultTimeoutMs = 60000;

    explicit QtSecretStore(int timeoutMs = kDefaultTimeoutMs) : timeout_ms_(timeoutMs) {}

    bool Available() override;
    SecretResult Read(const std::string& key, std::string& secret) override;
    SecretResult Write(const std::string& key, const std::string& secret) override;
    SecretResult Remove(const std::string& key) override;
    std::string LastError() const override { return last_error_; }

private:
    struct Answer;
    // Starts the job and waits for its answer; the job deletes itself.
    Answer Wait(QKeychain::Job* job);
    SecretResult Conclude(const Answer& answer);
    // NoService or Failed when the call cannot be asked at all.
    std::optional<SecretResult> Refusal(const std::string& key);

    int timeout_ms_;
    std::optional<bool> available_;
    std::string last_error_;
};

}  // namespace zorl::qt
